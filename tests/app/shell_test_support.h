// What the window tests share: a file chooser that answers as told, a scratch folder made
// current, the window over them, the jobs the tests load, and a look-up of widgets by object
// name.
#pragma once

#include <QAction>
#include <QDir>
#include <QImage>
#include <QSettings>
#include <QTest>
#include <QWidget>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/file_chooser.h"
#include "app/layout_canvas.h"
#include "app/main_window.h"
#include "support/messages.h"
#include "test_support/scratch_folder.h"

namespace platenest::testing {

struct ChooserCall {
  bool save = false;
  FileDialogSpec spec;
  QString preset;
};

// Hands back the queued answers in turn (nothing queued: the operator cancels) and records
// what each dialog was asked to show.
class ScriptedFileChooser : public FileChooser {
 public:
  std::optional<QString> openFile(QWidget*, const FileDialogSpec& spec,
                                  const QString& preset) override {
    return answer(false, spec, preset);
  }
  std::optional<QString> saveFile(QWidget*, const FileDialogSpec& spec,
                                  const QString& preset) override {
    return answer(true, spec, preset);
  }

  bool confirm(QWidget*, const QString&, const QString& question) override {
    questions.push_back(question);
    if (confirmations.empty()) return false;
    const bool yes = confirmations.front();
    confirmations.pop_front();
    return yes;
  }

  std::deque<std::optional<QString>> answers;
  std::vector<ChooserCall> calls;
  std::deque<bool> confirmations;  // nothing queued: the operator says No
  std::vector<QString> questions;

 private:
  std::optional<QString> answer(bool save, const FileDialogSpec& spec, const QString& preset) {
    calls.push_back(ChooserCall{save, spec, preset});
    if (answers.empty()) return std::nullopt;
    const std::optional<QString> next = std::move(answers.front());
    answers.pop_front();
    return next;
  }
};

// A scratch folder made current (outputs without a path of their own land there) and the
// window's remembered size kept in it.
class Scratch {
 public:
  Scratch() {
    const QString here = QString::fromStdString(folder_.path().string());
    QDir::setCurrent(here);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, here);
  }
  std::filesystem::path path(const std::string& name) const { return folder_ / name; }
  QString qpath(const std::string& name) const {
    return QString::fromStdString(path(name).string());
  }

 private:
  ScratchFolder folder_{"platenest-app"};
};

// Names the program for the settings it remembers (kept in the scratch folder).
inline void nameTestProgram(const char* name) {
  QCoreApplication::setOrganizationName("platenest-tests");
  QCoreApplication::setApplicationName(name);
}

inline std::filesystem::path exampleJob(const std::string& name) {
  return std::filesystem::path(PLATENEST_SOURCE_DIR) / "examples" / name;
}

// The default 6000 x 4000 plate, a 40 mm gap (working outlines 20 mm outside the true ones,
// a few pixels at the fitted scale), a disc of radius 1000 made of four quarter arcs and a
// 2000 x 1000 slab.
inline std::filesystem::path writeDiscAndSlabJob(const Scratch& scratch) {
  const std::filesystem::path path = scratch.path("disc-and-slab.txt");
  std::ofstream out(path, std::ios::binary);
  out << "PlateLength: 6000\r\nPlateWidth: 4000\r\nPartToPartGap:40\r\n"
         "NAME:SLAB\r\n5 0 0\r\n0 2000 0\r\n0 2000 1000\r\n0 0 1000\r\n0\r\n"
         "NAME:DISC\r\n5 1000 0\r\n1000 0 1000\r\n1000 -1000 0\r\n1000 0 -1000\r\n1000\r\n"
         "#end\r\n";
  return path;
}

template <typename T = QWidget>
T* named(QObject& root, const QString& name) {
  T* found = root.findChild<T*>(name);
  if (found == nullptr) qFatal("no widget named %s", qPrintable(name));
  return found;
}

inline QAction* menuAction(MainWindow& window, int id) {
  return named<QAction>(window, QString("action%1").arg(id));
}

inline void pressKey(MainWindow& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  QTest::keyClick(&window, key, modifiers);
}

// The main window of one test over its scratch folder, with a file chooser that answers as
// told, the messages recorded and the error log in the folder.
struct WindowFixture {
  Scratch scratch;
  RecordingMessageSink messages;
  ScopedMessageSink sink{&messages};
  ScriptedFileChooser chooser;
  MainWindow window{&chooser};

  WindowFixture() { window.setErrorLogPath(scratch.path("PackError.txt")); }
  // Opens `path` through the file dialog of the menu command `command` (Open by default).
  void load(const std::filesystem::path& path, int command = 40001) {
    chooser.answers.push_back(QString::fromStdString(path.string()));
    menuAction(window, command)->trigger();
  }
};

// The deferred deletions of dialogs that closed themselves.
inline void settleDeletions() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace platenest::testing
