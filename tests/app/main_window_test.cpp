// The main window driven as an operator would: the menu as defined, loading through the
// open dialogs (cancelled, failing, from the command line), writing the drawings, the keys
// that act on parts, the report viewer, the status bar and the remembered size.
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "loading/input_type.h"
#include "app/parts_panel.h"
#include "app/report_viewer.h"
#include "loading/load.h"
#include "shell_test_support.h"
#include "support/fatal_error.h"
#include "support/gbk.h"
#include "support/messages.h"

using namespace platenest;
using namespace platenest::testing;

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { nameTestProgram("main-window-test"); }
  void menuHasTheDefinedItemsMarksAndTitle();
  void viewTogglesKeepTheirCheckMarks();
  void commandsOnPartsWaitForALoad();
  void loadCommandsAskTheirDialogsAndShareThePath();
  void cancelledOpenKeepsTheJobAndClosesTheToolDialogs();
  void failedLoadKeepsThePreviousJob();
  void loadsThatYieldNoPartKeepTheJobAndSayWhy();
  void openDetectsTheKindOfJob();
  void partsPanelListsTheJobAndSelects();
  void reductionWithNothingPlacedRunsAsTheCommandLine();
  void aFailedReductionLeavesThePreviousReportAndStepDrawings();
  void layoutDrawingAndPartExportAreWritten();
  void failedWriteIsShownAndTheJobStays();
  void stagedPartIsLaidOutSilentlyThenTheTimeIsAnnounced();
  void keysSelectTurnOverAndClear();
  void reportOpensInTheViewerDecoded();
  void jobTypeFollowsTheFile();
  void statusBarShowsTheLayoutAndTheMouse();
  void windowRemembersItsSize();
};

namespace {

using Fixture = WindowFixture;

}  // namespace

