// Text files written as the shop's tools expect them: GBK, CR LF, numbers as printf "%g".
#include "support/text_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <locale.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <cstdarg>
#include <cstring>
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

std::string writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  TextWriter file;
  if (!file.open(path, TextWriter::Mode::kTruncate)) return file.problem();
  file.raw(bytes);
  file.close();
  return file.problem();
}

namespace {

// The permissions a new file gets: what the process's umask leaves of rw-rw-rw-.
mode_t newFileMode() {
  static const mode_t mode = [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

// Copies what `from` holds to the end of `to`; errno is set when it returns false.
bool copyContent(int from, std::FILE* to) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t count = ::read(from, buffer, sizeof buffer);
    if (count == 0) return true;
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (std::fwrite(buffer, 1, static_cast<std::size_t>(count), to) !=
        static_cast<std::size_t>(count)) {
      return false;
    }
  }
}

}  // namespace

TextWriter::~TextWriter() {
  if (!temporary_.empty()) {
    discard();
  } else {
    close();
  }
}

void TextWriter::moveFrom(TextWriter& other) noexcept {
  file_ = std::exchange(other.file_, nullptr);
  target_ = std::move(other.target_);
  temporary_ = std::move(other.temporary_);
  problem_ = std::move(other.problem_);
  copy_ = std::exchange(other.copy_, nullptr);
  other.target_.clear();
  other.temporary_.clear();
  other.problem_.clear();
}

TextWriter::TextWriter(TextWriter&& other) noexcept { moveFrom(other); }

TextWriter& TextWriter::operator=(TextWriter&& other) noexcept {
  if (this != &other) {
    if (!temporary_.empty()) {
      discard();
    } else {
      close();
    }
    moveFrom(other);
  }
  return *this;
}

void TextWriter::fail(const std::string& what, int error) {
  if (!problem_.empty()) return;
  problem_ = what + ": " + std::strerror(error);
}

bool TextWriter::open(const std::filesystem::path& path, Mode mode) {
  close();
  problem_.clear();
  target_ = path;
  temporary_.clear();
  // Binary mode: the line-end translation is ours, so it is the same on every platform.
  if (mode == Mode::kAppend) {
    file_ = std::fopen(path.c_str(), "ab");
    if (file_ == nullptr) fail(path.string(), errno);
    return file_ != nullptr;
  }

  // A link is followed, so that the file it names is replaced and the link stays.
  std::error_code ignored;
  std::filesystem::path real = std::filesystem::weakly_canonical(path, ignored);
  if (real.empty()) real = path;
  struct stat old {};
  const bool exists = ::stat(real.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) {
    fail(path.string(), EISDIR);
    return false;
  }
  if (exists && !S_ISREG(old.st_mode)) {
    // A device or a pipe cannot be replaced: it is written directly.
    file_ = std::fopen(path.c_str(), mode == Mode::kExtend ? "ab" : "wb");
    if (file_ == nullptr) fail(path.string(), errno);
    return file_ != nullptr;
  }

  std::filesystem::path folder = real.parent_path();
  if (folder.empty()) folder = ".";
  std::string pattern = (folder / ("." + real.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    fail(path.string(), errno);
    return false;
  }
  temporary_ = pattern;
  target_ = real;
  ::fchmod(fd, exists ? (old.st_mode & 07777) : newFileMode());
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    fail(path.string(), errno);
    ::close(fd);
    ::unlink(temporary_.c_str());
    temporary_.clear();
    return false;
  }
  // Within a set, the file's text is what the set will leave: an earlier writer's finished
  // text, not yet renamed over the file, is the one to extend.
  const std::filesystem::path waiting =
      OutputSet::current() != nullptr ? OutputSet::current()->waiting(real) : std::filesystem::path();
  if (mode == Mode::kExtend && (exists || !waiting.empty())) {
    const std::filesystem::path& source = waiting.empty() ? real : waiting;
    const int oldFd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    const bool copied = oldFd >= 0 && copyContent(oldFd, file_);
    const int error = errno;
    if (oldFd >= 0) ::close(oldFd);
    if (!copied) {
      fail(path.string(), error);
      discard();
      return false;
    }
  }
  return true;
}

