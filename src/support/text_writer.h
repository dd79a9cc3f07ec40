// A text file as the cutting shop's tools expect it: GBK bytes, CR LF line ends,
// real numbers as printf "%g".
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace platenest {

// printf-style formatting into a std::string (the C library's rules, "C" numbers).
std::string formatC(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A real number as "%g" writes it: at most six significant digits.
std::string formatG(double value);

// Writes like a C text-mode stream on the original platform: every '\n' becomes CR LF.
// Text given with text() or << is UTF-8 and is converted to GBK; bytes() writes as is
// (part names, which are kept as the bytes that were read).
class TextWriter {
 public:
  // kRewrite writes from the start over what the file held and cuts it at the end of what
  // was written when closed: the same file as kTruncate, without first giving up the blocks
  // the file had (emptying a file is a costly step on some file systems).
  enum class Mode { kTruncate, kAppend, kRewrite };

  TextWriter() = default;
  ~TextWriter();
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;
  TextWriter(TextWriter&& other) noexcept;
  TextWriter& operator=(TextWriter&& other) noexcept;

  // False when the file cannot be opened.
  bool open(const std::filesystem::path& path, Mode mode);
  bool isOpen() const { return file_ != nullptr; }
  void close();
  void flush();

  TextWriter& text(std::string_view utf8);
  TextWriter& bytes(std::string_view raw);
  TextWriter& number(double value);  // "%g"
  TextWriter& number(int value);     // plain decimal
  TextWriter& endLine() { return bytes("\n"); }

  // From now on also appends what is written (GBK bytes, '\n' line ends) to `copy`, until
  // called with null: tells the operator why an entry failed in the words the file keeps.
  void copyTo(std::string* copy) { copy_ = copy; }

  TextWriter& operator<<(std::string_view utf8) { return text(utf8); }
  TextWriter& operator<<(const char* utf8) { return text(utf8); }
  TextWriter& operator<<(const std::string& utf8) { return text(utf8); }
  TextWriter& operator<<(double value) { return number(value); }
  TextWriter& operator<<(int value) { return number(value); }

 private:
  std::FILE* file_ = nullptr;
  bool cutOnClose_ = false;
  std::string* copy_ = nullptr;
};

}  // namespace platenest
