#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressDialog>
#include <QScreen>
#include <QSettings>
#include <QSizePolicy>
#include <QStatusBar>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "app/layout_canvas.h"
#include "app/message_box_sink.h"
#include "app/order_plates.h"
#include "app/packing_kit_dialog.h"
#include "app/parts_panel.h"
#include "app/report_viewer.h"
#include "app/rn_ppd_dialog.h"
#include "loading/input_type.h"
#include "nesting/overlap_report.h"
#include "output/layout_dxf.h"
#include "output/packing_report.h"
#include "output/parts_export.h"
#include "output/reduction_report.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
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

// Where a tool window goes so that it covers neither the menu nor the plate: right of the
// main window if it fits on the screen, else left of it, else at the screen's right edge.
QPoint besideWindow(const QRect& main, const QSize& tool, const QRect& screen) {
  constexpr int kSpace = 4;
  if (main.right() + kSpace + tool.width() <= screen.right()) {
    return QPoint(main.right() + kSpace, main.top());
  }
  if (main.left() - kSpace - tool.width() >= screen.left()) {
    return QPoint(main.left() - kSpace - tool.width(), main.top());
  }
  return QPoint(std::max(screen.left(), screen.right() - tool.width()), main.top());
}

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
  // A small window clips the figures rather than letting them run into the mode and pointer.
  jobLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  jobLabel_->setMinimumWidth(0);
  statusBar()->addWidget(jobLabel_, 1);
  statusBar()->addPermanentWidget(modeLabel_);
  statusBar()->addPermanentWidget(positionLabel_);
  partsPanel_ = new PartsPanel(this, [this](const std::vector<std::int32_t>& ids) {
    choosePartsFromPanel(ids);
  });
  addDockWidget(Qt::RightDockWidgetArea, partsPanel_);
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
  // The program's own commands come first; the defined ones follow in their order.
  QAction* openAny = file->addAction("&Open…");
  openAny->setObjectName("actionOpen");
  openAny->setShortcut(QKeySequence::Open);
  connect(openAny, &QAction::triggered, this, [this] { openAnyJob(); });
  file->addSeparator();
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

void MainWindow::openAnyJob() {
  if (busy_) return;
  closeToolDialogs();
  const std::optional<QString> chosen = chooser_->openFile(this, kJobOpenDialog, lastOpenPath_);
  if (!chosen) return;
  lastOpenPath_ = *chosen;
  const std::filesystem::path path(chosen->toStdString());
  openJob(path, detectLoadType(path));
}

namespace {

// One line per rejected part: its name, the reason and, when the reader knew more, where.
std::string rejectedLines(const std::vector<RejectedPart>& rejected) {
  std::string lines;
  for (const RejectedPart& part : rejected) {
    lines.append("\n");
    lines.append(part.name.empty() ? std::string("(unnamed)") : displayName(part.name));
    lines.append(": ");
    lines.append(part.reason);
    if (part.detail.empty()) continue;
    lines.append(" (");
    lines.append(part.detail);
    lines.append(")");
  }
  return lines;
}

// The messages the load flow showed, each once, in order, that the lines above do not say.
std::string heldLines(const std::vector<RecordingMessageSink::Message>& held,
                      const std::string& already) {
  std::string lines;
  std::vector<std::string> seen;
  for (const RecordingMessageSink::Message& message : held) {
    if (std::find(seen.begin(), seen.end(), message.text) != seen.end()) continue;
    seen.push_back(message.text);
    if (already.find(message.text) != std::string::npos) continue;
    lines += "\n" + message.text;
  }
  return lines;
}

}  // namespace

