// Text files written as the shop's tools expect them: GBK, CR LF, numbers as printf "%g".
#include "support/text_writer.h"

#include <fcntl.h>
#include <locale.h>
#include <unistd.h>

#include <cstdarg>
#include <utility>

#include "support/gbk.h"

namespace platenest {
namespace {

// The window may switch the process to the operator's locale; numbers in files must keep
// the '.' decimal point all the same, so formatting runs under the "C" locale.
class CLocaleScope {
 public:
  CLocaleScope() {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (cLocale != static_cast<locale_t>(0)) previous_ = uselocale(cLocale);
  }
  ~CLocaleScope() {
    if (previous_ != static_cast<locale_t>(0)) uselocale(previous_);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_ = static_cast<locale_t>(0);
};

std::string formatList(const char* format, va_list arguments) {
  CLocaleScope cLocale;
  char small[256];
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (length < 0) return {};
  if (static_cast<std::size_t>(length) < sizeof small) {
    return std::string(small, static_cast<std::size_t>(length));
  }
  std::string result(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(result.data(), result.size(), format, arguments);
  result.resize(static_cast<std::size_t>(length));
  return result;
}

}  // namespace

std::string formatC(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string result = formatList(format, arguments);
  va_end(arguments);
  return result;
}

std::string formatG(double value) { return formatC("%g", value); }

TextWriter::~TextWriter() { close(); }

TextWriter::TextWriter(TextWriter&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      cutOnClose_(std::exchange(other.cutOnClose_, false)),
      copy_(std::exchange(other.copy_, nullptr)) {}

TextWriter& TextWriter::operator=(TextWriter&& other) noexcept {
  if (this != &other) {
    close();
    file_ = std::exchange(other.file_, nullptr);
    cutOnClose_ = std::exchange(other.cutOnClose_, false);
    copy_ = std::exchange(other.copy_, nullptr);
  }
  return *this;
}

bool TextWriter::open(const std::filesystem::path& path, Mode mode) {
  close();
  // Binary mode: the line-end translation is ours, so it is the same on every platform.
  if (mode == Mode::kRewrite) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
      ::close(fd);
      return false;
    }
    cutOnClose_ = true;
    return true;
  }
  file_ = std::fopen(path.c_str(), mode == Mode::kAppend ? "ab" : "wb");
  return file_ != nullptr;
}

void TextWriter::close() {
  if (file_ == nullptr) return;
  if (cutOnClose_) {
    // Whatever the file held beyond what was written now goes.
    std::fflush(file_);
    const off_t end = ::ftello(file_);
    if (end >= 0 && ::ftruncate(::fileno(file_), end) != 0) {
      // Nothing sensible is left to do: the new text is written, old bytes may trail it.
    }
    cutOnClose_ = false;
  }
  std::fclose(file_);
  file_ = nullptr;
}

void TextWriter::flush() {
  if (file_ != nullptr) std::fflush(file_);
}

TextWriter& TextWriter::text(std::string_view utf8) { return bytes(utf8ToGbk(utf8)); }

TextWriter& TextWriter::bytes(std::string_view raw) {
  if (copy_ != nullptr) copy_->append(raw);
  if (file_ == nullptr) return *this;
  std::size_t start = 0;
  while (start < raw.size()) {
    const std::size_t newline = raw.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? raw.size() : newline;
    std::fwrite(raw.data() + start, 1, end - start, file_);
    if (newline == std::string_view::npos) break;
    std::fwrite("\r\n", 1, 2, file_);
    start = newline + 1;
  }
  return *this;
}

TextWriter& TextWriter::number(double value) { return bytes(formatG(value)); }

TextWriter& TextWriter::number(int value) { return bytes(formatC("%d", value)); }

}  // namespace platenest
