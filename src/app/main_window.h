// The program's one window: the menu of the job commands, the picture of the layout, the
// keys that act on the parts, the status bar; it owns the job's nester, the view transform
// and the two tool dialogs.
#pragma once

#include <QDialog>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/file_chooser.h"
#include "app/interaction.h"
#include "app/layout_painter.h"
#include "app/undo_history.h"
#include "app/view_transform.h"
#include "loading/load.h"
#include "nesting/nester.h"

class QAction;
class QLabel;

namespace platenest {

class LayoutCanvas;
class PartsPanel;
class ReportViewer;

// "排样程序(调小母板尺寸)", the program's name and version, and the build date.
QString mainWindowTitle();

class MainWindow : public QMainWindow {
 public:
  // `chooser` asks for paths (the platform's dialogs when null); not owned.
  explicit MainWindow(FileChooser* chooser = nullptr);
  ~MainWindow() override;

  // The load sequence after the dialog: a new nester with the file loaded, the view fitted
  // to its plate, the Packing Kit opened. A load that fails or yields no part keeps the
  // previous job, its layout and its undo steps, and one message names the file and says
  // why; the parts a load rejected are listed in one message. True when the job was loaded.
  bool openJob(const std::filesystem::path& path, LoadType type);
  // Lays out every part not on the plate (no announcement), for pictures of a layout.
  void layoutAll();
  // A Packing Kit button's command, by the button's id.
  void packingKitCommand(int id);
  // Takes back or brings again the last change of poses or selection.
  void undo();
  void redo();

  // What the next paint shows: the layout drawn at the client size.
  QImage renderClient() const;
  // The client area was resized: refit the view to the whole plate.
  void clientResized(int width, int height);
  void showMousePosition(int px, int py);
  // The mouse on the layout, in client pixels.
  void mousePressed(int px, int py, bool shift);
  void mouseMoved(int px, int py, bool shift);
  void wheelTurned(int px, int py, int delta);

  Nester* nester() { return nester_.get(); }
  // Shows `job` as a loaded job is shown (an order's plate; none: no job) and hands back the
  // job shown before; the undo history starts afresh.
  std::unique_ptr<Nester> swapJob(std::unique_ptr<Nester> job);
  const ViewTransform& view() const { return view_; }
  LayoutCanvas* canvas() { return canvas_; }
  const ViewOptions& viewOptions() const { return options_; }
  ReportViewer* reportViewer() { return reportViewer_; }
  const Interaction& interaction() const { return interaction_; }
  const UndoHistory& history() const { return history_; }
  // True while a long command runs: nothing else may touch the job until it ends.
  bool busy() const { return busy_; }
  QDialog* packingKitDialog() { return packingKit_; }
  PartsPanel* partsPanel() { return partsPanel_; }
  // The parts that overlap another part or cross the plate's edge, as last worked out.
  const std::vector<std::int32_t>& partsInTheWay() const { return options_.partsInTheWay; }
  QDialog* rnPpdDialog() { return rnPpd_; }
  // Where the loads of new jobs keep their error log (default: "PackError.txt" in the home
  // folder).
  void setErrorLogPath(std::filesystem::path path) { errorLogPath_ = std::move(path); }
  // Whether the window size is read at start and kept at close (off for pictures).
  void setRemembersSize(bool remembers) { remembersSize_ = remembers; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenu();
  QAction* addCommand(QMenu* menu, const QString& text, int id, void (MainWindow::*command)());
  void openTextLibrary();
  void openDxfList();
  void openPartList();
  void openAnyJob();
  void loadSequence(const FileDialogSpec& dialog, LoadType type);
  void saveLayoutDxf();
  void exportParts();
  void openPackingKit();
  void openRnPpd();
  void closeToolDialogs();
  void chooseBlackBackground();
  void chooseWhiteBackground();
  void chooseBackground(int id);
  void togglePackingPoints();
  void toggleOffsetOutlines();
  void showPackingReport();
  void reducePlateSize();
  void contact(ContactDirection direction);
  void setMode(InteractionMode mode, bool resetClicks);
  void focusLayout();
  // Runs a command on the job under the busy cursor; a fatal error is shown and the window
  // goes on. Does nothing without a job.
  template <typename Command>
  void onJob(Command command);
  // As onJob, and the change can be undone.
  void onEdit(const std::function<void(Nester&)>& change, bool continuesGesture = false);
  // As onEdit for the layout commands and the reduction run: a progress window with Cancel,
  // the picture kept up to date, every other command held off until the command ends.
  void runLong(const QString& title, const std::function<void(Nester&)>& command);
  void repaint();
  void showJobStatus();
  // "Wrote …" in the status bar.
  void showWritten(const QString& what);
  // The rows chosen in the parts panel become the selection.
  void choosePartsFromPanel(const std::vector<std::int32_t>& ids);
  void showMode();
  QAction* action(int id) const;

  FileChooser* chooser_;
  std::unique_ptr<FileChooser> ownChooser_;
  std::unique_ptr<Nester> nester_;
  ViewTransform view_;
  BoundingBox worldBox_;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  ViewOptions options_;
  int backgroundMenuId_ = 40005;
  bool announceLayoutTime_ = true;
  // The layout commands' timing file, in the current folder.
  LayoutTiming layoutTiming_;
  QString lastOpenPath_;  // shared by the two open dialogs
  QString lastSavePath_;
  std::filesystem::path errorLogPath_;
  bool remembersSize_ = true;
  LayoutCanvas* canvas_;
  QLabel* positionLabel_;
  QLabel* jobLabel_;
  QLabel* modeLabel_;
  class Host;
  std::unique_ptr<Host> host_;
  Interaction interaction_;
  UndoHistory history_;
  bool busy_ = false;
  QPointer<QDialog> packingKit_;
  QPointer<QDialog> rnPpd_;
  ReportViewer* reportViewer_ = nullptr;
  PartsPanel* partsPanel_ = nullptr;
};

}  // namespace platenest
