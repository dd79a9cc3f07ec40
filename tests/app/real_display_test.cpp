// The window on a real X server, driven by real key presses (xdotool) as an operator's
// keyboard would: load the bundled job, Shift+A, B, the timing box answered with Return,
// Esc, Ctrl+Z twice, Ctrl+Shift+Z. Judged from the job's state after every key and from
// the screen itself: the screen must show what the window painted, the timing box must be
// in front with the keys, and no progress window may be left over it.
//
// Needs DISPLAY (Xvfb without a window manager in the test command) and xdotool; run as
//   platenest_real_display_test JOB [PICTURE_FOLDER]
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <vector>

#include "app/layout_canvas.h"
#include "app/main_window.h"
#include "app/message_box_sink.h"
#include "shell_test_support.h"
#include "support/messages.h"

using namespace platenest;

namespace {

int failures = 0;
QString pictureFolder;

void check(bool ok, const std::string& what) {
  std::cout << (ok ? "ok   " : "FAIL ") << what << std::endl;
  if (!ok) ++failures;
}

// A real key press through the X server, to whichever window holds the keyboard.
bool press(const QString& keys) {
  return QProcess::execute("xdotool", {"key", "--delay", "40", keys}) == 0;
}

QImage screenRegion(const QRect& global) {
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, global.x(), global.y(), global.width(), global.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

QRect globalRect(QWidget* widget) {
  return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

// Pixels that differ in colour (the alpha byte of an RGB picture means nothing).
int differences(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return a.width() * a.height() + 1;
  int count = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) count += ((a.pixel(x, y) ^ b.pixel(x, y)) & 0xffffff) != 0;
  }
  return count;
}

int countColour(const QImage& image, QRgb colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      count += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
  }
  return count;
}

void save(const QImage& image, const QString& name) {
  if (!pictureFolder.isEmpty()) image.save(pictureFolder + "/" + name + ".png", "PNG");
}

struct PoseState {
  double x, y, rotation;
  bool mirrored, selected, onPlate;
  bool operator==(const PoseState&) const = default;
};

std::vector<PoseState> stateOf(MainWindow& window) {
  std::vector<PoseState> state;
  Nester& nester = *window.nester();
  for (const PlacedPart& part : nester.parts) {
    state.push_back({part.refPoint.x, part.refPoint.y, part.rotation, part.mirrored, part.selected,
                     nester.isOnPlate(part)});
  }
  return state;
}

std::vector<PoseState> withSelection(std::vector<PoseState> state, bool selected) {
  for (PoseState& part : state) part.selected = selected;
  return state;
}

int count(const std::vector<PoseState>& state, bool PoseState::*flag) {
  int n = 0;
  for (const PoseState& part : state) n += part.*flag ? 1 : 0;
  return n;
}

// Waits until the screen shows the picture the window paints of the job as it stands.
QImage settledCanvas(MainWindow& window, const std::string& step) {
  QImage shown;
  const bool same = QTest::qWaitFor(
      [&] {
        shown = screenRegion(globalRect(window.canvas()));
        return differences(shown, window.renderClient()) == 0;
      },
      10000);
  check(same, step + ": the screen shows the layout as the job stands");
  save(QGuiApplication::primaryScreen()->grabWindow(0).toImage(), QString::fromStdString(step));
  return shown;
}

