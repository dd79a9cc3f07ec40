// The RN/PPD dialog driven through its edit boxes and buttons: what it shows on opening,
// the C conversions of what was typed, the grid rebuilt at a new PPD (in the engine and on
// screen), cancel after a refresh, the refusals of values the search cannot use, and the
// dialog before any load.
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <cmath>

#include "nesting/posed_layout.h"
#include "shell_test_support.h"
#include "support/messages.h"

using namespace platenest;
using namespace platenest::testing;

class RnPpdDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { nameTestProgram("rn-ppd-dialog-test"); }
  void openingShowsTheCurrentValues();
  void typedPpdIsConvertedAndTheGridRebuilt();
  void renewRnLeavesThePackingPoints();
  void cancelAfterRenewKeepsTheNewPpd();
  void unusableValuesAreRefusedAndTheOldOnesStay();
  void okAppliesBothAndCloses();
  void beforeALoadOnlyOkAndCancelDoAnything();
};

namespace {

struct Fixture : WindowFixture {
  explicit Fixture(bool loaded = true) {
    window.clientResized(801, 601);
    if (loaded) {
      load(writeDiscAndSlabJob(scratch));
      window.layoutAll();
    }
    menuAction(window, 40003)->trigger();
  }
  QDialog& dialog() { return *window.rnPpdDialog(); }
  QLineEdit* rn() { return named<QLineEdit>(dialog(), "edit1001"); }
  QLineEdit* ppd() { return named<QLineEdit>(dialog(), "edit1002"); }
  void click(int id) {
    QTest::mouseClick(named<QPushButton>(dialog(), QString("button%1").arg(id)), Qt::LeftButton);
    settleDeletions();
  }
  Nester& nester() { return *window.nester(); }
};

}  // namespace

void RnPpdDialogTest::openingShowsTheCurrentValues() {
  Fixture f;
  QCOMPARE(f.dialog().windowTitle(), QString("Renew RN&PPD"));
  QCOMPARE(f.rn()->text(), QString::number(f.nester().rotationNumber));
  QVERIFY(QRegularExpression("^\\d+\\.\\d{6}$").match(f.ppd()->text()).hasMatch());
  QCOMPARE(f.ppd()->text().toDouble(), std::round(f.nester().packingPointDistance() * 1e6) / 1e6);
  for (const auto& [id, text] : std::vector<std::pair<int, QString>>{
           {1004, "刷新RN"}, {1000, "刷新PPD"}, {1, "确定"}, {2, "取消"}}) {
    QCOMPARE(named<QPushButton>(f.dialog(), QString("button%1").arg(id))->text(), text);
  }
}

void RnPpdDialogTest::typedPpdIsConvertedAndTheGridRebuilt() {
  Fixture f;
  f.ppd()->setText("45abc");
  f.click(1000);
  QCOMPARE(f.nester().packingPointDistance(), 45.0);
  QCOMPARE(f.nester().packingColumns(), static_cast<int>(std::floor(6000 / 45.0)) + 1);
  QCOMPARE(f.nester().packingRows(), static_cast<int>(std::floor(4000 / 45.0)) + 1);
  QVERIFY(f.messages.messages().empty());

  // The free points now stand 45 mm apart, and the screen shows them where they are.
  const PosedLayout layout = poseLayout(f.nester());
  const QImage picture = f.window.renderClient();
  int shown = 0;
  for (std::size_t i = 0; i + 1 < layout.freePackingPoints.size(); ++i) {
    const Point& p = layout.freePackingPoints[i];
    const Point& next = layout.freePackingPoints[i + 1];
    if (next.x == p.x && p.x > 4000) QCOMPARE(next.y - p.y, 45.0);
    if (p.x > 4500 && p.y > 500 && p.y < 3500) {
      const Pixel at = f.window.view().worldToPixel(p);
      QCOMPARE(picture.pixelColor(at.x, at.y), kPackingPointColour);
      ++shown;
    }
  }
  QVERIFY(shown > 100);
}

