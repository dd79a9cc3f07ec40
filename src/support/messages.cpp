#include "support/messages.h"

#include <cstdio>
#include <string>

#include "support/gbk.h"

namespace platenest {
namespace {

TerminalMessageSink& terminalSink() {
  static TerminalMessageSink sink;
  return sink;
}

MessageSink* currentSink = nullptr;

}  // namespace

void TerminalMessageSink::show(std::string_view caption, std::string_view text) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
}

void RecordingMessageSink::show(std::string_view caption, std::string_view text) {
  messages_.push_back({std::string(caption), std::string(text)});
}

std::vector<std::string> RecordingMessageSink::texts() const {
  std::vector<std::string> result;
  result.reserve(messages_.size());
  for (const Message& m : messages_) result.push_back(m.text);
  return result;
}

void setMessageSink(MessageSink* sink) { currentSink = sink; }

MessageSink& messageSink() { return currentSink != nullptr ? *currentSink : terminalSink(); }

void showMessage(std::string_view caption, std::string_view text) {
  messageSink().show(caption, text);
}

void warnCutShort(std::string_view path, std::string_view marker) {
  showWarning(displayName(path) + " has no closing " + std::string(marker) +
              " line: the file may be cut short, and parts or holes may be missing");
}

ScopedMessageSink::ScopedMessageSink(MessageSink* sink) : previous_(currentSink) {
  currentSink = sink;
}

ScopedMessageSink::~ScopedMessageSink() { currentSink = previous_; }

}  // namespace platenest
