#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressDialog>
#include <QSettings>
#include <QStatusBar>
#include <chrono>
#include <cmath>

#include "app/layout_canvas.h"
#include "app/message_box_sink.h"
#include "app/order_plates.h"
#include "app/packing_kit_dialog.h"
#include "app/report_viewer.h"
#include "app/rn_ppd_dialog.h"
#include "output/layout_dxf.h"
#include "output/packing_report.h"
#include "output/parts_export.h"
#include "output/reduction_report.h"
#include "support/fatal_error.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

constexpr int kBlackBackgroundId = 40005;
constexpr int kWhiteBackgroundId = 40006;
constexpr const char* kReportFile = "Report.txt";
constexpr const char* kWindowSizeKey = "mainWindow/size";

// The wait cursor while a command runs; the window does not answer until it ends.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// Shows a long command's progress, keeps the window answering (painting, the Cancel button)
// between the engine's steps and passes Cancel on to the engine.
class WindowProgress : public Progress {
 public:
  WindowProgress(QWidget* owner, const QString& title)
      : dialog_(title, "Cancel", 0, 0, owner) {
    dialog_.setObjectName("progressDialog");
    dialog_.setWindowTitle(title);
    dialog_.setWindowModality(Qt::ApplicationModal);
    dialog_.setMinimumDuration(500);
    dialog_.setAutoReset(false);
    dialog_.setAutoClose(false);
    QObject::connect(&dialog_, &QProgressDialog::canceled, [this] { cancel(); });
  }
  void begin(std::string_view what, std::int64_t total) override {
    what_ = QString::fromUtf8(what.data(), static_cast<qsizetype>(what.size()));
    total_ = total;
    dialog_.setMaximum(static_cast<int>(std::min<std::int64_t>(total, 1 << 30)));
    dialog_.setValue(0);
    answer(true);
  }
  void advance(std::int64_t done) override {
    if (total_ > 0) dialog_.setValue(static_cast<int>(std::min(done, total_)));
    dialog_.setLabelText(QString("%1 of %2 %3").arg(done).arg(total_).arg(what_));
    answer(false);
  }

 private:
  // Lets the window paint and the operator press Cancel, a few times a second at most.
  void answer(bool now) {
    const auto time = std::chrono::steady_clock::now();
    if (!now && time - lastAnswer_ < std::chrono::milliseconds(50)) return;
    lastAnswer_ = time;
    QCoreApplication::processEvents();
  }

  QProgressDialog dialog_;
  QString what_;
  std::int64_t total_ = 0;
  std::chrono::steady_clock::time_point lastAnswer_{};
};

QString percent(double fraction) {
  return std::isfinite(fraction) ? QString::fromStdString(formatC("%.2f %%", fraction * 100.0))
                                 : QString("-");
}

}  // namespace

// What the gestures need from the window.
class MainWindow::Host : public InteractionHost {
 public:
  explicit Host(MainWindow& window) : window_(window) {}
  Nester* nester() override { return window_.busy_ ? nullptr : window_.nester_.get(); }
  ViewTransform& view() override { return window_.view_; }
  void repaint() override { window_.repaint(); }
  void edit(const std::function<void(Nester&)>& change, bool continuesGesture) override {
    window_.onEdit(change, continuesGesture);
  }
  void moveBlocked() override {
    window_.statusBar()->showMessage("Blocked: the selected parts cannot move that way", 4000);
  }

 private:
  MainWindow& window_;
};

QString mainWindowTitle() {
  return QString("排样程序(调小母板尺寸) - platenest %1, built %2")
      .arg(PLATENEST_VERSION, __DATE__);
}

MainWindow::MainWindow(FileChooser* chooser)
    : chooser_(chooser), host_(std::make_unique<Host>(*this)), interaction_(*host_) {
  if (chooser_ == nullptr) {
    ownChooser_ = std::make_unique<DialogFileChooser>();
    chooser_ = ownChooser_.get();
  }
  errorLogPath_ = defaultErrorLogPath();
  setObjectName("mainWindow");
  setWindowTitle(mainWindowTitle());
  canvas_ = new LayoutCanvas(this);
  setCentralWidget(canvas_);
  buildMenu();
  positionLabel_ = new QLabel(this);
  positionLabel_->setObjectName("positionLabel");
  jobLabel_ = new QLabel(this);
  jobLabel_->setObjectName("jobLabel");
  modeLabel_ = new QLabel(this);
  modeLabel_->setObjectName("modeLabel");
  statusBar()->addWidget(jobLabel_, 1);
  statusBar()->addPermanentWidget(modeLabel_);
  statusBar()->addPermanentWidget(positionLabel_);
  showMode();
  resize(QSettings().value(kWindowSizeKey, QSize(1024, 720)).toSize());
  canvas_->setFocus();
}

