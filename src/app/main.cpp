// platenest-gui: the desktop program. `platenest-gui [JOB]` opens the window (with the job
// loaded as its menu command would); `platenest-gui --screenshot PATH [JOB]` loads, lays out
// every part, saves a picture of the window and ends, for documentation and CI.
#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <clocale>
#include <filesystem>
#include <iostream>

#include "loading/input_type.h"
#include "app/main_window.h"
#include "app/message_box_sink.h"
#include "support/messages.h"

namespace {

// The picture's size, fixed so that CI can check it.
constexpr int kScreenshotWidth = 1200;
constexpr int kScreenshotHeight = 800;

int takeScreenshot(const QString& picturePath, const QStringList& jobs) {
  platenest::TerminalMessageSink terminal;
  platenest::ScopedMessageSink sink(&terminal);
  platenest::MainWindow window;
  window.setRemembersSize(false);
  window.resize(kScreenshotWidth, kScreenshotHeight);
  window.show();
  QApplication::processEvents();
  if (!jobs.isEmpty()) {
    const std::filesystem::path job = jobs.front().toStdString();
    if (!window.openJob(job, platenest::detectLoadType(job))) return 1;
    window.layoutAll();
  }
  QApplication::processEvents();
  const QPixmap picture = window.grab();
  if (!picture.save(picturePath, "PNG")) {
    std::cerr << "platenest-gui: cannot write " << picturePath.toStdString() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // Qt takes the user's locale; the engine's numbers are read and written the C way.
  std::setlocale(LC_NUMERIC, "C");
  QCoreApplication::setOrganizationName("platenest");
  QCoreApplication::setApplicationName("platenest-gui");
  QCoreApplication::setApplicationVersion(PLATENEST_VERSION);

  QCommandLineParser parser;
  parser.setApplicationDescription("platenest: nesting of flat parts on a plate, in a window.");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument("JOB",
                               "A job to open: text part library, DXF list file or "
                               "part-list file (.preSrc).",
                               "[JOB]");
  QCommandLineOption screenshot(
      "screenshot", "Load JOB, lay out every part, save a picture of the window to PATH, end.",
      "PATH");
  parser.addOption(screenshot);
  parser.process(application);
  const QStringList jobs = parser.positionalArguments();
  if (jobs.size() > 1) {
    std::cerr << "platenest-gui: at most one job\n";
    return 2;
  }
  if (parser.isSet(screenshot)) return takeScreenshot(parser.value(screenshot), jobs);

  platenest::MessageBoxSink boxes;
  platenest::ScopedMessageSink sink(&boxes);
  platenest::MainWindow window;
  boxes.setOwner(&window);
  window.show();
  if (!jobs.isEmpty()) {
    const std::filesystem::path job = jobs.front().toStdString();
    window.openJob(job, platenest::detectLoadType(job));
  }
  return application.exec();
}
