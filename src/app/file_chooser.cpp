#include "app/file_chooser.h"

#include <QFileDialog>
#include <QMessageBox>

namespace platenest {

const FileDialogSpec kTextOpenDialog{"Open File of Parts ", "Text Files (*.txt)", "txt"};
const FileDialogSpec kPartListOpenDialog{"Read Marlin File", "Text Files (*.preSrc)", "preSrc"};
const FileDialogSpec kJobOpenDialog{
    "Open Job", "Jobs (*.txt *.TXT *.preSrc);;All Files (*)", ""};
// The description names the upper-case pattern as operators know it; the files written
// are lower-case ".dxf", which is what the dialog lists.
const FileDialogSpec kLayoutSaveDialog{"Write DXF File of Layout", "Text Files (*.DXF) (*.dxf)",
                                       "dxf"};

namespace {

std::optional<QString> run(QWidget* owner, const FileDialogSpec& spec, const QString& preset,
                           QFileDialog::AcceptMode mode) {
  QFileDialog dialog(owner, spec.title);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setNameFilters(spec.filter.split(";;"));
  dialog.setDefaultSuffix(spec.defaultSuffix);
  if (!preset.isEmpty()) dialog.selectFile(preset);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace

std::optional<QString> DialogFileChooser::openFile(QWidget* owner, const FileDialogSpec& spec,
                                                   const QString& preset) {
  return run(owner, spec, preset, QFileDialog::AcceptOpen);
}

std::optional<QString> DialogFileChooser::saveFile(QWidget* owner, const FileDialogSpec& spec,
                                                   const QString& preset) {
  return run(owner, spec, preset, QFileDialog::AcceptSave);
}

bool DialogFileChooser::confirm(QWidget* owner, const QString& title, const QString& question) {
  QMessageBox box(QMessageBox::Warning, title, question, QMessageBox::Yes | QMessageBox::No,
                  owner);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace platenest
