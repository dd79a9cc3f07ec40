// Where the core reports to the operator: a modal message (caption, text, OK) in the
// window, a line on standard error on the command line, a record in tests.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platenest {

inline constexpr const char* kWarningCaption = "Warning!";
inline constexpr const char* kNoticeCaption = "注意!";

// Receives every message the core shows. Texts are UTF-8.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void show(std::string_view caption, std::string_view text) = 0;
};

// Writes "caption: text" and a line end to standard error.
class TerminalMessageSink : public MessageSink {
 public:
  void show(std::string_view caption, std::string_view text) override;
};

// Keeps every message in order, for tests to assert on.
class RecordingMessageSink : public MessageSink {
 public:
  struct Message {
    std::string caption;
    std::string text;
  };
  void show(std::string_view caption, std::string_view text) override;
  const std::vector<Message>& messages() const { return messages_; }
  std::vector<std::string> texts() const;
  void clear() { messages_.clear(); }

 private:
  std::vector<Message> messages_;
};

// The sink in use; a TerminalMessageSink until one is installed. Not owned.
void setMessageSink(MessageSink* sink);
MessageSink& messageSink();

// Shows one message through the installed sink.
void showMessage(std::string_view caption, std::string_view text);
inline void showWarning(std::string_view text) { showMessage(kWarningCaption, text); }

// Warns that the job file at `path` lacks its closing `marker` and so may be cut short,
// for a truncated copy loads without error but with fewer parts or holes.
void warnCutShort(std::string_view path, std::string_view marker);

// Installs a sink for the lifetime of the guard and restores the previous one.
class ScopedMessageSink {
 public:
  explicit ScopedMessageSink(MessageSink* sink);
  ~ScopedMessageSink();
  ScopedMessageSink(const ScopedMessageSink&) = delete;
  ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

 private:
  MessageSink* previous_;
};

}  // namespace platenest