void MainWindowTest::menuHasTheDefinedItemsMarksAndTitle() {
  Fixture f;
  QVERIFY(f.window.windowTitle().startsWith("排样程序(调小母板尺寸)"));
  QVERIFY(f.window.windowTitle().contains("platenest"));
  QVERIFY(f.window.windowTitle().contains(QString(__DATE__).right(4)));  // the build's year

  struct Item {
    QString text;
    int id;  // 0: separator
    bool checked;
  };
  const std::vector<std::pair<QString, std::vector<Item>>> expected = {
      {"&File",
       {{"OpenLibIn&Txt", 40001, false},
        {"OpenLibIn&Dxf", 40002, false},
        {"OpenLibIn&Marlin", 40020, false},
        {"", 0, false},
        {"LayoutIn&Dxf", 40004, false},
        {"ExportParts(*.dxf)", 40014, false},
        {"", 0, false},
        {"Open &Order…", 40101, false},
        {"Write Order &Drawings…", 40102, false}}},
      {"&Layout", {{"Packing Kit", 40016, false}, {"&Renew_RN_PPD", 40003, false}}},
      {"&View",
       {{"&Black Background", 40005, true},
        {"&White Background", 40006, false},
        {"PPT_Visible", 40012, true},
        {"OffsetedPartVisible", 40018, false}}},
  };
  const QList<QAction*> menus = f.window.menuBar()->actions();
  // The defined menus, then Edit with undo and redo.
  QCOMPARE(menus.size(), static_cast<qsizetype>(expected.size() + 1));
  QCOMPARE(menus.back()->text(), QString("&Edit"));
  QCOMPARE(menus.back()->menu()->actions().size(), 2);
  QCOMPARE(menus.back()->menu()->actions()[0]->objectName(), QString("actionUndo"));
  QCOMPARE(menus.back()->menu()->actions()[1]->shortcut(),
           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  for (std::size_t m = 0; m < expected.size(); ++m) {
    QCOMPARE(menus[m]->text(), expected[m].first);
    QList<QAction*> items = menus[m]->menu()->actions();
    if (m == 0) {
      // The program's own Open… (Ctrl+O) and a separator come before the defined items.
      QCOMPARE(items[0]->objectName(), QString("actionOpen"));
      QCOMPARE(items[0]->shortcut(), QKeySequence(QKeySequence::Open));
      QVERIFY(items[1]->isSeparator());
      items = items.mid(2);
    }
    QCOMPARE(items.size(), static_cast<qsizetype>(expected[m].second.size()));
    for (qsizetype i = 0; i < items.size(); ++i) {
      const Item& want = expected[m].second[static_cast<std::size_t>(i)];
      if (want.id == 0) {
        QVERIFY(items[i]->isSeparator());
        continue;
      }
      QCOMPARE(items[i]->text(), want.text);
      QCOMPARE(items[i]->objectName(), QString("action%1").arg(want.id));
      QCOMPARE(items[i]->isChecked(), want.checked);
    }
  }
}

void MainWindowTest::viewTogglesKeepTheirCheckMarks() {
  Fixture f;
  QAction* black = menuAction(f.window, 40005);
  QAction* white = menuAction(f.window, 40006);
  for (int twice = 0; twice < 2; ++twice) white->trigger();
  QVERIFY(white->isChecked());
  QVERIFY(!black->isChecked());
  QCOMPARE(f.window.viewOptions().backgroundIndex, 1);
  black->trigger();
  black->trigger();
  QVERIFY(black->isChecked());
  QVERIFY(!white->isChecked());
  QCOMPARE(f.window.viewOptions().backgroundIndex, 0);

  QAction* points = menuAction(f.window, 40012);
  QAction* offsets = menuAction(f.window, 40018);
  points->trigger();
  offsets->trigger();
  QVERIFY(!points->isChecked());
  QVERIFY(!f.window.viewOptions().showPackingPoints);
  QVERIFY(offsets->isChecked());
  QVERIFY(f.window.viewOptions().showOffsetOutlines);
  points->trigger();
  QVERIFY(points->isChecked());
  QVERIFY(f.window.viewOptions().showPackingPoints);
}

void MainWindowTest::commandsOnPartsWaitForALoad() {
  Fixture f;
  f.chooser.answers.push_back(f.scratch.qpath("never.dxf"));
  menuAction(f.window, 40004)->trigger();
  menuAction(f.window, 40014)->trigger();
  for (Qt::Key key : {Qt::Key_B, Qt::Key_N, Qt::Key_E, Qt::Key_T, Qt::Key_Left, Qt::Key_Escape}) {
    pressKey(f.window, key);
  }
  pressKey(f.window, Qt::Key_A, Qt::ShiftModifier);
  QVERIFY(f.chooser.calls.empty());
  QVERIFY(f.window.nester() == nullptr);
  QVERIFY(f.messages.messages().empty());
  QVERIFY(std::filesystem::is_empty(f.scratch.path("")));
  // Only the background is shown.
  f.window.clientResized(200, 100);
  const QImage picture = f.window.renderClient();
  for (int y = 0; y < picture.height(); y += 7) {
    for (int x = 0; x < picture.width(); x += 7)
      QCOMPARE(picture.pixelColor(x, y), kBlackBackground);
  }
}

void MainWindowTest::loadCommandsAskTheirDialogsAndShareThePath() {
  Fixture f;
  const std::filesystem::path job = exampleJob("job.txt");
  f.load(job, 40001);
  QVERIFY(f.window.nester() != nullptr);
  QCOMPARE(f.window.nester()->parts.count(), 27);
  QCOMPARE(f.window.nester()->plateLength(), 3000.0);
  QVERIFY(f.window.packingKitDialog() != nullptr);  // opened after every load
  QCOMPARE(f.window.view().box().maxX, 3000.0);

  f.load(exampleJob("dxf-job.txt"), 40002);
  f.load(exampleJob("shop-sheet.preSrc"), 40020);
  QVERIFY(f.window.nester()->hasJobSettings);
  QCOMPARE(f.chooser.calls.size(), std::size_t{3});
  const ChooserCall& text = f.chooser.calls[0];
  QCOMPARE(text.spec.title, QString("Open File of Parts "));
  QCOMPARE(text.spec.filter, QString("Text Files (*.txt)"));
  QCOMPARE(text.spec.defaultSuffix, QString("txt"));
  QVERIFY(text.preset.isEmpty());
  QCOMPARE(f.chooser.calls[1].spec.title, QString("Open File of Parts "));
  QCOMPARE(f.chooser.calls[1].preset, QString::fromStdString(job.string()));
  const ChooserCall& partList = f.chooser.calls[2];
  QCOMPARE(partList.spec.title, QString("Read Marlin File"));
  QCOMPARE(partList.spec.filter, QString("Text Files (*.preSrc)"));
  QCOMPARE(partList.spec.defaultSuffix, QString("preSrc"));
  // The two open dialogs share the last path chosen in either.
  QCOMPARE(partList.preset, QString::fromStdString(exampleJob("dxf-job.txt").string()));
}

void MainWindowTest::cancelledOpenKeepsTheJobAndClosesTheToolDialogs() {
  Fixture f;
  f.window.clientResized(640, 480);
  f.load(exampleJob("job.txt"));
  menuAction(f.window, 40003)->trigger();
  QVERIFY(f.window.rnPpdDialog() != nullptr);
  QVERIFY(f.window.packingKitDialog() != nullptr);
  const Nester* job = f.window.nester();
  const QImage before = f.window.renderClient();

  menuAction(f.window, 40001)->trigger();  // nothing queued: cancelled
  QCOMPARE(f.chooser.calls.size(), std::size_t{2});
  QCOMPARE(f.window.nester(), job);
  QCOMPARE(f.window.renderClient(), before);
  QVERIFY(f.window.rnPpdDialog() == nullptr);
  QVERIFY(f.window.packingKitDialog() == nullptr);
}

void MainWindowTest::failedLoadKeepsThePreviousJob() {
  Fixture f;
  f.window.clientResized(640, 480);
  f.load(exampleJob("job.txt"));
  const Nester* job = f.window.nester();
  const QImage before = f.window.renderClient();

  f.load(f.scratch.path("missing.txt"));
  QCOMPARE(f.window.nester(), job);
  QCOMPARE(f.window.renderClient(), before);
  QCOMPARE(f.messages.messages().size(), std::size_t{1});
  QCOMPARE(f.messages.messages()[0].caption, std::string("Warning!"));
  // The defined text, then where the input caused it.
  QVERIFY(f.messages.messages()[0].text.starts_with("零件数据文件读取失败!"));

  // A file that breaks off inside a part fails half way: nothing of it reaches the screen.
  std::ofstream(f.scratch.path("broken.txt"), std::ios::binary)
      << "PlateLength: 900\r\nPlateWidth: 800\r\nPartToPartGap:0\r\nNAME:X\r\n0 0 0\r\n";
  f.load(f.scratch.path("broken.txt"));
  QCOMPARE(f.window.nester(), job);
  QCOMPARE(f.window.nester()->plateLength(), 3000.0);
  QCOMPARE(f.window.renderClient(), before);
}

namespace {

// What the reader itself says of a file: the rejected parts of a load into a nester of its own.
std::vector<RejectedPart> rejectedByReader(const Scratch& scratch, const std::filesystem::path& path,
                                           LoadType type) {
  LoadReport report;
  try {
    openLibrary(path, type, scratch.path("reader.log"), {}, report);
  } catch (const FatalError&) {
  }
  return report.rejected;
}

}  // namespace

void MainWindowTest::loadsThatYieldNoPartKeepTheJobAndSayWhy() {
  Fixture f;
  f.window.clientResized(640, 480);
  f.load(exampleJob("job.txt"));
  f.window.layoutAll();
  pressKey(f.window, Qt::Key_A, Qt::ShiftModifier);
  const Nester* job = f.window.nester();
  const QImage before = f.window.renderClient();
  const std::size_t steps = f.window.history().undoCount();
  QVERIFY(steps >= 2);

  std::ofstream(f.scratch.path("garbage.preSrc"), std::ios::binary) << "\x01\x02 not a job \xff\r\n";
  std::ofstream(f.scratch.path("empty.txt"), std::ios::binary);
  std::filesystem::create_directory(f.scratch.path("broken-parts"));
  for (const char* name : {"first.dxf", "second.dxf", "third.dxf"}) {
    std::ofstream(f.scratch.path("broken-parts") / name, std::ios::binary)
        << "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n8\r\n0\r\n10\r\n0\r\n20\r\n0\r\n11\r\n"
           "5\r\n21\r\n0\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n";
  }
  std::ofstream(f.scratch.path("broken-list.txt"), std::ios::binary)
      << "PlateLength: 1000\r\nPlateWidth: 500\r\nPartToPartGap:5\r\n"
      << f.scratch.path("broken-parts").string() << "\r\n";
  std::ofstream(f.scratch.path("missing-folder.txt"), std::ios::binary)
      << "PlateLength: 1000\r\nPlateWidth: 500\r\nPartToPartGap:5\r\n"
      << f.scratch.path("no-such-folder").string() << "\r\n";
  struct Case {
    std::filesystem::path file;
    int command;
    LoadType type;
  };
  const std::vector<Case> cases = {
      {exampleJob("job.txt"), 40020, LoadType::kPartList},  // a text library as a part list
      {exampleJob("job.txt"), 40002, LoadType::kDxfList},   // and as a DXF list
      {f.scratch.path("garbage.preSrc"), 40020, LoadType::kPartList},
      {f.scratch.path("empty.txt"), 40001, LoadType::kTextLibrary},
      {f.scratch.path("broken-list.txt"), 40002, LoadType::kDxfList},
      {f.scratch.path("missing-folder.txt"), 40002, LoadType::kDxfList},
  };
  for (const Case& c : cases) {
    const std::string what = c.file.filename().string() + " through " + std::to_string(c.command);
    f.messages.clear();
    f.load(c.file, c.command);
    QVERIFY2(f.window.nester() == job, what.c_str());
    QVERIFY2(f.window.renderClient() == before, what.c_str());
    QVERIFY2(f.window.history().undoCount() == steps, what.c_str());
    // One message, naming the file and carrying every reason the reader gave.
    QVERIFY2(f.messages.messages().size() == 1,
             (what + ": " + std::to_string(f.messages.messages().size()) + " messages").c_str());
    const std::string text = f.messages.messages()[0].text;  // the reader's load adds more
    QVERIFY2(text.find(c.file.filename().string()) != std::string::npos, text.c_str());
    for (const RejectedPart& rejected : rejectedByReader(f.scratch, c.file, c.type)) {
      QVERIFY2(text.find(rejected.reason) != std::string::npos, text.c_str());
      QVERIFY2(text.find(rejected.detail) != std::string::npos, text.c_str());
    }
  }
  // Each broken drawing is named in the one message.
  f.messages.clear();
  f.load(f.scratch.path("broken-list.txt"), 40002);
  QCOMPARE(f.messages.messages().size(), std::size_t{1});
  for (const char* name : {"first", "second", "third"}) {
    QVERIFY2(f.messages.messages()[0].text.find(name) != std::string::npos,
             f.messages.messages()[0].text.c_str());
  }
  // The job still answers: undo goes back through the steps made before the failed loads.
  f.window.undo();
  QVERIFY(f.window.nester()->parts.begin()->selected == false);
}

void MainWindowTest::openDetectsTheKindOfJob() {
  Fixture f;
  std::size_t opened = 0;
  for (const char* name : {"job.txt", "shop-sheet.preSrc", "dxf-job.txt"}) {
    f.chooser.answers.push_back(QString::fromStdString(exampleJob(name).string()));
    named<QAction>(f.window, "actionOpen")->trigger();
    QCOMPARE(f.chooser.calls.size(), ++opened);
    QCOMPARE(f.chooser.calls.back().spec.title, QString("Open Job"));
    QVERIFY2(f.window.nester() != nullptr && f.window.nester()->parts.count() > 0, name);
    // The same parts as the command's own load of that kind.
    LoadReport report;
    const std::unique_ptr<Nester> direct = openLibrary(
        exampleJob(name), detectLoadType(exampleJob(name)), f.scratch.path("direct.log"), {},
        report);
    QCOMPARE(f.window.nester()->parts.count(), direct->parts.count());
    QCOMPARE(f.window.nester()->plateLength(), direct->plateLength());
  }
  QVERIFY(f.messages.messages().empty());
}

void MainWindowTest::partsPanelListsTheJobAndSelects() {
  Fixture f;
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  f.load(exampleJob("job.txt"));
  Nester& nester = *f.window.nester();
  PartsPanel* panel = f.window.partsPanel();
  QTableWidget* table = panel->table();
  QCOMPARE(table->rowCount(), nester.parts.count());
  int row = 0;
  for (const PlacedPart& part : nester.parts) {
    QCOMPARE(panel->idOfRow(row), part.id);
    QCOMPARE(table->item(row, PartsPanel::kName)->text().toStdString(),
             displayName(part.label.text));
    const auto loaded = std::find_if(nester.loadedParts.begin(), nester.loadedParts.end(),
                                     [&](const PlacedPart& p) { return p.id == part.id; });
    QVERIFY(loaded != nester.loadedParts.end());
    QCOMPARE(table->item(row, PartsPanel::kArea)->text().toDouble(), std::round(loaded->area()));
    QCOMPARE(table->item(row, PartsPanel::kOnPlate)->text(), QString("not placed"));
    ++row;
  }
  QVERIFY(panel->totals()->text().startsWith("0 of 27 placed"));
  f.window.layoutAll();
  for (row = 0; row < table->rowCount(); ++row) {
    QCOMPARE(table->item(row, PartsPanel::kOnPlate)->text(), QString("yes"));
  }
  QVERIFY(panel->totals()->text().startsWith("27 of 27 placed; packing length"));

  // A click on a row selects its part alone, as an undoable step.
  const int third = 2;
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                    table->visualItemRect(table->item(third, PartsPanel::kName)).center());
  for (const PlacedPart& part : nester.parts) QCOMPARE(part.selected, part.id == panel->idOfRow(third));
  // And the other way: what the keys select is what the rows show.
  pressKey(f.window, Qt::Key_T);
  QCOMPARE(table->item(third, PartsPanel::kTurnedOver)->text(), QString("yes"));
  pressKey(f.window, Qt::Key_A, Qt::ShiftModifier);
  QCOMPARE(table->selectionModel()->selectedRows().size(), static_cast<qsizetype>(27));
  pressKey(f.window, Qt::Key_Escape);
  QCOMPARE(table->selectionModel()->selectedRows().size(), static_cast<qsizetype>(0));
  f.window.undo();
  f.window.undo();
  f.window.undo();  // the turn-over
  QCOMPARE(table->item(third, PartsPanel::kTurnedOver)->text(), QString());
  QCOMPARE(table->selectionModel()->selectedRows().size(), static_cast<qsizetype>(1));
}