bool TextWriter::close() {
  if (file_ == nullptr) return problem_.empty();
  if (std::fflush(file_) != 0 || std::ferror(file_) != 0) fail(target_.string(), errno);
  if (std::fclose(file_) != 0) fail(target_.string(), errno);
  file_ = nullptr;
  if (!temporary_.empty()) {
    if (problem_.empty() && OutputSet::current() != nullptr) {
      OutputSet::current()->keep(std::move(temporary_), target_);
      temporary_.clear();
      return true;
    }
    if (problem_.empty() && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
      fail(target_.string(), errno);
    }
    if (!problem_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
  }
  return problem_.empty();
}

void TextWriter::discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

void TextWriter::flush() {
  if (file_ != nullptr && std::fflush(file_) != 0) fail(target_.string(), errno);
}

TextWriter& TextWriter::text(std::string_view utf8) { return bytes(utf8ToGbk(utf8)); }

TextWriter& TextWriter::raw(std::string_view bytes) {
  if (file_ == nullptr || !problem_.empty() || bytes.empty()) return *this;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    fail(target_.string(), errno);
  }
  return *this;
}

TextWriter& TextWriter::bytes(std::string_view raw) {
  if (copy_ != nullptr) copy_->append(raw);
  if (file_ == nullptr) return *this;
  std::size_t start = 0;
  while (start < raw.size()) {
    const std::size_t newline = raw.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? raw.size() : newline;
    this->raw(raw.substr(start, end - start));
    if (newline == std::string_view::npos) break;
    this->raw("\r\n");
    start = newline + 1;
  }
  return *this;
}

TextWriter& TextWriter::number(double value) { return bytes(formatG(value)); }

TextWriter& TextWriter::number(int value) { return bytes(formatC("%d", value)); }

int removeStrayTemporaries(const std::filesystem::path& target, double olderThan) {
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  const std::string prefix = "." + target.filename().string() + ".";
  std::error_code error;
  int removed = 0;
  const std::time_t now = std::time(nullptr);
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    // The six characters mkostemp puts in place of XXXXXX.
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    struct stat info {};
    if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (std::difftime(now, info.st_mtime) <= olderThan) continue;
    if (::unlink(entry.path().c_str()) == 0) ++removed;
  }
  return removed;
}

namespace {
thread_local OutputSet* currentOutputSet = nullptr;
}  // namespace

OutputSet::OutputSet() : outer_(currentOutputSet) { currentOutputSet = this; }

OutputSet::~OutputSet() {
  currentOutputSet = outer_;
  for (const auto& [temporary, target] : finished_) ::unlink(temporary.c_str());
}

OutputSet* OutputSet::current() { return currentOutputSet; }

void OutputSet::keep(std::filesystem::path temporary, std::filesystem::path target) {
  // A file written twice in one run ends as its last writer left it.
  for (auto& [kept, keptTarget] : finished_) {
    if (keptTarget == target) {
      ::unlink(kept.c_str());
      kept = std::move(temporary);
      return;
    }
  }
  finished_.emplace_back(std::move(temporary), std::move(target));
}

std::filesystem::path OutputSet::waiting(const std::filesystem::path& target) const {
  for (const OutputSet* set = this; set != nullptr; set = set->outer_) {
    for (const auto& [temporary, keptTarget] : set->finished_) {
      if (keptTarget == target) return temporary;
    }
  }
  return {};
}

std::string OutputSet::commit() {
  std::string problem;
  for (const auto& [temporary, target] : finished_) {
    if (problem.empty() && ::rename(temporary.c_str(), target.c_str()) != 0) {
      problem = target.string() + ": " + std::strerror(errno);
    }
    if (!problem.empty()) ::unlink(temporary.c_str());
  }
  finished_.clear();
  return problem;
}

}  // namespace platenest
