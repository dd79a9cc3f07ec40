// File → Open Order… in the window: the order's plates in the selector, each shown and edited
// as a job, the edits kept when switching, and the cut drawings of every plate written.
#include <QComboBox>
#include <QTest>

#include "app/order_plates.h"
#include "shell_test_support.h"
#include "support/messages.h"

using namespace platenest;
using namespace platenest::testing;

class OrderPlatesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { nameTestProgram("order-plates-test"); }

  void platesAreShownEditedAndWritten() {
    WindowFixture f;
    const Scratch& scratch = f.scratch;
    ScriptedFileChooser& chooser = f.chooser;
    MainWindow& window = f.window;
    window.resize(900, 600);
    f.load(exampleJob("order/order.toml"), 40101);
    // Found by name: the session is a plain QObject to the meta-object system.
    auto* plates = static_cast<OrderPlates*>(window.findChild<QObject*>("orderSession"));
    QVERIFY(plates != nullptr);
    QComboBox* selector = named<QComboBox>(window, "orderPlateSelector");
    QVERIFY(selector->count() >= 2);
    QCOMPARE(selector->count(), plates->plateCount());
    QVERIFY(selector->itemText(0).startsWith("Plate 1: 3000 x 1500"));
    QVERIFY(window.nester() != nullptr);
    const Nester* first = window.nester();
    const int firstCount = first->parts.count();
    QVERIFY(firstCount > 0);
    for (const PlacedPart& part : first->parts) QVERIFY(first->isOnPlate(part));

    // An edit on plate 1 (a part moved off the plate) survives a visit to plate 2.
    window.nester()->parts.front().translate(10000, 0);
    plates->showPlate(1);
    QVERIFY(window.nester() != first);
    QCOMPARE(plates->shownPlate(), 1);
    plates->showPlate(0);
    QCOMPARE(window.nester(), first);
    QVERIFY(!window.nester()->isOnPlate(window.nester()->parts.front()));

    // Every plate written; the part moved off plate 1 is reported, not drawn.
    chooser.answers.push_back(scratch.qpath("out/order-report.txt"));
    std::filesystem::create_directories(scratch.path("out"));
    menuAction(window, 40102)->trigger();
    for (int p = 1; p <= selector->count(); ++p) {
      QVERIFY(std::filesystem::exists(scratch.path("out/plate-" + std::to_string(p) + ".dxf")));
    }
    std::ifstream report(scratch.path("out/order-report.txt"));
    const std::string text((std::istreambuf_iterator<char>(report)), std::istreambuf_iterator<char>());
    QVERIFY(text.find("moved off its plate by hand") != std::string::npos);
    QCOMPARE(window.nester(), first);
  }
};

QTEST_MAIN(OrderPlatesTest)
#include "order_plates_test.moc"