void MainWindowTest::reductionWithNothingPlacedRunsAsTheCommandLine() {
  Fixture f;
  f.load(exampleJob("job.txt"));
  f.window.packingKitCommand(1029);
  // The command line's run: every part selected, then the reduction, on a job of its own.
  LoadReport report;
  const std::unique_ptr<Nester> cli = openLibrary(
      exampleJob("job.txt"), LoadType::kTextLibrary, f.scratch.path("cli.log"), {}, report);
  for (PlacedPart& part : cli->parts) part.selected = true;
  LayoutTiming timing(f.scratch.path("cli-timing.txt"));
  cli->reducePlateSize(timing);
  Nester& nester = *f.window.nester();
  QCOMPARE(nester.plateLength(), cli->plateLength());
  QCOMPARE(nester.plateWidth(), cli->plateWidth());
  QCOMPARE(nester.computeLayoutStatistics().count, cli->computeLayoutStatistics().count);
  QVERIFY(nester.computeLayoutStatistics().count > 0);
  QVERIFY(f.window.statusBar()->currentMessage().contains("every part was laid out"));
  // One undo step takes the whole run back, plate and all.
  f.window.undo();
  QCOMPARE(nester.plateLength(), 3000.0);
  QCOMPARE(nester.computeLayoutStatistics().count, 0);
}

