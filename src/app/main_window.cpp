#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <cmath>

#include "app/layout_canvas.h"
#include "app/message_box_sink.h"
#include "app/packing_kit_dialog.h"
#include "app/report_viewer.h"
#include "app/rn_ppd_dialog.h"
#include "output/layout_dxf.h"
#include "output/packing_report.h"
#include "output/parts_export.h"
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

QString percent(double fraction) {
  return std::isfinite(fraction) ? QString::fromStdString(formatC("%.2f %%", fraction * 100.0))
                                 : QString("-");
}

}  // namespace

QString mainWindowTitle() {
  return QString("排样程序(调小母板尺寸) - platenest %1, built %2")
      .arg(PLATENEST_VERSION, __DATE__);
}

MainWindow::MainWindow(FileChooser* chooser) : chooser_(chooser) {
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
  statusBar()->addWidget(jobLabel_, 1);
  statusBar()->addPermanentWidget(positionLabel_);
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

// ---- commands on the job

template <typename Command>
void MainWindow::onJob(Command command) {
  if (!nester_) return;
  try {
    BusyCursor busy;
    command(*nester_);
  } catch (const FatalError& error) {
    showFatalError(error);
  }
  repaint();
  showJobStatus();
}

void MainWindow::layoutAll() {
  onJob([](Nester& nester) { nester.layoutAll(false); });
}

void MainWindow::saveLayoutDxf() {
  if (!nester_) return;
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
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  switch (event->key()) {
    case Qt::Key_Left:
      onJob([](Nester& nester) { nester.contactSelected(ContactDirection::kLeft); });
      break;
    case Qt::Key_Right:
      onJob([](Nester& nester) { nester.contactSelected(ContactDirection::kRight); });
      break;
    case Qt::Key_Up:
      onJob([](Nester& nester) { nester.contactSelected(ContactDirection::kUp); });
      break;
    case Qt::Key_Down:
      onJob([](Nester& nester) { nester.contactSelected(ContactDirection::kDown); });
      break;
    case Qt::Key_Escape:
      onJob([](Nester& nester) { nester.clearSelection(); });
      break;
    case Qt::Key_A:
      if (shift) onJob([](Nester& nester) { nester.selectAll(); });
      break;
    case Qt::Key_B:
      onJob([this](Nester& nester) {
        const bool announce = announceLayoutTime_;
        // The next layout announces again, whatever happens to this one.
        announceLayoutTime_ = true;
        nester.layoutSelected(announce);
      });
      break;
    case Qt::Key_E:
      showPackingReport();
      break;
    case Qt::Key_N:
      onJob([this](Nester& nester) {
        nester.stageNextPart();
        // The staged part is laid out by the next B without a time announcement.
        announceLayoutTime_ = false;
      });
      break;
    case Qt::Key_T:
      onJob([](Nester& nester) { nester.mirrorFirstSelected(); });
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
  auto* dialog = new PackingKitDialog(this, [this] {
    if (packingKit_) packingKit_->deleteLater();
  });
  packingKit_ = dialog;
  dialog->move(frameGeometry().topLeft());
  dialog->show();
}

void MainWindow::openRnPpd() {
  delete rnPpd_.data();
  auto* dialog = new RnPpdDialog(
      this, [this] { return nester_.get(); },
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
  return paintLayout(clientWidth_, clientHeight_, view_, nester_.get(), options_);
}

void MainWindow::clientResized(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  view_.fit(clientWidth_, clientHeight_, worldBox_);
  repaint();
}

void MainWindow::repaint() { canvas_->update(); }

void MainWindow::zoomWheel(int px, int py, bool forward) {
  constexpr double kWheelStep = 1.1;
  view_.zoomAt(px, py, forward ? view_.scale() * kWheelStep : view_.scale() / kWheelStep);
  repaint();
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
  if (remembersSize_) QSettings().setValue(kWindowSizeKey, size());
  closeToolDialogs();
  if (reportViewer_ != nullptr) reportViewer_->close();
  event->accept();
}

}  // namespace platenest
