// Text-mode reading as the original readers saw their files.
#include "support/line_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "support/fatal_error.h"
#include "support/whole_file.h"

namespace platenest {
namespace {

// CR LF becomes LF; a CR that is not followed by LF is kept, as a C text stream keeps it.
std::string toTextMode(std::string bytes) {
  std::size_t out = 0;
  for (std::size_t in = 0; in < bytes.size(); ++in) {
    if (bytes[in] == '\r' && in + 1 < bytes.size() && bytes[in + 1] == '\n') continue;
    bytes[out++] = bytes[in];
  }
  bytes.resize(out);
  return bytes;
}

}  // namespace

bool LineReader::open(const std::filesystem::path& path) {
  std::string bytes;
  if (!readWholeFile(path, bytes)) return false;
  data_ = toTextMode(std::move(bytes));
  position_ = 0;
  path_ = path;
  return true;
}

void LineReader::openBytes(std::string bytes) {
  data_ = toTextMode(std::move(bytes));
  position_ = 0;
  path_.clear();
}

bool LineReader::readLine(std::string& line, int bufferSize) {
  line.clear();
  // A buffer with no room beyond the terminating zero can never make progress; treating it
  // as the end keeps a reading loop from spinning forever.
  if (bufferSize < 2 || position_ >= data_.size()) return false;
  const std::size_t limit =
      std::min(data_.size() - position_, static_cast<std::size_t>(bufferSize) - 1);
  std::size_t length = limit;
  // Only the buffer's reach is searched: a file without line ends is read in linear time.
  const void* newline = std::memchr(data_.data() + position_, '\n', limit);
  if (newline != nullptr) {
    length = static_cast<std::size_t>(static_cast<const char*>(newline) - (data_.data() + position_)) + 1;
  }
  line.assign(data_, position_, length);
  position_ += length;
  return true;
}

// A carriage return inside the first line that something other than another carriage return
// follows: text goes on after it. Carriage returns that only pad the line end do not count.
bool LineReader::firstLineEndIsBareCarriageReturn() const {
  const std::size_t lineEnd = std::min(data_.find('\n'), data_.size());
  for (std::size_t i = data_.find('\r'); i != std::string::npos && i + 1 < lineEnd;
       i = data_.find('\r', i + 1)) {
    if (data_[i + 1] != '\r') return true;
  }
  return false;
}

void refuseBareCarriageReturnLines(const LineReader& file, std::string_view whatFile) {
  if (!file.firstLineEndIsBareCarriageReturn()) return;
  std::string text = "the lines of ";
  text += whatFile;
  text +=
      " end with a carriage return alone (CR without LF, as old Mac editors save them), so its "
      "lines cannot be told apart; save it with LF or CR LF line ends";
  throw FatalError(FatalChannel::kStandardError, "", std::move(text), file.path().string() + ":1");
}

bool LineReader::skipBlankRestOfLine() {
  if (position_ >= data_.size()) return false;
  std::size_t end = position_;
  while (end < data_.size() && data_[end] != '\n') {
    const char c = data_[end];
    if (c != ' ' && c != '\t' && c != '\r') return false;
    ++end;
  }
  position_ = end < data_.size() ? end + 1 : end;
  return true;
}

void LineReader::seek(std::size_t position) { position_ = std::min(position, data_.size()); }

int LineReader::lineNumber() const {
  const auto end = data_.begin() + static_cast<std::ptrdiff_t>(position_);
  return 1 + static_cast<int>(std::count(data_.begin(), end, '\n'));
}

}  // namespace platenest
