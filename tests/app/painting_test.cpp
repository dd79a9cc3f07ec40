// What the operator sees, read from the pixels of the painted client area at the places
// the view transform predicts: plate corners, part edges in their colours, the working
// outlines, the free packing points, the backgrounds, and arcs that stay round when zoomed.
#include <QTest>
#include <cmath>

#include <QApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTableWidget>

#include "app/parts_panel.h"
#include "nesting/posed_layout.h"
#include "shell_test_support.h"
#include "support/gbk.h"
#include "support/messages.h"

using namespace platenest;
using namespace platenest::testing;

class PaintingTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase();
  void plateCornersLandWhereTheFitPutsThem();
  void partsShowInTheirColours();
  void partsInTheWayAreHatchedCountedAndConfirmed();
  void workingOutlinesAndPackingPointsFollowTheViewMenu();
  void arcsStayRoundWhenZoomedIn();
  void wheelZoomKeepsThePointUnderThePointer();
  void resizeShowsTheWholePlateAgain();
  void cleanupTestCase();
};

namespace {

// One window for the whole program: every case paints the same job.
WindowFixture* shell = nullptr;
const Scratch* scratch = nullptr;
ScriptedFileChooser* chooser = nullptr;
MainWindow* window = nullptr;

QColor at(const QImage& picture, const Pixel& p) { return picture.pixelColor(p.x, p.y); }
QColor at(const QImage& picture, const Point& world) {
  return at(picture, window->view().worldToPixel(world));
}

const PosedPart& posed(const PosedLayout& layout, const char* name) {
  for (const PosedPart& part : layout.parts) {
    if (part.name == name) return part;
  }
  qFatal("no part %s", name);
}

// The middle of a part's top edge, from its true outline.
Point topMiddle(const PosedPart& part) {
  const BoundingBox& box = part.cut.box();
  return Point((box.minX + box.maxX) / 2, box.maxY);
}

}  // namespace

void PaintingTest::initTestCase() {
  nameTestProgram("painting-test");
  shell = new WindowFixture;
  scratch = &shell->scratch;
  chooser = &shell->chooser;
  window = &shell->window;
  window->setRemembersSize(false);
  window->canvas()->setFixedSize(801, 601);
  window->show();
  QVERIFY(QTest::qWaitForWindowExposed(window));
  shell->load(writeDiscAndSlabJob(*scratch));
  QVERIFY(window->nester() != nullptr);
  QCOMPARE(window->view().width(), 801);
  QCOMPARE(window->view().height(), 601);
}

void PaintingTest::plateCornersLandWhereTheFitPutsThem() {
  const QImage picture = window->renderClient();
  QCOMPARE(picture.size(), QSize(801, 601));
  QCOMPARE(picture.pixelColor(20, 553), kPlateColour);  // the lower-left corner, as computed
  for (const Point& corner : {Point(0, 0), Point(6000, 0), Point(6000, 4000), Point(0, 4000)}) {
    QCOMPARE(at(picture, corner), kPlateColour);
  }
  QCOMPARE(at(picture, Point(3000, 4000)), kPlateColour);
  QCOMPARE(picture.pixelColor(2, 2), kBlackBackground);
  QCOMPARE(picture.pixelColor(400, 300), kBlackBackground);  // nothing laid out, no grid yet
}