MainWindow::~MainWindow() { closeToolDialogs(); }

QAction* MainWindow::addCommand(QMenu* menu, const QString& text, int id,
                                void (MainWindow::*command)()) {
  QAction* item = menu->addAction(text);
  item->setObjectName(QString("action%1").arg(id));
  connect(item, &QAction::triggered, this, [this, command] { (this->*command)(); });
  return item;
}

void MainWindow::buildMenu() {
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("menuFile");
  addCommand(file, "OpenLibIn&Txt", 40001, &MainWindow::openTextLibrary);
  addCommand(file, "OpenLibIn&Dxf", 40002, &MainWindow::openDxfList);
  addCommand(file, "OpenLibIn&Marlin", 40020, &MainWindow::openPartList);
  file->addSeparator();
  addCommand(file, "LayoutIn&Dxf", 40004, &MainWindow::saveLayoutDxf);
  addCommand(file, "ExportParts(*.dxf)", 40014, &MainWindow::exportParts);
  new OrderPlates(*this, *file, *chooser_);

  QMenu* layout = menuBar()->addMenu("&Layout");
  layout->setObjectName("menuLayout");
  addCommand(layout, "Packing Kit", 40016, &MainWindow::openPackingKit);
  addCommand(layout, "&Renew_RN_PPD", 40003, &MainWindow::openRnPpd);

  QMenu* view = menuBar()->addMenu("&View");
  view->setObjectName("menuView");
  QAction* black =
      addCommand(view, "&Black Background", kBlackBackgroundId, &MainWindow::chooseBlackBackground);
  QAction* white =
      addCommand(view, "&White Background", kWhiteBackgroundId, &MainWindow::chooseWhiteBackground);
  QAction* points = addCommand(view, "PPT_Visible", 40012, &MainWindow::togglePackingPoints);
  QAction* offsets =
      addCommand(view, "OffsetedPartVisible", 40018, &MainWindow::toggleOffsetOutlines);
  for (QAction* item : {black, white, points, offsets}) item->setCheckable(true);

  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->setObjectName("menuEdit");
  QAction* undoItem = edit->addAction("Undo");
  undoItem->setObjectName("actionUndo");
  undoItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  // Also while the Packing Kit has the focus.
  undoItem->setShortcutContext(Qt::ApplicationShortcut);
  connect(undoItem, &QAction::triggered, this, [this] { undo(); });
  QAction* redoItem = edit->addAction("Redo");
  redoItem->setObjectName("actionRedo");
  redoItem->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  redoItem->setShortcutContext(Qt::ApplicationShortcut);
  connect(redoItem, &QAction::triggered, this, [this] { redo(); });
  // From here on the commands set the marks from the state they change.
  black->setChecked(backgroundMenuId_ == kBlackBackgroundId);
  white->setChecked(backgroundMenuId_ == kWhiteBackgroundId);
  points->setChecked(options_.showPackingPoints);
  offsets->setChecked(options_.showOffsetOutlines);
}

QAction* MainWindow::action(int id) const {
  return findChild<QAction*>(QString("action%1").arg(id));
}

// ---- loading

void MainWindow::openTextLibrary() { loadSequence(kTextOpenDialog, LoadType::kTextLibrary); }
void MainWindow::openDxfList() { loadSequence(kTextOpenDialog, LoadType::kDxfList); }
void MainWindow::openPartList() { loadSequence(kPartListOpenDialog, LoadType::kPartList); }

void MainWindow::loadSequence(const FileDialogSpec& dialog, LoadType type) {
  if (busy_) return;
  closeToolDialogs();
  const std::optional<QString> chosen = chooser_->openFile(this, dialog, lastOpenPath_);
  if (!chosen) return;
  lastOpenPath_ = *chosen;
  openJob(std::filesystem::path(chosen->toStdString()), type);
}