bool MainWindow::openJob(const std::filesystem::path& path, LoadType type) {
  if (busy_) return false;
  closeToolDialogs();
  const std::string file = displayName(path.string());
  LoadReport report;
  std::unique_ptr<Nester> loaded;
  std::vector<RecordingMessageSink::Message> held;
  std::optional<FatalError> failure;
  {
    // Everything the load flow says is gathered into one message, not a box per part.
    HeldMessages messages;
    try {
      BusyCursor busy;
      // The new job is built beside the old one, which stays on screen if the load fails.
      loaded = openLibrary(path, type, errorLogPath_, {}, report);
    } catch (const FatalError& error) {
      failure = error;
    }
    held = messages.take();
  }
  if (failure || loaded == nullptr || loaded->parts.count() == 0) {
    std::string text;
    if (failure) {
      // The reader's own words first, as defined; then which file, unless they say it.
      text = failure->text();
      if (!failure->detail().empty()) text += "\n" + failure->detail();
      if (text.find(file) == std::string::npos) text += "\nFile: " + file;
    } else {
      text = file + ": no part could be loaded from this " + std::string(loadTypeName(type)) + ".";
    }
    const std::string rejected = rejectedLines(report.rejected);
    text += rejected + heldLines(held, text);
    text += nester_ ? "\nThe job shown before stays as it was." : "";
    showMessage(failure && !failure->caption().empty() ? failure->caption() : kWarningCaption,
                text);
    statusBar()->showMessage(QString::fromStdString(file + " not loaded"), 5000);
    return false;
  }
  nester_ = std::move(loaded);
  history_.clear();
  worldBox_ = nester_->plateRect();
  view_ = ViewTransform();
  view_.fit(clientWidth_, clientHeight_, worldBox_);
  repaint();
  showJobStatus();
  if (!report.rejected.empty() || !held.empty()) {
    std::string text;
    if (!report.rejected.empty()) {
      text = file + ": " + std::to_string(report.rejected.size()) +
             (report.rejected.size() == 1 ? " part was" : " parts were") +
             " left out (see the error log)" + rejectedLines(report.rejected);
    } else {
      text = file + ":";
    }
    text += heldLines(held, text);
    showMessage(kWarningCaption, text);
  }
  if (!report.rejected.empty()) {
    jobLabel_->setText(jobLabel_->text() +
                       QString("; %1 rejected (see the error log)").arg(report.rejected.size()));
  }
  openPackingKit();
  focusLayout();
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
  std::optional<FatalError> failure;
  {
    // What the command announces (the layout time) waits until its progress window is gone:
    // a box behind a modal progress window could be neither seen nor answered.
    HeldMessages messages;
    {
      WindowProgress progress(this, title);
      Nester& nester = *nester_;
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
        failure = error;
      }
    }
    repaint();
    showJobStatus();
    messages.release();
  }
  if (failure) showFatalError(*failure);
  focusLayout();
}

void MainWindow::layoutAll() {
  runLong("Layout All", [this](Nester& nester) {
    layoutTiming_.time(TimingRecord::kLastCommand, false, [&]() { nester.layoutAll(); });
  });
}

void MainWindow::reducePlateSize() {
  if (!nester_ || busy_) return;
  bool anySelected = false;
  bool anyOnPlate = false;
  for (const PlacedPart& part : nester_->parts) {
    anySelected = anySelected || part.selected;
    anyOnPlate = anyOnPlate || nester_->isOnPlate(part);
  }
  // With nothing selected and nothing on the plate every trial would count no part and the
  // plate would shrink to its smallest size: take every part, as `platenest reduce` does.
  const bool takesEveryPart = !anySelected && !anyOnPlate;
  bool finished = false;
  runLong("Layout_PltDim_Reduced", [&](Nester& nester) {
    if (takesEveryPart) nester.selectAll();
    // The report and the step drawings are one set: a run that fails leaves the previous
    // report beside the drawings it names.
    OutputSet outputs;
    ReductionReport details("DetailsReport.txt");
    nester.reducePlateSize(layoutTiming_,
                           [&](const ReductionStep& step) { details.record(nester, step); });
    details.finish();
    const std::string problem = outputs.commit();
    if (!problem.empty()) {
      throw FatalError::warning("the outputs could not be put in place: " + problem);
    }
    finished = true;
  });
  if (!finished) return;
  const QString size = QString::fromStdString(
      formatC("%g x %g", nester_->plateLength(), nester_->plateWidth()));
  QString how;
  if (takesEveryPart) {
    how = "no part was selected or placed, so every part was laid out; ";
  } else if (!anySelected) {
    how = "no part was selected: the parts on the plate stayed where they were; ";
  }
  statusBar()->showMessage(
      QString("Plate reduced to %1 mm (%2wrote DetailsReport.txt and a drawing per size)")
          .arg(size, how),
      15000);
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
      runLong("Layout", [this](Nester& nester) {
        layoutTiming_.time(TimingRecord::kLastCommand, announceLayoutTime_,
                           [&]() { nester.layoutSelected(); });
      });
      break;
    case 1022:
      runLong("Layout All", [this](Nester& nester) {
        layoutTiming_.time(TimingRecord::kLastCommand, true, [&]() { nester.layoutAll(); });
        writePackingReport(nester, kReportFile);
        showWritten(kReportFile);
      });
      break;
    case 1026:
      runLong("Layout Next", [this](Nester& nester) {
        nester.stageNextPart();
        layoutTiming_.time(TimingRecord::kLastCommand, false, [&]() { nester.layoutSelected(); });
      });
      break;
    case 1027:
      runLong("Layout Multiple Steps", [this](Nester& nester) {
        layoutTiming_.time(TimingRecord::kDatedEntry, announceLayoutTime_,
                           [&]() { nester.layoutMultipleSteps(); });
      });
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
  showJobStatus();
  if (!options_.partsInTheWay.empty()) {
    const QString question =
        QString("%1 of the parts overlap another part or cross the plate's edge (hatched in "
                "the layout). Write the drawing for the cutter anyway?")
            .arg(options_.partsInTheWay.size());
    if (!chooser_->confirm(this, "Parts in the way", question)) {
      statusBar()->showMessage("Layout drawing not written: parts are in the way", 8000);
      return;
    }
  }
  bool written = false;
  onJob([&](Nester& nester) {
    writeLayoutDxf(nester, chosen->toStdString());
    written = true;
  });
  if (written) showWritten(*chosen);
}

