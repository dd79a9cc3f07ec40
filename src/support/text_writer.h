// A text file as the cutting shop's tools expect it: GBK bytes, CR LF line ends,
// real numbers as printf "%g".
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platenest {

// printf-style formatting into a std::string (the C library's rules, "C" numbers).
std::string formatC(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A real number as "%g" writes it: at most six significant digits.
std::string formatG(double value);

// Removes what a writer killed mid-write (kill -9, a power cut) left beside `target`: its
// temporaries ".<name>.XXXXXX", when last changed more than `olderThan` seconds ago, so that a
// run writing there at the same time keeps its own. Returns how many were removed.
int removeStrayTemporaries(const std::filesystem::path& target, double olderThan);

// Replaces the file at `path` with `bytes` exactly, whole or not at all. Returns the
// problem (path and reason) when it could not be done, or an empty string.
std::string writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

// Writes like a C text-mode stream on the original platform: every '\n' becomes CR LF.
// Text given with text() or << is UTF-8 and is converted to GBK; bytes() writes as is
// (part names, which are kept as the bytes that were read).
//
// An output file is replaced whole or not at all: the text goes to a temporary file beside
// it, and close() renames that over the old file only when every write, the flush and the
// close succeeded. A writer dropped before close() leaves the old file as it was. A path
// that names a device or a pipe (/dev/stdout) is written directly, every write checked.
class TextWriter {
 public:
  enum class Mode {
    kTruncate,  // the new text replaces the file
    kExtend,    // the file's text followed by the new text replaces the file
    kAppend,    // appended in place as it is written (logs: what was written stays)
  };

  TextWriter() = default;
  ~TextWriter();
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;
  TextWriter(TextWriter&& other) noexcept;
  TextWriter& operator=(TextWriter&& other) noexcept;

  // False when the file cannot be opened; problem() says why.
  bool open(const std::filesystem::path& path, Mode mode);
  bool isOpen() const { return file_ != nullptr; }
  // Finishes the file. False when any write, the flush, the close or the rename failed;
  // the old file then stays as it was and problem() says why.
  bool close();
  // Drops what was written to a file being replaced; the old file stays.
  void discard();
  void flush();
  // True once a write has failed (the text is then not all in the file).
  bool failed() const { return !problem_.empty(); }
  // The first failure: the file's path and the system's reason.
  const std::string& problem() const { return problem_; }

TextWriter& text(std::string_view utf8);
  TextWriter& bytes(std::string_view raw);
  TextWriter& number(double value);  // "%g"
  TextWriter& number(int value);     // plain decimal
  TextWriter& endLine() { return bytes("\n"); }
  // Bytes exactly as given, '\n' untouched (formats with line ends of their own).
  TextWriter& raw(std::string_view bytes);

  // From now on also appends what is written (GBK bytes, '\n' line ends) to `copy`, until
  // called with null: tells the operator why an entry failed in the words the file keeps.
  void copyTo(std::string* copy) { copy_ = copy; }

  TextWriter& operator<<(std::string_view utf8) { return text(utf8); }
  TextWriter& operator<<(const char* utf8) { return text(utf8); }
  TextWriter& operator<<(const std::string& utf8) { return text(utf8); }
  TextWriter& operator<<(double value) { return number(value); }
  TextWriter& operator<<(int value) { return number(value); }

 private:
  void fail(const std::string& what, int error);
  void moveFrom(TextWriter& other) noexcept;

  std::FILE* file_ = nullptr;
  std::filesystem::path target_;     // the file the text is for
  std::filesystem::path temporary_;  // where it is written until close(); empty: in place
  std::string problem_;
  std::string* copy_ = nullptr;
};

// The outputs of one run as a set: while one is alive on this thread, a TextWriter that
// replaces its file keeps the finished text in its temporary at close(). commit() then
// renames them all over their files; a set dropped before commit() (a later output failed)
// removes them, so the previous run's files all stay as they were.
class OutputSet {
 public:
  OutputSet();
  ~OutputSet();
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // Renames every finished temporary over its file. The problem (path and reason) of the
  // first that could not be renamed, or an empty string.
  std::string commit();

  // The set the current thread's writers hand their finished files to, or null.
  static OutputSet* current();
  void keep(std::filesystem::path temporary, std::filesystem::path target);
  // The finished text waiting to replace `target` (this set's or an enclosing one's), or an
  // empty path.
  std::filesystem::path waiting(const std::filesystem::path& target) const;

 private:
  OutputSet* outer_;
  std::vector<std::pair<std::filesystem::path, std::filesystem::path>> finished_;
};

}  // namespace platenest
