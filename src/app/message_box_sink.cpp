#include "app/message_box_sink.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QString>
#include <string>

namespace platenest {

void MessageBoxSink::show(std::string_view caption, std::string_view text) {
  if (caption == kNoticeCaption) QApplication::beep();
  // The busy cursor of a running command would hide that the box waits for the operator.
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(caption.data(), caption.size()),
                  QString::fromUtf8(text.data(), text.size()), QMessageBox::Ok);
  box.exec();
  if (busy) QApplication::restoreOverrideCursor();
}

void showFatalError(const FatalError& error) {
  std::string text = error.text();
  if (!error.detail().empty()) text += "\n" + error.detail();
  showMessage(error.caption().empty() ? kWarningCaption : error.caption(), text);
}

}  // namespace platenest
