#include "app/layout_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include "app/main_window.h"

namespace platenest {

LayoutCanvas::LayoutCanvas(MainWindow* window) : QWidget(window), window_(window) {
  setObjectName("layoutCanvas");
  // Every pixel comes from the off-screen picture: nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(64, 48);
}

void LayoutCanvas::paintEvent(QPaintEvent*) {
  const QImage picture = window_->renderClient();
  QPainter painter(this);
  painter.drawImage(0, 0, picture);
}

void LayoutCanvas::resizeEvent(QResizeEvent* event) {
  window_->clientResized(event->size().width(), event->size().height());
}

void LayoutCanvas::mousePressEvent(QMouseEvent* event) {
  // The right button does nothing here.
  if (event->button() == Qt::LeftButton) {
    const QPoint at = event->position().toPoint();
    window_->mousePressed(at.x(), at.y(), event->modifiers() & Qt::ShiftModifier);
  }
  event->accept();
}

void LayoutCanvas::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  window_->mouseMoved(at.x(), at.y(), event->modifiers() & Qt::ShiftModifier);
}

void LayoutCanvas::wheelEvent(QWheelEvent* event) {
  const QPoint at = event->position().toPoint();
  const int delta = event->angleDelta().y();
  if (delta != 0) window_->wheelTurned(at.x(), at.y(), delta);
  event->accept();
}

}  // namespace platenest
