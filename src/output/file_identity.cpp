// Telling whether two paths are one file (see file_identity.h).
#include "output/file_identity.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace platenest {
namespace {

std::filesystem::path normalForm(const std::filesystem::path& path) {
  std::error_code ignored;
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ignored);
  return canonical.empty() ? std::filesystem::absolute(path).lexically_normal() : canonical;
}

enum class Presence { kExists, kMissing, kUnknown };

// The status query the file system's own comparison of two paths makes of each.
Presence presenceOf(const std::filesystem::path& path, std::pair<std::uint64_t, std::uint64_t>& identity) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) {
    identity = {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
    return Presence::kExists;
  }
  return errno == ENOENT || errno == ENOTDIR ? Presence::kMissing : Presence::kUnknown;
}

}  // namespace

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  const bool same = std::filesystem::equivalent(a, b, error);
  if (!error) return same;
  return normalForm(a) == normalForm(b);
}

// Two existing files are compared by identity, an existing and a missing one differ, and
// every other pair (neither exists, or a status could not be read) is compared by normal
// form: the same answers as sameFile against each file in turn.
FileSet::FileSet(const std::vector<std::filesystem::path>& files) {
  for (const std::filesystem::path& file : files) {
    std::pair<std::uint64_t, std::uint64_t> identity;
    switch (presenceOf(file, identity)) {
      case Presence::kExists:
        existing_.insert(identity);
        existingNames_.insert(normalForm(file).string());
        break;
      case Presence::kMissing:
        missingNames_.insert(normalForm(file).string());
        break;
      case Presence::kUnknown:
        unknownNames_.insert(normalForm(file).string());
        break;
    }
  }
}

bool FileSet::holds(const std::filesystem::path& path) const {
  std::pair<std::uint64_t, std::uint64_t> identity;
  const Presence presence = presenceOf(path, identity);
  if (presence == Presence::kExists && existing_.count(identity) != 0) return true;
  if (unknownNames_.empty() && presence != Presence::kUnknown &&
      (presence == Presence::kExists || missingNames_.empty())) {
    return false;
  }
  const std::string name = normalForm(path).string();
  if (unknownNames_.count(name) != 0) return true;
  if (presence != Presence::kExists && missingNames_.count(name) != 0) return true;
  return presence == Presence::kUnknown && existingNames_.count(name) != 0;
}

}  // namespace platenest