bool waitForKey(const QString& keys, const std::function<bool()>& done, const std::string& step) {
  check(press(keys), step + ": xdotool key " + keys.toStdString());
  const bool reached = QTest::qWaitFor(done, 10000);
  check(reached, step + ": the job answered");
  return reached;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  if (argc < 2) {
    std::cerr << "usage: platenest_real_display_test JOB [PICTURE_FOLDER]\n";
    return 2;
  }
  if (QGuiApplication::platformName() != "xcb") {
    std::cerr << "needs the xcb platform on an X server, got "
              << qPrintable(QGuiApplication::platformName()) << "\n";
    return 2;
  }
  const std::filesystem::path job = std::filesystem::absolute(argv[1]);
  if (argc > 2) {
    pictureFolder = QDir(argv[2]).absolutePath();
    QDir().mkpath(pictureFolder);
  }
  // Whatever goes wrong, the test ends: a box nobody can answer must not hang CI.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    std::cout << "FAIL the sequence did not end within 120 s" << std::endl;
    std::_Exit(1);
  });
  watchdog.start(120000);

  const platenest::testing::Scratch scratch;
  platenest::testing::nameTestProgram("real-display-test");

  MainWindow window;
  MessageBoxSink boxes(&window);
  ScopedMessageSink sink(&boxes);
  window.setRemembersSize(false);
  window.setErrorLogPath(scratch.path("PackError.txt"));
  window.setGeometry(0, 0, 1000, 720);
  window.show();
  check(QTest::qWaitForWindowExposed(&window, 10000), "the main window is shown");

  check(window.openJob(job, LoadType::kTextLibrary), "examples/job.txt loads");
  check(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 10000),
        "after the load the main window holds the keyboard");
  QDialog* kit = window.packingKitDialog();
  check(kit != nullptr && kit->isVisible() &&
            !kit->frameGeometry().intersects(window.frameGeometry()),
        "the Packing Kit stands beside the main window, not over it");
  const std::vector<PoseState> loaded = stateOf(window);
  const int parts = static_cast<int>(loaded.size());
  check(parts > 0 && count(loaded, &PoseState::onPlate) == 0, "the parts wait beside the plate");
  settledCanvas(window, "01-loaded");

  waitForKey(
      "shift+a", [&] { return count(stateOf(window), &PoseState::selected) == parts; }, "Shift+A");
  const std::vector<PoseState> allSelected = stateOf(window);
  check(allSelected == withSelection(loaded, true), "Shift+A selects every part, none moves");
  const QImage selectedPicture = settledCanvas(window, "02-all-selected");
  check(countColour(selectedPicture, qRgb(255, 0, 0)) > 0, "the selected parts are red on screen");

  // B: the layout runs; the timing box must then stand alone in front and take Return.
  bool boxSeen = false;
  QTimer lookout;
  QObject::connect(&lookout, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible() || boxSeen) return;
    if (box->windowTitle() != QString(kNoticeCaption)) return;
    if (QApplication::activeWindow() != box) return;  // not yet given the keyboard
    boxSeen = true;
    lookout.stop();
    bool progressShown = false;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      progressShown = progressShown || (top->objectName() == "progressDialog" && top->isVisible());
    }
    check(!progressShown, "B: the progress window is gone when the timing box opens");
    check(box->parentWidget() == &window && box->isModal(),
          "B: the timing box belongs to the main window and is modal");
    QTest::qWait(200);  // its first paint
    const QImage onScreen = screenRegion(globalRect(box));
    const QImage itself = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    check(differences(onScreen, itself) * 50 < itself.width() * itself.height(),
          "B: the timing box is in front (the screen shows it)");
    save(QGuiApplication::primaryScreen()->grabWindow(0).toImage(), "03-timing-box");
    check(press("Return"), "B: xdotool key Return on the timing box");
  });
  lookout.start(50);
  waitForKey(
      "b",
      [&] {
        return boxSeen && QApplication::activeModalWidget() == nullptr && !window.busy() &&
               count(stateOf(window), &PoseState::onPlate) == parts;
      },
      "B");
  check(boxSeen, "B: the timing box \"注意!\" was shown and answered by Return");
  check(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 10000),
        "B: the main window has the keyboard back");
  const std::vector<PoseState> laidOut = stateOf(window);
  check(count(laidOut, &PoseState::onPlate) == parts, "B: every part is on the plate");
  const QImage laidOutPicture = settledCanvas(window, "04-laid-out");

  waitForKey(
      "Escape", [&] { return count(stateOf(window), &PoseState::selected) == 0; }, "Esc");
  check(stateOf(window) == withSelection(laidOut, false), "Esc clears the selection only");
  const QImage clearedPicture = settledCanvas(window, "05-cleared");
  check(countColour(clearedPicture, qRgb(255, 0, 0)) == 0, "Esc: no red part left on screen");

  waitForKey(
      "ctrl+z", [&] { return stateOf(window) == laidOut; }, "Ctrl+Z");
  check(differences(settledCanvas(window, "06-undo-clear"), laidOutPicture) == 0,
        "Ctrl+Z: the screen shows the selected layout again");
  waitForKey(
      "ctrl+z", [&] { return stateOf(window) == allSelected; }, "Ctrl+Z again");
  check(differences(settledCanvas(window, "07-undo-layout"), selectedPicture) == 0,
        "Ctrl+Z again: the layout is taken back, the screen as before B");
  waitForKey(
      "ctrl+shift+z", [&] { return stateOf(window) == laidOut; }, "Ctrl+Shift+Z");
  check(differences(settledCanvas(window, "08-redo-layout"), laidOutPicture) == 0,
        "Ctrl+Shift+Z: the layout is back on screen");

  std::cout << (failures == 0 ? "real display: all checks passed" : "real display: FAILED")
            << std::endl;
  return failures == 0 ? 0 : 1;
}
