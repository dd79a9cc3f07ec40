#include "app/message_box_sink.h"

#include <QApplication>
#include <QCursor>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QVBoxLayout>
#include <string>

namespace platenest {

namespace {

// Longer than this, a message is shown in a scrolling box (a list of rejected drawings).
constexpr int kLinesInAPlainBox = 12;

// In front of its owner and given the keys once it is shown: without a window manager
// nothing else brings it forward.
void bringForward(QDialog& box) {
  QTimer::singleShot(0, &box, [&box] {
    box.raise();
    box.activateWindow();
  });
}

void showScrolling(QWidget* owner, const QString& caption, const QString& text) {
  QDialog box(owner);
  box.setObjectName("messageBox");
  box.setWindowTitle(caption);
  box.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(&box);
  auto* lines = new QPlainTextEdit(text, &box);
  lines->setObjectName("messageText");
  lines->setReadOnly(true);
  lines->setLineWrapMode(QPlainTextEdit::NoWrap);
  lines->setMinimumSize(560, 280);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  buttons->button(QDialogButtonBox::Ok)->setFocus();
  layout->addWidget(lines, 1);
  layout->addWidget(buttons);
  bringForward(box);
  box.exec();
}

}  // namespace

void MessageBoxSink::show(std::string_view caption, std::string_view text) {
  if (caption == kNoticeCaption) QApplication::beep();
  // The busy cursor of a running command would hide that the box waits for the operator.
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const QString captionText = QString::fromUtf8(caption.data(), caption.size());
  const QString bodyText = QString::fromUtf8(text.data(), text.size());
  if (bodyText.count('\n') >= kLinesInAPlainBox) {
    showScrolling(owner_.data(), captionText, bodyText);
  } else {
    QMessageBox box(QMessageBox::NoIcon, captionText, bodyText, QMessageBox::Ok, owner_.data());
    box.setObjectName("messageBox");
    box.setDefaultButton(QMessageBox::Ok);
    box.setWindowModality(owner_ ? Qt::WindowModal : Qt::ApplicationModal);
    bringForward(box);
    box.exec();
  }
  if (busy) QApplication::restoreOverrideCursor();
}

HeldMessages::HeldMessages() : previous_(&messageSink()) { setMessageSink(this); }

HeldMessages::~HeldMessages() { release(); }

void HeldMessages::show(std::string_view caption, std::string_view text) {
  held_.push_back({std::string(caption), std::string(text)});
}

std::vector<RecordingMessageSink::Message> HeldMessages::take() {
  if (installed_) {
    setMessageSink(previous_);
    installed_ = false;
  }
  return std::exchange(held_, {});
}

void HeldMessages::release() {
  for (const RecordingMessageSink::Message& message : take()) {
    previous_->show(message.caption, message.text);
  }
}

void showFatalError(const FatalError& error) {
  std::string text = error.text();
  if (!error.detail().empty()) text += "\n" + error.detail();
  showMessage(error.caption().empty() ? kWarningCaption : error.caption(), text);
}

}  // namespace platenest
