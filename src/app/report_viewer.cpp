#include "app/report_viewer.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <string>

#include "support/gbk.h"
#include "support/whole_file.h"

namespace platenest {

ReportViewer::ReportViewer(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName("reportViewer");
  view_ = new QPlainTextEdit(this);
  view_->setObjectName("reportText");
  view_->setReadOnly(true);
  view_->setLineWrapMode(QPlainTextEdit::NoWrap);
  view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  resize(640, 480);
}

bool ReportViewer::showFile(const std::filesystem::path& path) {
  std::string bytes;
  const bool read = readWholeFile(path, bytes);
  const std::string utf8 = gbkToUtf8(bytes);
  // The report's lines end in CR LF; the viewer wants plain line ends.
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  text.replace("\r\n", "\n");
  view_->setPlainText(text);
  setWindowTitle(QString::fromStdString(path.filename().string()));
  show();
  raise();
  return read;
}

QString ReportViewer::text() const { return view_->toPlainText(); }

}  // namespace platenest
