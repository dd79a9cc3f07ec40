// Messages of the engine as modal message boxes, and fatal errors of a command shown the
// same way while the program keeps running.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>
#include <string_view>
#include <vector>

#include "support/fatal_error.h"
#include "support/messages.h"

namespace platenest {

// A modal box with the caption, the text and an OK button, in front of its owner window and
// holding the keyboard, so that OK and Return answer it. The layout-time announcement (the
// notice caption) comes with the notification sound.
class MessageBoxSink : public MessageSink {
 public:
  explicit MessageBoxSink(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }
  void show(std::string_view caption, std::string_view text) override;

 private:
  QPointer<QWidget> owner_;
};

// Keeps the messages shown while it is installed, so that a long command's progress window
// can close before they are shown; `release` hands them, in order, to the sink that was in
// use before (also done at destruction).
class HeldMessages : public MessageSink {
 public:
  HeldMessages();
  ~HeldMessages() override;
  HeldMessages(const HeldMessages&) = delete;
  HeldMessages& operator=(const HeldMessages&) = delete;
  void show(std::string_view caption, std::string_view text) override;
  // Puts the previous sink back and shows what was held there.
  void release();
  const std::vector<RecordingMessageSink::Message>& held() const { return held_; }
  // Puts the previous sink back and forgets what was held (the caller shows it otherwise).
  std::vector<RecordingMessageSink::Message> take();

 private:
  MessageSink* previous_;
  bool installed_ = true;
  std::vector<RecordingMessageSink::Message> held_;
};

// Shows a fatal error through the installed sink: its caption ("Warning!" for errors
// defined as console lines), its text and, on a line of its own, where the input caused it.
void showFatalError(const FatalError& error);

}  // namespace platenest
