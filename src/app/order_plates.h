// File → Open Order…: an order laid out on its plates, each plate shown and edited in the
// window as a loaded job is, a plate selector on a tool bar to switch between them, and
// File → Write Order Drawings… for the cut drawings, pictures and report of every plate.
#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/file_chooser.h"
#include "orders/order.h"
#include "orders/order_nesting.h"

class QComboBox;
class QMenu;
class QToolBar;

namespace platenest {

class MainWindow;

class OrderPlates : public QObject {
 public:
  // Adds the two commands to `file` and the (hidden) plate selector to the window.
  OrderPlates(MainWindow& window, QMenu& file, FileChooser& chooser);

  // Reads and lays out the order and shows its first plate; false, with the reason shown,
  // when the order cannot be read (the window's job stays).
  bool open(const std::filesystem::path& path);
  // Shows plate layout `index` (the plate shown before keeps its edits).
  void showPlate(int index);
  // Writes every plate's cut drawing and picture and the order report into `folder`; false,
  // with the reason shown, when it could not.
  bool writeDrawings(const std::filesystem::path& folder);

  int plateCount() const;
  int shownPlate() const { return shown_; }
  QComboBox* selector() { return selector_; }

 private:
  void chooseAndOpen();
  void chooseAndWrite();
  // The window shows another job than the plate: the order's session has ended.
  bool stillShown() const;

  MainWindow& window_;
  FileChooser& chooser_;
  QToolBar* bar_;
  QComboBox* selector_;
  std::optional<Order> order_;
  OrderResult result_;
  int shown_ = -1;
  const Nester* shownNester_ = nullptr;
};

}  // namespace platenest
