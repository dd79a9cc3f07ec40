// The Packing Kit and the editing of a layout in the real window: buttons, keys, mouse,
// rendered rubber bands, undo, and Cancel of a reduction run. With PLATENEST_SCREENSHOTS set
// to a folder, the editing walk leaves a picture of each step there.
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QScreen>
#include <QTest>
#include <iterator>

#include "app/report_viewer.h"
#include "app/packing_kit_dialog.h"
#include "shell_test_support.h"
#include "support/messages.h"

using namespace platenest;
using namespace platenest::testing;

class PackingKitTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { nameTestProgram("packing-kit-test"); }
  void kitHasItsButtonsInDialogUnitsAndClosesItself();
  void layoutAllFromTheKitWritesTheReportAndUndoRestoresEveryPose();
  void modeButtonsAndKeysSetTheModeAndTheFocusReturns();
  void turnOverTurnsTheFirstSelectedOnly();
  void mouseBoxIsDrawnMagentaAndSelects();
  void cancelDuringAReductionLeavesAValidJob();
  void editingWalk();
};

namespace {

struct Fixture : WindowFixture {
  Fixture() {
    window.setRemembersSize(false);
    window.resize(900, 640);
    window.show();
    QApplication::processEvents();
  }
  // Opens the library straight, without the file dialog.
  void load(const std::filesystem::path& path) { QVERIFY(window.openJob(path, LoadType::kTextLibrary)); }
  QPushButton* button(int id) {
    return named<QPushButton>(*window.packingKitDialog(), QString("button%1").arg(id));
  }
  void click(int id) { QTest::mouseClick(button(id), Qt::LeftButton); }
  PlacedPart& part(int index) { return *std::next(window.nester()->parts.begin(), index); }
  QPoint pixelOf(double x, double y) {
    const Pixel p = window.view().worldToPixel(Point(x, y));
    return QPoint(p.x, p.y);
  }
  void shoot(const char* name) {
    const QByteArray folder = qgetenv("PLATENEST_SCREENSHOTS");
    if (folder.isEmpty()) return;
    QApplication::processEvents();
    window.grab().save(QString("%1/%2.png").arg(QString::fromUtf8(folder), name), "PNG");
  }
};

struct PartPose {
  double x, y, rotation;
  bool mirrored, selected;
  bool operator==(const PartPose&) const = default;
};

std::vector<PartPose> poses(Nester& nester) {
  std::vector<PartPose> all;
  for (const PlacedPart& part : nester.parts) {
    all.push_back({part.refPoint.x, part.refPoint.y, part.rotation, part.mirrored, part.selected});
  }
  return all;
}

}  // namespace

void PackingKitTest::kitHasItsButtonsInDialogUnitsAndClosesItself() {
  Fixture f;
  f.load(exampleJob("job.txt"));
  QDialog* kit = f.window.packingKitDialog();
  QVERIFY(kit != nullptr && kit->isVisible());
  QCOMPARE(kit->windowTitle(), QString("Packing Kit 排样工具箱"));
  QCOMPARE(kit->findChildren<QPushButton*>().size(), 22);  // 20 commands, 确定 and 取消
  QCOMPARE(f.button(1014)->text(), QString("Move Part(s) With Colliding Test\n移动零件(带重迭测试)"));
  QCOMPARE(f.button(1017)->text(), QString("Up Contact\n零件向上\n碰靠"));
  QVERIFY(f.button(1)->isDefault());
  // Left and Right Contact share a row, Up sits above between them, Down below.
  const QRect left = f.button(1015)->geometry();
  const QRect right = f.button(1016)->geometry();
  const QRect up = f.button(1017)->geometry();
  QCOMPARE(left.top(), right.top());
  QVERIFY(up.top() < left.top() && up.left() > left.right() && up.right() < right.left());
  // 7 dialog units in from the left, 104 for the third column: in proportion to the width.
  const double unit = kit->width() / 156.0;
  QVERIFY(std::abs(f.button(1023)->x() - 104 * unit) < 2.0);
  QVERIFY(std::abs(f.button(1009)->x() - 7 * unit) < 2.0);
  // No label is clipped: every line, measured in the button's own font, fits its button.
  for (QPushButton* button : kit->findChildren<QPushButton*>()) {
    const QFontMetrics metrics(button->font());
    const QSize room = PackingKitDialog::labelRoom(*button);
    const QStringList lines = button->text().split('\n');
    for (const QString& line : lines) {
      QVERIFY2(metrics.horizontalAdvance(line) <= room.width(), qPrintable(line));
    }
    QVERIFY2(lines.size() * metrics.lineSpacing() <= room.height(), qPrintable(button->text()));
    QVERIFY(button->font().pointSizeF() >= 5.0);
  }
  // Beside the main window, not over its menu and plate.
  QVERIFY(!kit->frameGeometry().intersects(f.window.frameGeometry()) ||
          f.window.frameGeometry().width() + kit->frameGeometry().width() >
              f.window.screen()->availableGeometry().width());

  QTest::mouseClick(f.button(2), Qt::LeftButton);
  settleDeletions();
  QVERIFY(f.window.packingKitDialog() == nullptr);
  menuAction(f.window, 40016)->trigger();
  QVERIFY(f.window.packingKitDialog() != nullptr);
  QTest::mouseClick(f.button(1), Qt::LeftButton);
  settleDeletions();
  QVERIFY(f.window.packingKitDialog() == nullptr);
}