void MainWindow::exportParts() {
  bool written = false;
  onJob([&](Nester& nester) {
    exportPartsDxf(nester, ".");
    written = true;
  });
  if (written) showWritten(QString("the part drawings to %1").arg(QDir::currentPath()));
}

void MainWindow::showPackingReport() {
  bool written = false;
  onJob([&](Nester& nester) {
    writePackingReport(nester, kReportFile);
    written = true;
  });
  if (!written) return;
  showWritten(kReportFile);
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
      runLong("Layout", [this, announce](Nester& nester) {
        layoutTiming_.time(TimingRecord::kLastCommand, announce, [&]() { nester.layoutSelected(); });
      });
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
  dialog->move(besideWindow(frameGeometry(), dialog->frameGeometry().size(),
                            screen()->availableGeometry()));
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
  if (!nester_) {
    options_.partsInTheWay.clear();
    partsPanel_->showParts(nullptr, {});
    return;
  }
  // Every change of poses ends here: the parts in the way are worked out afresh.
  int overlapping = 0;
  int acrossEdge = 0;
  options_.partsInTheWay.clear();
  for (const PartInTheWay& part : platenest::partsInTheWay(*nester_)) {
    options_.partsInTheWay.push_back(part.id);
    ++(part.acrossPlateEdge ? acrossEdge : overlapping);
  }
  const LayoutStatistics statistics = nester_->computeLayoutStatistics();
  QString text = QString("%1 of %2 parts on the plate; packing length %3 mm; density %4")
                     .arg(statistics.count)
                     .arg(nester_->parts.count())
                     .arg(QString::fromStdString(formatC("%g", statistics.packingLength)))
                     .arg(percent(statistics.density));
  QStringList warnings;
  if (overlapping > 0) {
    warnings << (overlapping == 1 ? QString("1 part overlaps")
                                  : QString("%1 parts overlap").arg(overlapping));
  }
  if (acrossEdge > 0) {
    warnings << (acrossEdge == 1 ? QString("1 part crosses the plate's edge")
                                 : QString("%1 parts cross the plate's edge").arg(acrossEdge));
  }
  if (!warnings.isEmpty()) text = warnings.join(", ") + " — " + text;
  jobLabel_->setText(text);
  jobLabel_->setToolTip(text);
  jobLabel_->setStyleSheet(warnings.isEmpty() ? QString() : QString("color: #c05000;"));
  partsPanel_->showParts(nester_.get(), options_.partsInTheWay);
  repaint();
}

void MainWindow::showWritten(const QString& what) {
  statusBar()->showMessage("Wrote " + what, 8000);
}

void MainWindow::choosePartsFromPanel(const std::vector<std::int32_t>& ids) {
  if (!nester_ || busy_) return;
  onEdit([&ids](Nester& nester) {
    for (PlacedPart& part : nester.parts) {
      part.selected = std::find(ids.begin(), ids.end(), part.id) != ids.end();
    }
  });
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
