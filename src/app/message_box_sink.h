// Messages of the engine as modal message boxes, and fatal errors of a command shown the
// same way while the program keeps running.
#pragma once

#include <string_view>

#include "support/fatal_error.h"
#include "support/messages.h"

namespace platenest {

// A modal box with the caption, the text and an OK button. The layout-time announcement
// (the notice caption) comes with the notification sound.
class MessageBoxSink : public MessageSink {
 public:
  void show(std::string_view caption, std::string_view text) override;
};

// Shows a fatal error through the installed sink: its caption ("Warning!" for errors
// defined as console lines), its text and, on a line of its own, where the input caused it.
void showFatalError(const FatalError& error);

}  // namespace platenest