void PaintingTest::partsShowInTheirColours() {
  window->layoutAll();
  Nester& nester = *window->nester();
  QCOMPARE(nester.computeLayoutStatistics().count, 2);
  PosedLayout layout = poseLayout(nester);
  QImage picture = window->renderClient();
  const Point slabTop = topMiddle(posed(layout, "SLAB"));
  const Point discTop = topMiddle(posed(layout, "DISC"));
  QCOMPARE(at(picture, slabTop), kPartColour);
  QCOMPARE(at(picture, discTop), kPartColour);

  // Selected: red, two pixels wide.
  pressKey(*window, Qt::Key_A, Qt::ShiftModifier);
  picture = window->renderClient();
  const Pixel edge = window->view().worldToPixel(slabTop);
  QCOMPARE(at(picture, edge), kSelectedColour);
  QVERIFY(picture.pixelColor(edge.x, edge.y - 1) == kSelectedColour ||
          picture.pixelColor(edge.x, edge.y + 1) == kSelectedColour);

  // Turned over and no longer selected: yellow. T turns the first selected part in list
  // order (the disc, the larger).
  pressKey(*window, Qt::Key_T);
  pressKey(*window, Qt::Key_Escape);
  layout = poseLayout(nester);
  QVERIFY(posed(layout, "DISC").mirrored);
  picture = window->renderClient();
  QCOMPARE(at(picture, topMiddle(posed(layout, "DISC"))), kTurnedOverColour);
  // Yellow on black as ever; on white, where yellow would vanish, olive.
  menuAction(*window, 40006)->trigger();
  QCOMPARE(at(window->renderClient(), topMiddle(posed(layout, "DISC"))), kTurnedOverOnWhiteColour);
  menuAction(*window, 40005)->trigger();
  QCOMPARE(at(picture, slabTop), kPartColour);
  QCOMPARE(picture.pixelColor(edge.x, edge.y - 1) == kSelectedColour ||
               picture.pixelColor(edge.x, edge.y + 1) == kSelectedColour,
           false);

  // Turn it back for the other cases.
  pressKey(*window, Qt::Key_A, Qt::ShiftModifier);
  pressKey(*window, Qt::Key_T);
  pressKey(*window, Qt::Key_Escape);
  QVERIFY(!poseLayout(nester).parts.front().mirrored);
}

namespace {

// Pixels of the hatching of parts in the way inside the part's own bounding box on screen.
int hatchedPixels(const QImage& picture, const PosedPart& part) {
  const Pixel low = window->view().worldToPixel(Point(part.cut.box().minX, part.cut.box().minY));
  const Pixel high = window->view().worldToPixel(Point(part.cut.box().maxX, part.cut.box().maxY));
  int count = 0;
  for (int y = std::max(0, high.y); y <= std::min(picture.height() - 1, low.y); ++y) {
    for (int x = std::max(0, low.x); x <= std::min(picture.width() - 1, high.x); ++x) {
      count += picture.pixelColor(x, y) == kInTheWayColour ? 1 : 0;
    }
  }
  return count;
}

QString jobStatus() { return named<QLabel>(*window, "jobLabel")->text(); }

// Chooses the part's row in the parts panel, as a click on it does.
void chooseRow(const char* name) {
  PartsPanel* panel = window->partsPanel();
  for (int row = 0; row < panel->table()->rowCount(); ++row) {
    if (panel->table()->item(row, PartsPanel::kName)->text() == name) {
      panel->table()->selectRow(row);
      return;
    }
  }
  qFatal("no row %s", name);
}

}  // namespace

