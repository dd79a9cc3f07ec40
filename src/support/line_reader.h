// Reads a text file the way the original C readers saw it in text mode: CR LF becomes LF,
// a read returns at most N-1 bytes of a line (fgets with a buffer of N), and the position
// can be remembered and restored. Never reads past the end of the file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace platenest {

class LineReader {
 public:
  // False when the file cannot be opened.
  bool open(const std::filesystem::path& path);
  // Reads from memory, as if the bytes were a file.
  void openBytes(std::string bytes);

  // Like fgets with a buffer of bufferSize bytes: up to bufferSize-1 bytes, stopping after a
  // '\n' (which is kept). Returns false, leaving `line` empty, when nothing is left.
  bool readLine(std::string& line, int bufferSize);

  std::size_t tell() const { return position_; }
  void seek(std::size_t position);
  bool atEnd() const { return position_ >= data_.size(); }
  // 1-based number of the line the next read starts in, for error messages.
  int lineNumber() const;
  const std::filesystem::path& path() const { return path_; }
  // Whether the first line ends with a carriage return alone (CR without LF, as old Mac
  // editors save): read by line feeds, such a file is one long line cut at random places.
  bool firstLineEndIsBareCarriageReturn() const;
  // After a read that stopped short of its line's end: when the rest of that line holds
  // only blanks (spaces, tabs, carriage returns) or nothing but its line feed, passes over
  // it and the line feed, so that padding is not read as the next line. Returns whether it
  // did.
  bool skipBlankRestOfLine();

 private:
  std::string data_;  // file contents after CR LF -> LF
  std::size_t position_ = 0;
  std::filesystem::path path_;
};

// Refuses a file whose lines end with a carriage return alone, naming the file, its first line
// and its line ends; `whatFile` names the kind of file in the message ("the part library").
void refuseBareCarriageReturnLines(const LineReader& file, std::string_view whatFile);

}  // namespace platenest
