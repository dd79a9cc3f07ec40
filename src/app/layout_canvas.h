// The client area of the main window: shows the off-screen picture of the layout in one
// copy, hands its size, the mouse and the wheel to the window.
#pragma once

#include <QWidget>

namespace platenest {

class MainWindow;

class LayoutCanvas : public QWidget {
 public:
  explicit LayoutCanvas(MainWindow* window);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  MainWindow* window_;
};

}  // namespace platenest