void PaintingTest::partsInTheWayAreHatchedCountedAndConfirmed() {
  Nester& nester = *window->nester();
  QCOMPARE(nester.computeLayoutStatistics().count, 2);
  QVERIFY(window->partsInTheWay().empty());
  QVERIFY(!jobStatus().contains("overlap"));
  const QImage clean = window->renderClient();
  QCOMPARE(hatchedPixels(clean, posed(poseLayout(nester), "SLAB")), 0);

  // The slab alone, from its row in the parts panel.
  pressKey(*window, Qt::Key_Escape);
  chooseRow("SLAB");
  for (const PlacedPart& part : nester.parts) {
    QCOMPARE(part.selected, displayName(part.label.text) == "SLAB");
  }
  // Moved untested so that its centre sits on the disc's right edge, then turned 15 degrees
  // about that centre: it overlaps the disc and stays inside the plate.
  const PosedLayout before = poseLayout(nester);
  const BoundingBox slabBox = posed(before, "SLAB").cut.box();
  const BoundingBox discBox = posed(before, "DISC").cut.box();
  const Pixel from = window->view().worldToPixel(
      Point((slabBox.minX + slabBox.maxX) / 2, (slabBox.minY + slabBox.maxY) / 2));
  const Pixel to = window->view().worldToPixel(
      Point(discBox.maxX, (discBox.minY + discBox.maxY) / 2));
  pressKey(*window, Qt::Key_M);
  window->mousePressed(from.x, from.y, false);
  window->mouseMoved(to.x, to.y, false);
  window->mousePressed(to.x, to.y, false);
  pressKey(*window, Qt::Key_R);
  window->mousePressed(to.x, to.y, false);
  pressKey(*window, Qt::Key_A);
  const PosedLayout turned = poseLayout(nester);
  QVERIFY(std::fabs(posed(turned, "SLAB").rotation) > 0.2);
  QCOMPARE(window->partsInTheWay().size(), std::size_t{2});
  QVERIFY2(jobStatus().startsWith("2 parts overlap"), qPrintable(jobStatus()));
  pressKey(*window, Qt::Key_Escape);  // not red: the hatching shows whatever the outline
  QImage picture = window->renderClient();
  QVERIFY(hatchedPixels(picture, posed(turned, "SLAB")) > 50);
  QVERIFY(hatchedPixels(picture, posed(turned, "DISC")) > 50);
  // The hatching never takes the colours of the selection or of turned-over parts.
  QVERIFY(kInTheWayColour != kSelectedColour && kInTheWayColour != kTurnedOverColour &&
          kInTheWayColour != kTurnedOverOnWhiteColour);
  // The panel marks them too.
  PartsPanel* panel = window->partsPanel();
  for (int row = 0; row < panel->table()->rowCount(); ++row) {
    QCOMPARE(panel->table()->item(row, PartsPanel::kOnPlate)->text(), QString("in the way"));
  }

  if (!qgetenv("PLATENEST_SCREENSHOTS").isEmpty()) {
    QApplication::processEvents();
    window->grab().save(QString("%1/overlap-warning.png")
                            .arg(QString::fromUtf8(qgetenv("PLATENEST_SCREENSHOTS"))),
                        "PNG");
  }

  // The drawing for the cutter is written only when the operator says so.
  const std::filesystem::path drawing = scratch->path("overlapping.dxf");
  chooser->answers.push_back(QString::fromStdString(drawing.string()));
  menuAction(*window, 40004)->trigger();
  QCOMPARE(chooser->questions.size(), std::size_t{1});
  QVERIFY(chooser->questions.back().startsWith("2 of the parts overlap"));
  QVERIFY(!std::filesystem::exists(drawing));
  chooser->answers.push_back(QString::fromStdString(drawing.string()));
  chooser->confirmations.push_back(true);
  menuAction(*window, 40004)->trigger();
  QVERIFY(std::filesystem::exists(drawing));
  QVERIFY(window->statusBar()->currentMessage().startsWith("Wrote "));

  // Undone step by step, the warning goes with the overlap.
  window->undo();  // the selection cleared
  window->undo();  // the turn
  window->undo();  // the move
  QVERIFY(window->partsInTheWay().empty());
  QVERIFY(!jobStatus().contains("overlap"));
  pressKey(*window, Qt::Key_Escape);
  picture = window->renderClient();
  QCOMPARE(hatchedPixels(picture, posed(poseLayout(nester), "SLAB")), 0);

  // Half over the plate's right edge: counted as crossing it, hatched as well.
  pressKey(*window, Qt::Key_Escape);
  chooseRow("SLAB");
  const Pixel edge = window->view().worldToPixel(Point(6000, (slabBox.minY + slabBox.maxY) / 2));
  pressKey(*window, Qt::Key_M);
  window->mousePressed(from.x, from.y, false);
  window->mouseMoved(edge.x, edge.y, false);
  window->mousePressed(edge.x, edge.y, false);
  QVERIFY2(jobStatus().startsWith("1 part crosses the plate's edge"), qPrintable(jobStatus()));
  QVERIFY(hatchedPixels(window->renderClient(), posed(poseLayout(nester), "SLAB")) > 50);
  window->undo();
  pressKey(*window, Qt::Key_Escape);
  QVERIFY(window->partsInTheWay().empty());
  pressKey(*window, Qt::Key_S);
}

