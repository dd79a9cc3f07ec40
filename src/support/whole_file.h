// Reading a whole input file into memory, refusing what is not an ordinary file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace platenest {

// Inputs are read whole; beyond this a file is no job or drawing a shop writes.
constexpr std::uintmax_t kLargestInputBytes = 512u * 1024u * 1024u;

// The bytes of the regular file at `path`. False, with `bytes` empty, when the path is
// missing, names a folder, a device or a pipe (which would fail or block), is larger than
// `largest` bytes (a file that grows past it while it is read too), or cannot be read to its
// end.
bool readWholeFile(const std::filesystem::path& path, std::string& bytes,
                   std::uintmax_t largest = kLargestInputBytes);

}  // namespace platenest
