// An error that ends the job: the command line reports it and exits with status 1,
// the window shows it and discards the job it was building.
#pragma once

#include <stdexcept>
#include <string>

namespace platenest {

// Where the message of a fatal error is defined to appear.
enum class FatalChannel {
  kMessageBox,      // caption and text in a modal message
  kStandardOutput,  // the text and a line end on standard output
  kStandardError,   // the text and a line end on standard error
};

class FatalError : public std::runtime_error {
 public:
  FatalError(FatalChannel channel, std::string caption, std::string text,
             std::string detail = {})
      : std::runtime_error(text),
        channel_(channel),
        caption_(std::move(caption)),
        text_(std::move(text)),
        detail_(std::move(detail)) {}

  // A fatal error shown as a message with the "Warning!" caption.
  static FatalError warning(std::string text, std::string detail = {}) {
    return FatalError(FatalChannel::kMessageBox, "Warning!", std::move(text), std::move(detail));
  }

  FatalChannel channel() const { return channel_; }
  const std::string& caption() const { return caption_; }  // UTF-8; empty for console channels
  const std::string& text() const { return text_; }        // UTF-8, exactly as defined
  // Where the input caused it ("file.txt:12"), or empty. Shown after the defined text.
  const std::string& detail() const { return detail_; }

 private:
  FatalChannel channel_;
  std::string caption_;
  std::string text_;
  std::string detail_;
};

}  // namespace platenest
