// The open and save dialogs the commands ask for a path, behind a seam: the program shows
// the platform's file dialogs, tests hand back the path they choose.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace platenest {

struct FileDialogSpec {
  QString title;
  QString filter;         // "description (patterns)"
  QString defaultSuffix;  // added to a name typed without one
};

// The part libraries and DXF lists ("OpenLibIn&Txt", "OpenLibIn&Dxf").
extern const FileDialogSpec kTextOpenDialog;
// The part-list file with its settings block ("OpenLibIn&Marlin").
extern const FileDialogSpec kPartListOpenDialog;
// Any job, its kind told from the file as the command line does (File → Open…).
extern const FileDialogSpec kJobOpenDialog;
// The layout drawing ("LayoutIn&Dxf").
extern const FileDialogSpec kLayoutSaveDialog;

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The chosen path, or nothing when the operator cancelled. `preset` is the path chosen
  // last time in a dialog of the same kind (empty at first).
  virtual std::optional<QString> openFile(QWidget* owner, const FileDialogSpec& spec,
                                          const QString& preset) = 0;
  virtual std::optional<QString> saveFile(QWidget* owner, const FileDialogSpec& spec,
                                          const QString& preset) = 0;
  // True when the operator goes on (Yes), false when not (No, the default).
  virtual bool confirm(QWidget* owner, const QString& title, const QString& question) = 0;
};

// The platform's file dialogs.
class DialogFileChooser : public FileChooser {
 public:
  std::optional<QString> openFile(QWidget* owner, const FileDialogSpec& spec,
                                  const QString& preset) override;
  std::optional<QString> saveFile(QWidget* owner, const FileDialogSpec& spec,
                                  const QString& preset) override;
  bool confirm(QWidget* owner, const QString& title, const QString& question) override;
};

}  // namespace platenest