// The reduction's report and step drawings are one set, as on the command line: a drawing
// that cannot be written late in the run leaves the previous report and the earlier
// drawings as they were, not a mix of two runs.
void MainWindowTest::aFailedReductionLeavesThePreviousReportAndStepDrawings() {
  Fixture f;
  f.load(exampleJob("job.txt"));
  const auto readAll = [](const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const auto writeAll = [](const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  };
  // The example's run tries its plate of 3000 x 1500 first and ends on the restored
  // 2900 x 1000, whose drawing a folder of that name stands in the way of.
  writeAll(f.scratch.path("DetailsReport.txt"), "previous report\r\n");
  writeAll(f.scratch.path("3000x1500.dxf"), "previous drawing\r\n");
  const std::filesystem::path last = f.scratch.path("2900x1000(恢复后).dxf");
  std::filesystem::create_directory(last);
  f.window.packingKitCommand(1029);
  QVERIFY(!f.messages.messages().empty());
  QCOMPARE(readAll(f.scratch.path("DetailsReport.txt")), std::string("previous report\r\n"));
  QCOMPARE(readAll(f.scratch.path("3000x1500.dxf")), std::string("previous drawing\r\n"));
  QVERIFY(!std::filesystem::exists(f.scratch.path("3000x1400.dxf")));
  for (const auto& entry : std::filesystem::directory_iterator(f.scratch.path("."))) {
    QVERIFY2(entry.path().filename().string().front() != '.', entry.path().c_str());
  }
}

void MainWindowTest::layoutDrawingAndPartExportAreWritten() {
  Fixture f;
  f.load(exampleJob("job.txt"));
  f.window.layoutAll();
  f.chooser.answers.push_back(f.scratch.qpath("layout.dxf"));
  menuAction(f.window, 40004)->trigger();
  QCOMPARE(f.chooser.calls.back().spec.title, QString("Write DXF File of Layout"));
  QCOMPARE(f.chooser.calls.back().spec.defaultSuffix, QString("dxf"));
  QVERIFY(f.chooser.calls.back().save);
  QVERIFY(std::filesystem::file_size(f.scratch.path("layout.dxf")) > 1000);

  // The save dialog keeps its own last path, apart from the open dialogs'.
  menuAction(f.window, 40004)->trigger();
  QCOMPARE(f.chooser.calls.back().preset, f.scratch.qpath("layout.dxf"));

  menuAction(f.window, 40014)->trigger();
  int drawings = 0;
  for (const auto& entry : std::filesystem::directory_iterator(f.scratch.path(""))) {
    if (entry.path().extension() == ".dxf" && entry.path().filename() != "layout.dxf") ++drawings;
  }
  QVERIFY(drawings > 1);
}

void MainWindowTest::failedWriteIsShownAndTheJobStays() {
  Fixture f;
  f.load(exampleJob("job.txt"));
  const Nester* job = f.window.nester();
  f.chooser.answers.push_back(f.scratch.qpath("no-such-folder/layout.dxf"));
  menuAction(f.window, 40004)->trigger();
  QCOMPARE(f.messages.messages().size(), std::size_t{1});
  QVERIFY(f.messages.messages()[0].text.starts_with("排样文件输出失败!"));
  QCOMPARE(f.window.nester(), job);
  QVERIFY(f.window.isEnabled());
}

void MainWindowTest::stagedPartIsLaidOutSilentlyThenTheTimeIsAnnounced() {
  Fixture f;
  f.load(exampleJob("job.txt"));
  Nester& nester = *f.window.nester();
  pressKey(f.window, Qt::Key_N);
  pressKey(f.window, Qt::Key_B);
  QVERIFY(f.messages.messages().empty());
  QCOMPARE(nester.computeLayoutStatistics().count, 1);

  pressKey(f.window, Qt::Key_A, Qt::ShiftModifier);
  pressKey(f.window, Qt::Key_B);
  QCOMPARE(f.messages.messages().size(), std::size_t{1});
  QCOMPARE(f.messages.messages()[0].caption, std::string("注意!"));
  QVERIFY(f.messages.messages()[0].text.starts_with("排样计算时间为:"));
  QCOMPARE(nester.computeLayoutStatistics().count, 27);
}

void MainWindowTest::keysSelectTurnOverAndClear() {
  Fixture f;
  f.load(exampleJob("job.txt"));
  f.window.layoutAll();
  Nester& nester = *f.window.nester();
  pressKey(f.window, Qt::Key_A);  // without Shift and outside rotate mode: nothing
  for (const PlacedPart& part : nester.parts) QVERIFY(!part.selected);
  pressKey(f.window, Qt::Key_A, Qt::ShiftModifier);
  for (const PlacedPart& part : nester.parts) QVERIFY(part.selected);

  const bool firstWasTurned = nester.parts.front().mirrored;
  pressKey(f.window, Qt::Key_T);
  QCOMPARE(nester.parts.front().mirrored, !firstWasTurned);
  int turned = 0;
  for (const PlacedPart& part : nester.parts) turned += part.mirrored != false ? 1 : 0;

  pressKey(f.window, Qt::Key_Escape);
  for (const PlacedPart& part : nester.parts) QVERIFY(!part.selected);
  pressKey(f.window, Qt::Key_T);  // nothing selected: nothing turns
  int turnedAfter = 0;
  for (const PlacedPart& part : nester.parts) turnedAfter += part.mirrored ? 1 : 0;
  QCOMPARE(turnedAfter, turned);
}

void MainWindowTest::reportOpensInTheViewerDecoded() {
  Fixture f;
  f.load(exampleJob("job.txt"));
  f.window.layoutAll();
  pressKey(f.window, Qt::Key_E);
  ReportViewer* viewer = f.window.reportViewer();
  QVERIFY(viewer != nullptr);
  QVERIFY(viewer->isVisible());
  QVERIFY(named<QWidget>(*viewer, "reportText")->property("readOnly").toBool());
  QVERIFY(viewer->text().contains("已排样零件数量=27"));
  std::ifstream file(f.scratch.path("Report.txt"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), {});
  QVERIFY(!isValidUtf8(bytes));  // the file is GBK; the viewer shows it decoded
}

void MainWindowTest::jobTypeFollowsTheFile() {
  QCOMPARE(detectLoadType(exampleJob("job.txt")), LoadType::kTextLibrary);
  QCOMPARE(detectLoadType(exampleJob("shop-sheet.preSrc")), LoadType::kPartList);
  QCOMPARE(detectLoadType(exampleJob("dxf-job.txt")), LoadType::kDxfList);
  QCOMPARE(detectLoadType("no-such-file.txt"), LoadType::kTextLibrary);
}

void MainWindowTest::statusBarShowsTheLayoutAndTheMouse() {
  Fixture f;
  f.window.clientResized(800, 600);
  f.load(exampleJob("job.txt"));
  QLabel* job = named<QLabel>(f.window, "jobLabel");
  QVERIFY(job->text().startsWith("0 of 27 parts on the plate"));
  f.window.layoutAll();
  QVERIFY(job->text().startsWith("27 of 27 parts on the plate"));
  QVERIFY(job->text().contains("density"));

  const Pixel at = f.window.view().worldToPixel(Point(1000, 500));
  f.window.showMousePosition(at.x, at.y);
  const QStringList words =
      named<QLabel>(f.window, "positionLabel")->text().split(' ', Qt::SkipEmptyParts);
  QCOMPARE(words.size(), 5);  // x <mm> y <mm> mm
  const double pixelInMm = 1 / f.window.view().scale();
  QVERIFY(std::fabs(words[1].toDouble() - 1000) <= pixelInMm);
  QVERIFY(std::fabs(words[3].toDouble() - 500) <= pixelInMm);

  // Made as small as it goes, the figures are cut short rather than run into the mode and
  // the pointer.
  f.window.setRemembersSize(false);
  f.window.show();
  f.window.resize(200, 150);
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QApplication::processEvents();
  QLabel* mode = named<QLabel>(f.window, "modeLabel");
  QLabel* position = named<QLabel>(f.window, "positionLabel");
  QVERIFY(job->isVisible() && mode->isVisible());
  QVERIFY(job->geometry().right() < mode->geometry().left());
  QVERIFY(mode->geometry().right() < position->geometry().left() || position->text().isEmpty());
  QVERIFY(mode->width() >= mode->sizeHint().width());
}

void MainWindowTest::windowRemembersItsSize() {
  Scratch scratch;
  {
    MainWindow first;
    first.show();
    first.resize(900, 650);
    QVERIFY(QTest::qWaitForWindowExposed(&first));
    first.close();
  }
  MainWindow second;
  QCOMPARE(second.size(), QSize(900, 650));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