bool MainWindow::openJob(const std::filesystem::path& path, LoadType type) {
  closeToolDialogs();
  LoadReport report;
  try {
    BusyCursor busy;
    // The new job is built beside the old one, which stays on screen if the load fails.
    std::unique_ptr<Nester> loaded = openLibrary(path, type, errorLogPath_, {}, report);
    nester_ = std::move(loaded);
    history_.clear();
  } catch (const FatalError& error) {
    showFatalError(error);
    return false;
  }
  worldBox_ = nester_->plateRect();
  view_ = ViewTransform();
  view_.fit(clientWidth_, clientHeight_, worldBox_);
  repaint();
  showJobStatus();
  if (!report.rejected.empty()) {
    jobLabel_->setText(jobLabel_->text() +
                       QString("; %1 rejected (see the error log)").arg(report.rejected.size()));
  }
  openPackingKit();
  return true;
}

std::unique_ptr<Nester> MainWindow::swapJob(std::unique_ptr<Nester> job) {
  closeToolDialogs();
  std::unique_ptr<Nester> previous = std::move(nester_);
  nester_ = std::move(job);
  history_.clear();
  if (nester_) {
    worldBox_ = nester_->plateRect();
    view_ = ViewTransform();
    view_.fit(clientWidth_, clientHeight_, worldBox_);
  }
  repaint();
  if (nester_) showJobStatus();
  return previous;
}

// ---- commands on the job

template <typename Command>
void MainWindow::onJob(Command command) {
  if (!nester_ || busy_) return;
  try {
    BusyCursor busy;
    command(*nester_);
  } catch (const FatalError& error) {
    showFatalError(error);
  }
  repaint();
  showJobStatus();
}

void MainWindow::onEdit(const std::function<void(Nester&)>& change, bool continuesGesture) {
  onJob([&](Nester& nester) { history_.record(nester, change, continuesGesture); });
}

void MainWindow::runLong(const QString& title, const std::function<void(Nester&)>& command) {
  if (!nester_ || busy_) return;
  WindowProgress progress(this, title);
  Nester& nester = *nester_;
  {
    // Until the command ends, the keys, the mouse, the buttons and the loads leave the job
    // alone: the window only paints and answers Cancel.
    struct Running {
      MainWindow& window;
      Nester& nester;
      ~Running() {
        nester.progress = nullptr;
        window.busy_ = false;
      }
    } running{*this, nester};
    nester.progress = &progress;
    busy_ = true;
    try {
      BusyCursor busy;
      history_.record(nester, command, false);
    } catch (const FatalError& error) {
      nester.progress = nullptr;
      busy_ = false;
      showFatalError(error);
    }
  }
  repaint();
  showJobStatus();
}

void MainWindow::layoutAll() {
  runLong("Layout All", [](Nester& nester) { nester.layoutAll(false); });
}

void MainWindow::reducePlateSize() {
  runLong("Layout_PltDim_Reduced", [](Nester& nester) {
    ReductionReport details("DetailsReport.txt");
    nester.reducePlateSize([&](const ReductionStep& step) { details.record(nester, step); });
    details.finish();
  });
}

void MainWindow::contact(ContactDirection direction) {
  bool blocked = false;
  onEdit([&](Nester& nester) {
    const std::vector<Point> before = selectedRefPoints(nester);
    nester.contactSelected(direction);
    blocked = !before.empty() && samePlaces(selectedRefPoints(nester), before);
  });
  if (blocked) {
    statusBar()->showMessage("Blocked: the selected parts are already in contact that way", 4000);
  }
}

void MainWindow::undo() {
  if (!nester_ || busy_) return;
  if (!history_.undo(*nester_)) {
    statusBar()->showMessage("Nothing to undo", 3000);
    return;
  }
  repaint();
  showJobStatus();
}

void MainWindow::redo() {
  if (!nester_ || busy_) return;
  if (!history_.redo(*nester_)) {
    statusBar()->showMessage("Nothing to redo", 3000);
    return;
  }
  repaint();
  showJobStatus();
}

void MainWindow::setMode(InteractionMode mode, bool resetClicks) {
  interaction_.setMode(mode, resetClicks);
  showMode();
  repaint();
}

void MainWindow::showMode() {
  modeLabel_->setText(QString("Mode: %1").arg(modeName(interaction_.mode())));
}

void MainWindow::focusLayout() {
  activateWindow();
  canvas_->setFocus();
}