void PackingKitTest::layoutAllFromTheKitWritesTheReportAndUndoRestoresEveryPose() {
  Fixture f;
  f.load(exampleJob("job.txt"));
  const std::vector<PartPose> loaded = poses(*f.window.nester());
  f.click(1022);
  QVERIFY(std::filesystem::exists(f.scratch.path("Report.txt")));
  QVERIFY(f.window.nester()->computeLayoutStatistics().count > 0);
  const std::vector<PartPose> laidOut = poses(*f.window.nester());
  QVERIFY(laidOut != loaded);

  QTest::keyClick(f.window.canvas(), Qt::Key_Z, Qt::ControlModifier);
  QVERIFY(poses(*f.window.nester()) == loaded);  // every bit
  QTest::keyClick(f.window.canvas(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  QVERIFY(poses(*f.window.nester()) == laidOut);
  named<QAction>(f.window, "actionUndo")->trigger();
  QVERIFY(poses(*f.window.nester()) == loaded);
  named<QAction>(f.window, "actionUndo")->trigger();  // nothing before the load
  QVERIFY(poses(*f.window.nester()) == loaded);
  QVERIFY(f.window.statusBar()->currentMessage().contains("Nothing to undo"));
}

void PackingKitTest::modeButtonsAndKeysSetTheModeAndTheFocusReturns() {
  Fixture f;
  f.load(exampleJob("job.txt"));
  const std::pair<int, InteractionMode> buttons[] = {
      {1006, InteractionMode::kPan},    {1007, InteractionMode::kZoomWindow},
      {1009, InteractionMode::kSelect}, {1012, InteractionMode::kMove},
      {1013, InteractionMode::kRotate}, {1014, InteractionMode::kTestedMove}};
  for (const auto& [id, mode] : buttons) {
    f.click(id);
    QCOMPARE(f.window.interaction().mode(), mode);
    QVERIFY(named<QLabel>(f.window, "modeLabel")->text().contains(modeName(mode)));
  }
  const std::pair<Qt::Key, InteractionMode> keys[] = {
      {Qt::Key_M, InteractionMode::kMove},   {Qt::Key_O, InteractionMode::kTestedMove},
      {Qt::Key_P, InteractionMode::kPan},    {Qt::Key_R, InteractionMode::kRotate},
      {Qt::Key_S, InteractionMode::kSelect}, {Qt::Key_Z, InteractionMode::kZoomWindow}};
  for (const auto& [key, mode] : keys) {
    QTest::keyClick(f.window.canvas(), key);
    QCOMPARE(f.window.interaction().mode(), mode);
  }
  f.click(1021);
  for (const PlacedPart& part : f.window.nester()->parts) QVERIFY(part.selected);
  f.click(1023);
  for (const PlacedPart& part : f.window.nester()->parts) QVERIFY(!part.selected);
  QCOMPARE(f.window.interaction().mode(), InteractionMode::kSelect);
}

void PackingKitTest::turnOverTurnsTheFirstSelectedOnly() {
  Fixture f;
  f.load(exampleJob("job.txt"));
  f.click(1022);
  QVERIFY(f.window.nester()->parts.count() >= 3);
  f.part(1).selected = true;
  f.part(2).selected = true;
  // The layout may have turned parts over already: T inverts the first selected one's state.
  const bool first = f.part(1).mirrored;
  const bool second = f.part(2).mirrored;
  const bool unselected = f.part(0).mirrored;
  QTest::keyClick(f.window.canvas(), Qt::Key_T);
  QCOMPARE(f.part(1).mirrored, !first);
  QCOMPARE(f.part(2).mirrored, second);
  QCOMPARE(f.part(0).mirrored, unselected);
  QTest::keyClick(f.window.canvas(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(f.part(1).mirrored, first);
}

void PackingKitTest::mouseBoxIsDrawnMagentaAndSelects() {
  Fixture f;
  f.load(writeDiscAndSlabJob(f.scratch));
  f.click(1022);
  f.click(1009);
  QWidget* canvas = f.window.canvas();
  const BoundingBox plate = f.window.nester()->plateRect();
  const QPoint from = f.pixelOf(plate.minX - 100, plate.maxY + 100);
  const QPoint to = f.pixelOf(plate.maxX + 100, plate.minY - 100);
  QTest::mouseClick(canvas, Qt::LeftButton, {}, from);
  QTest::mouseMove(canvas, to);
  QApplication::processEvents();
  const QImage picture = f.window.renderClient();
  const QPoint mid((from.x() + to.x()) / 2, from.y());
  QCOMPARE(picture.pixelColor(mid), QColor(255, 0, 255));
  f.shoot("03-box-selection");
  QTest::mouseClick(canvas, Qt::LeftButton, {}, to);
  for (const PlacedPart& part : f.window.nester()->parts) {
    if (f.window.nester()->isOnPlate(part)) QVERIFY(part.selected);
  }
}

void PackingKitTest::cancelDuringAReductionLeavesAValidJob() {
  Fixture f;
  f.load(exampleJob("job.txt"));
  f.click(1021);
  bool cancelled = false;
  // Cancel as soon as the run lets the window answer.
  QTimer::singleShot(0, [&] {
    if (auto* progress = f.window.findChild<QProgressDialog*>("progressDialog")) {
      QVERIFY(f.window.busy());
      progress->cancel();
      cancelled = true;
    }
  });
  f.click(1029);
  QVERIFY(cancelled);
  QVERIFY(!f.window.busy());
  Nester& nester = *f.window.nester();
  QVERIFY(nester.progress == nullptr);
  QVERIFY(nester.plateLength() > 0 && nester.plateWidth() > 0);
  for (const PlacedPart& part : nester.parts) {
    if (nester.isOnPlate(part)) QVERIFY(nester.fitsAmongOthers(part));
  }
  QVERIFY(std::filesystem::exists(f.scratch.path("DetailsReport.txt")));
  // The job goes on: a new layout runs and undo takes the run back.
  f.click(1022);
  QVERIFY(nester.computeLayoutStatistics().count > 0);
}

// Load, lay out, select with a box, move by hand with the collision test, rotate, turn over,
// slide into contact, undo, write the drawing and the report.
void PackingKitTest::editingWalk() {
  Fixture f;
  f.load(writeDiscAndSlabJob(f.scratch));
  f.shoot("01-loaded");
  f.click(1022);
  f.shoot("02-laid-out");
  QWidget* canvas = f.window.canvas();
  PlacedPart& slab = f.part(1);
  QVERIFY(slab.area() < f.part(0).area());  // the disc comes first, the slab lies above it
  const BoundingBox box = slab.box();
  f.click(1009);
  QTest::mouseClick(canvas, Qt::LeftButton, {}, f.pixelOf(box.minX - 50, box.maxY + 50));
  QTest::mouseClick(canvas, Qt::LeftButton, {}, f.pixelOf(box.maxX + 50, box.minY - 50));
  QVERIFY(slab.selected);

  f.click(1014);
  const QPoint start = f.pixelOf((box.minX + box.maxX) / 2, (box.minY + box.maxY) / 2);
  QTest::mouseClick(canvas, Qt::LeftButton, {}, start);
  // Right and down: the disc below stops the y share, the x share goes through.
  QTest::mouseMove(canvas, start + QPoint(40, 40));
  QTest::mouseClick(canvas, Qt::LeftButton, {}, start + QPoint(40, 40));
  QVERIFY(slab.box().minX > box.minX);
  QCOMPARE(slab.box().minY, box.minY);
  f.shoot("04-moved");

  const double before = slab.box().minX;
  f.click(1015);
  QVERIFY(slab.box().minX < before);
  f.shoot("05-contact-left");
  f.click(1015);  // already resting on the plate's edge
  QVERIFY(f.window.statusBar()->currentMessage().contains("cannot move") ||
          f.window.statusBar()->currentMessage().contains("already in contact"));

  f.click(1013);
  const QPoint centre = f.pixelOf(slab.centroid().x, slab.centroid().y);
  QTest::mouseClick(canvas, Qt::LeftButton, {}, centre);
  const double turned = slab.rotation;
  QTest::keyClick(canvas, Qt::Key_A);
  QTest::keyClick(canvas, Qt::Key_A);
  QVERIFY(std::abs(slab.rotation - turned - 2 * kRotationStep) < 1e-9);
  QCOMPARE(f.window.renderClient().pixelColor(centre + QPoint(3, 3)), QColor(255, 0, 0));
  f.shoot("06-rotated");

  const bool mirrored = slab.mirrored;
  QTest::keyClick(canvas, Qt::Key_T);
  QCOMPARE(slab.mirrored, !mirrored);
  f.shoot("07-turned-over");

  // Turning over, two rotation steps, then the contact move are taken back.
  for (int i = 0; i < 3; ++i) QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(slab.rotation, turned);
  QCOMPARE(slab.mirrored, mirrored);
  QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(slab.box().minX, before);
  f.shoot("08-undone");

  f.chooser.answers.push_back(f.scratch.qpath("layout.dxf"));
  f.click(1025);
  QVERIFY(std::filesystem::exists(f.scratch.path("layout.dxf")));
  f.click(1024);
  QVERIFY(f.window.reportViewer() != nullptr && f.window.reportViewer()->isVisible());
}

QTEST_MAIN(PackingKitTest)
#include "packing_kit_test.moc"