void RnPpdDialogTest::renewRnLeavesThePackingPoints() {
  Fixture f;
  const std::vector<Point> before = poseLayout(f.nester()).freePackingPoints;
  const double ppd = f.nester().packingPointDistance();
  f.rn()->setText("  7 turns");
  f.click(1004);
  QCOMPARE(f.nester().rotationNumber, 7);
  QCOMPARE(f.nester().packingPointDistance(), ppd);
  const std::vector<Point> after = poseLayout(f.nester()).freePackingPoints;
  QCOMPARE(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    QCOMPARE(after[i].x, before[i].x);
    QCOMPARE(after[i].y, before[i].y);
  }
}

void RnPpdDialogTest::cancelAfterRenewKeepsTheNewPpd() {
  Fixture f;
  f.ppd()->setText("60");
  f.click(1000);
  f.rn()->setText("9");  // typed, never applied
  f.click(2);
  QVERIFY(f.window.rnPpdDialog() == nullptr);
  QCOMPARE(f.nester().packingPointDistance(), 60.0);
  QVERIFY(f.nester().rotationNumber != 9);
}

void RnPpdDialogTest::unusableValuesAreRefusedAndTheOldOnesStay() {
  Fixture f;
  const int rn = f.nester().rotationNumber;
  const double ppd = f.nester().packingPointDistance();
  const std::size_t points = poseLayout(f.nester()).freePackingPoints.size();

  for (const char* typed : {"0", "-3", "many"}) {
    f.messages.clear();
    f.rn()->setText(typed);
    f.click(1004);
    QCOMPARE(f.nester().rotationNumber, rn);
    QCOMPARE(f.messages.messages().size(), std::size_t{1});
    QVERIFY(f.messages.messages()[0].text.find("RN") != std::string::npos);
  }
  // Not a number, not positive, or a grid of billions of points on a 6000 x 4000 plate.
  for (const char* typed : {"abc", "0", "-20", "nan", "inf", "0.001"}) {
    f.messages.clear();
    f.ppd()->setText(typed);
    f.click(1000);
    QCOMPARE(f.nester().packingPointDistance(), ppd);
    QCOMPARE(f.messages.messages().size(), std::size_t{1});
    QCOMPARE(f.messages.messages()[0].caption, std::string("Warning!"));
    QVERIFY(f.messages.messages()[0].text.find("PPD") != std::string::npos);
  }
  QCOMPARE(poseLayout(f.nester()).freePackingPoints.size(), points);

  // 确定 with a refused value keeps the dialog open for a correction.
  f.ppd()->setText("-1");
  f.click(1);
  QVERIFY(f.window.rnPpdDialog() != nullptr);
  QVERIFY(f.dialog().isVisible());
}

void RnPpdDialogTest::okAppliesBothAndCloses() {
  Fixture f;
  f.rn()->setText("6");
  f.ppd()->setText("50.5");
  f.click(1);
  QVERIFY(f.window.rnPpdDialog() == nullptr);
  QCOMPARE(f.nester().rotationNumber, 6);
  QCOMPARE(f.nester().packingPointDistance(), 50.5);
  QCOMPARE(f.nester().packingColumns(), static_cast<int>(std::floor(6000 / 50.5)) + 1);

  // Reopened, it shows what is stored now.
  menuAction(f.window, 40003)->trigger();
  QCOMPARE(f.rn()->text(), QString("6"));
  QCOMPARE(f.ppd()->text(), QString("50.500000"));
}

void RnPpdDialogTest::beforeALoadOnlyOkAndCancelDoAnything() {
  Fixture f(false);
  QVERIFY(f.rn()->text().isEmpty());
  QVERIFY(f.ppd()->text().isEmpty());
  f.rn()->setText("0");
  f.ppd()->setText("0");
  f.click(1004);
  f.click(1000);
  QVERIFY(f.messages.messages().empty());
  f.click(1);
  QVERIFY(f.window.rnPpdDialog() == nullptr);
}

QTEST_MAIN(RnPpdDialogTest)
#include "rn_ppd_dialog_test.moc"