void MainWindow::packingKitCommand(int id) {
  if (busy_) return;
  // The keys of the layout window keep working after a button.
  focusLayout();
  switch (id) {
    case 1006: setMode(InteractionMode::kPan, true); break;
    case 1007: setMode(InteractionMode::kZoomWindow, false); break;
    case 1008:
      view_.fitAll();
      repaint();
      interaction_.resetClicks();
      break;
    case 1009: setMode(InteractionMode::kSelect, false); break;
    case 1021:
      setMode(InteractionMode::kSelect, false);
      onEdit([](Nester& nester) { nester.selectAll(); });
      break;
    case 1023:
      setMode(InteractionMode::kSelect, false);
      onEdit([](Nester& nester) { nester.clearSelection(); });
      break;
    case 1012: setMode(InteractionMode::kMove, true); break;
    case 1013: setMode(InteractionMode::kRotate, true); break;
    case 1014: setMode(InteractionMode::kTestedMove, true); break;
    case 1015: contact(ContactDirection::kLeft); break;
    case 1016: contact(ContactDirection::kRight); break;
    case 1017: contact(ContactDirection::kUp); break;
    case 1019: contact(ContactDirection::kDown); break;
    case 1020:
      runLong("Layout", [this](Nester& nester) { nester.layoutSelected(announceLayoutTime_); });
      break;
    case 1022:
      runLong("Layout All", [](Nester& nester) {
        nester.layoutAll(true);
        writePackingReport(nester, kReportFile);
      });
      break;
    case 1026:
      runLong("Layout Next", [](Nester& nester) {
        nester.stageNextPart();
        nester.layoutSelected(false);
      });
      break;
    case 1027:
      runLong("Layout Multiple Steps",
              [this](Nester& nester) { nester.layoutMultipleSteps(announceLayoutTime_); });
      break;
    case 1029: reducePlateSize(); break;
    case 1024: showPackingReport(); break;
    case 1025: saveLayoutDxf(); break;
    default: break;
  }
}

void MainWindow::saveLayoutDxf() {
  if (!nester_ || busy_) return;
  const std::optional<QString> chosen = chooser_->saveFile(this, kLayoutSaveDialog, lastSavePath_);
  if (!chosen) return;
  lastSavePath_ = *chosen;
  onJob([&](Nester& nester) { writeLayoutDxf(nester, chosen->toStdString()); });
}

void MainWindow::exportParts() {
  onJob([](Nester& nester) { exportPartsDxf(nester, "."); });
}

void MainWindow::showPackingReport() {
  bool written = false;
  onJob([&](Nester& nester) {
    writePackingReport(nester, kReportFile);
    written = true;
  });
  if (!written) return;
  if (reportViewer_ == nullptr) reportViewer_ = new ReportViewer(this);
  reportViewer_->showFile(kReportFile);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (busy_) return;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const bool rotating = interaction_.mode() == InteractionMode::kRotate;
  if (event->modifiers() & Qt::ControlModifier) {
    // Ctrl+Z reaching here (no shortcut took it) is undo, never the zoom-window key.
    if (event->key() == Qt::Key_Z) shift ? redo() : undo();
    return;
  }
  switch (event->key()) {
    case Qt::Key_Left: contact(ContactDirection::kLeft); break;
    case Qt::Key_Right: contact(ContactDirection::kRight); break;
    case Qt::Key_Up: contact(ContactDirection::kUp); break;
    case Qt::Key_Down: contact(ContactDirection::kDown); break;
    case Qt::Key_Escape:
      onEdit([](Nester& nester) { nester.clearSelection(); });
      interaction_.resetClicks();
      repaint();
      break;
    case Qt::Key_A:
      if (shift) {
        onEdit([](Nester& nester) { nester.selectAll(); });
      } else if (rotating) {
        interaction_.rotateStep(true);
      }
      break;
    case Qt::Key_C:
      if (rotating) interaction_.rotateStep(false);
      break;
    case Qt::Key_B: {
      if (!nester_) break;
      const bool announce = announceLayoutTime_;
      // The next layout announces again, whatever happens to this one.
      announceLayoutTime_ = true;
      runLong("Layout", [announce](Nester& nester) { nester.layoutSelected(announce); });
      break;
    }
    case Qt::Key_E:
      showPackingReport();
      break;
    case Qt::Key_N:
      if (!nester_) break;
      onEdit([](Nester& nester) { nester.stageNextPart(); });
      // The staged part is laid out by the next B without a time announcement.
      announceLayoutTime_ = false;
      break;
    case Qt::Key_M: setMode(InteractionMode::kMove, true); break;
    case Qt::Key_O: setMode(InteractionMode::kTestedMove, true); break;
    case Qt::Key_P: setMode(InteractionMode::kPan, true); break;
    case Qt::Key_R: setMode(InteractionMode::kRotate, true); break;
    case Qt::Key_S: setMode(InteractionMode::kSelect, false); break;
    case Qt::Key_Z: setMode(InteractionMode::kZoomWindow, false); break;
    case Qt::Key_T:
      onEdit([](Nester& nester) { nester.mirrorFirstSelected(); });
      break;
    case Qt::Key_X:
      if (nester_) {
        view_.fitAll();
        repaint();
      }
      break;
    default:
      QMainWindow::keyPressEvent(event);
  }
}

