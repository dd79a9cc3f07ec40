#include "app/report_viewer.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <fstream>
#include <iterator>
#include <string>

#include "support/gbk.h"

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
  std::ifstream file(path, std::ios::binary);
  const std::string bytes = file ? std::string(std::istreambuf_iterator<char>(file), {}) : "";
  const std::string utf8 = gbkToUtf8(bytes);
  // The report's lines end in CR LF; the viewer wants plain line ends.
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  text.replace("\r\n", "\n");
  view_->setPlainText(text);
  setWindowTitle(QString::fromStdString(path.filename().string()));
  show();
  raise();
  return static_cast<bool>(file);
}

QString ReportViewer::text() const { return view_->toPlainText(); }

}  // namespace platenest