void PaintingTest::workingOutlinesAndPackingPointsFollowTheViewMenu() {
  Nester& nester = *window->nester();
  const PosedLayout layout = poseLayout(nester);
  QVERIFY(!layout.freePackingPoints.empty());
  // A free point well clear of both parts and of the plate edge.
  const Point* free = nullptr;
  for (const Point& p : layout.freePackingPoints) {
    if (p.x > 4500 && p.x < 5500 && p.y > 1500 && p.y < 2500) {
      free = &p;
      break;
    }
  }
  QVERIFY(free != nullptr);
  const PosedPart& disc = posed(layout, "DISC");
  const Point discCentre((disc.cut.box().minX + disc.cut.box().maxX) / 2,
                         (disc.cut.box().minY + disc.cut.box().maxY) / 2);
  // Where the disc lies, the grid is occupied: no point shows there.
  for (const Point& p : layout.freePackingPoints) QVERIFY(!disc.cut.containsPoint(p));

  QImage picture = window->renderClient();
  QCOMPARE(at(picture, *free), kPackingPointColour);
  QCOMPARE(at(picture, discCentre), kBlackBackground);

  // The working outline lies 20 mm (half the gap) outside the true one: two to three pixels.
  const Point slabTop = topMiddle(posed(layout, "SLAB"));
  const Point workingTop(slabTop.x, slabTop.y + 20);
  QVERIFY(window->view().worldToPixel(workingTop).y < window->view().worldToPixel(slabTop).y - 1);
  QCOMPARE(at(picture, workingTop), kBlackBackground);
  menuAction(*window, 40018)->trigger();
  picture = window->renderClient();
  QCOMPARE(at(picture, workingTop), kPartColour);
  QCOMPARE(at(picture, slabTop), kPartColour);
  menuAction(*window, 40018)->trigger();

  menuAction(*window, 40012)->trigger();
  picture = window->renderClient();
  QCOMPARE(at(picture, *free), kBlackBackground);
  menuAction(*window, 40012)->trigger();

  menuAction(*window, 40006)->trigger();
  picture = window->renderClient();
  QCOMPARE(picture.pixelColor(2, 2), kWhiteBackground);
  QCOMPARE(at(picture, discCentre), kWhiteBackground);
  QCOMPARE(at(picture, *free), kPackingPointColour);
  QCOMPARE(at(picture, slabTop), kPartColour);
  menuAction(*window, 40005)->trigger();
  QCOMPARE(window->renderClient().pixelColor(2, 2), kBlackBackground);
}

void PaintingTest::arcsStayRoundWhenZoomedIn() {
  const PosedLayout layout = poseLayout(*window->nester());
  const PosedPart& disc = posed(layout, "DISC");
  const BoundingBox& box = disc.cut.box();
  const Point centre((box.minX + box.maxX) / 2, (box.minY + box.maxY) / 2);
  const double radius = (box.maxX - box.minX) / 2;
  // Zoom in on the top of the disc until a millimetre is about ten pixels: a chord cut for
  // the nesting would stray from the circle by several pixels here.
  const Pixel top = window->view().worldToPixel(Point(centre.x, centre.y + radius));
  while (window->view().scale() < 10) window->wheelTurned(top.x, top.y, 120);
  const QImage picture = window->renderClient();
  int checked = 0;
  for (double degrees = 80; degrees <= 100; degrees += 0.01) {
    const double t = degrees / 180 * kPi;
    const Pixel p = window->view().worldToPixel(
        Point(centre.x + radius * std::cos(t), centre.y + radius * std::sin(t)));
    if (p.x < 1 || p.y < 1 || p.x >= picture.width() - 1 || p.y >= picture.height() - 1) continue;
    bool drawn = false;
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx)
        drawn |= picture.pixelColor(p.x + dx, p.y + dy) == kPartColour;
    }
    QVERIFY2(drawn, qPrintable(QString("no outline near %1 degrees").arg(degrees)));
    ++checked;
  }
  QVERIFY(checked > 200);
  pressKey(*window, Qt::Key_X);
}

void PaintingTest::wheelZoomKeepsThePointUnderThePointer() {
  const double start = window->view().scale();
  const Point under = window->view().pixelToWorld(600, 150);
  for (int notch = 0; notch < 3; ++notch) {
    QWheelEvent wheel(QPointF(600, 150), window->canvas()->mapToGlobal(QPointF(600, 150)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(window->canvas(), &wheel);
  }
  QVERIFY(std::fabs(window->view().scale() / start - 1.331) < 1e-12);
  const Point after = window->view().pixelToWorld(600, 150);
  QVERIFY(std::fabs(after.x - under.x) < 1e-9 && std::fabs(after.y - under.y) < 1e-9);
}

void PaintingTest::resizeShowsTheWholePlateAgain() {
  window->canvas()->setFixedSize(500, 400);
  QTRY_COMPARE(window->view().width(), 500);
  QCOMPARE(window->view().scale(), 0.95 * std::min(400.0 / 4000, 500.0 / 6000));
  const QImage picture = window->renderClient();
  QCOMPARE(picture.size(), QSize(500, 400));
  QCOMPARE(at(picture, Point(0, 0)), kPlateColour);
  QCOMPARE(at(picture, Point(6000, 4000)), kPlateColour);
}

void PaintingTest::cleanupTestCase() {
  delete shell;
}

QTEST_MAIN(PaintingTest)
#include "painting_test.moc"
