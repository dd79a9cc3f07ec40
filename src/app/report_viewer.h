// A read-only window showing a text report the program wrote (GBK on disk).
#pragma once

#include <QWidget>
#include <filesystem>

class QPlainTextEdit;

namespace platenest {

class ReportViewer : public QWidget {
 public:
  explicit ReportViewer(QWidget* owner);
  // Reads the file anew and shows it; false (and an empty view) when it cannot be read.
  bool showFile(const std::filesystem::path& path);
  QString text() const;

 private:
  QPlainTextEdit* view_;
};

}  // namespace platenest