// ---- tool dialogs

void MainWindow::closeToolDialogs() {
  delete packingKit_.data();
  delete rnPpd_.data();
}

void MainWindow::openPackingKit() {
  delete packingKit_.data();
  auto* dialog = new PackingKitDialog(
      this, [this](int id) { packingKitCommand(id); },
      [this] {
        if (packingKit_) packingKit_->deleteLater();
        focusLayout();
      });
  packingKit_ = dialog;
  dialog->move(frameGeometry().topLeft());
  dialog->show();
}

void MainWindow::openRnPpd() {
  delete rnPpd_.data();
  auto* dialog = new RnPpdDialog(
      this, [this] { return busy_ ? nullptr : nester_.get(); },
      [this] {
        repaint();
        showJobStatus();
      },
      [this] {
        if (rnPpd_) rnPpd_->deleteLater();
      });
  rnPpd_ = dialog;
  dialog->show();
}

// ---- view menu

void MainWindow::chooseBlackBackground() { chooseBackground(kBlackBackgroundId); }
void MainWindow::chooseWhiteBackground() { chooseBackground(kWhiteBackgroundId); }

void MainWindow::chooseBackground(int id) {
  action(backgroundMenuId_)->setChecked(false);
  action(id)->setChecked(true);
  backgroundMenuId_ = id;
  options_.backgroundIndex = id - kBlackBackgroundId;
  repaint();
}

void MainWindow::togglePackingPoints() {
  options_.showPackingPoints = !options_.showPackingPoints;
  action(40012)->setChecked(options_.showPackingPoints);
  repaint();
}

void MainWindow::toggleOffsetOutlines() {
  options_.showOffsetOutlines = !options_.showOffsetOutlines;
  action(40018)->setChecked(options_.showOffsetOutlines);
  repaint();
}

// ---- painting and status

QImage MainWindow::renderClient() const {
  QImage picture = paintLayout(clientWidth_, clientHeight_, view_, nester_.get(), options_);
  if (nester_) paintGestureMarks(picture, interaction_.marks());
  return picture;
}

void MainWindow::clientResized(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  view_.fit(clientWidth_, clientHeight_, worldBox_);
  repaint();
}

void MainWindow::repaint() { canvas_->update(); }

void MainWindow::mousePressed(int px, int py, bool shift) {
  interaction_.leftButtonDown(Pixel{px, py}, shift);
  showMode();
}

void MainWindow::mouseMoved(int px, int py, bool shift) {
  showMousePosition(px, py);
  interaction_.mouseMove(Pixel{px, py}, shift);
}

void MainWindow::wheelTurned(int px, int py, int delta) {
  interaction_.wheel(Pixel{px, py}, delta);
}

void MainWindow::showMousePosition(int px, int py) {
  if (!nester_) {
    positionLabel_->clear();
    return;
  }
  const Point at = view_.pixelToWorld(px, py);
  positionLabel_->setText(QString::fromStdString(formatC("x %.1f  y %.1f mm", at.x, at.y)));
}

void MainWindow::showJobStatus() {
  if (!nester_) return;
  const LayoutStatistics statistics = nester_->computeLayoutStatistics();
  jobLabel_->setText(QString("%1 of %2 parts on the plate; packing length %3 mm; density %4")
                         .arg(statistics.count)
                         .arg(nester_->parts.count())
                         .arg(QString::fromStdString(formatC("%g", statistics.packingLength)))
                         .arg(percent(statistics.density)));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (busy_) {
    // The job is in the middle of a command: stop it first, close afterwards.
    if (nester_ && nester_->progress != nullptr) nester_->progress->cancel();
    event->ignore();
    return;
  }
  if (remembersSize_) QSettings().setValue(kWindowSizeKey, size());
  closeToolDialogs();
  if (reportViewer_ != nullptr) reportViewer_->close();
  event->accept();
}

}  // namespace platenest
