#include "test_support/scratch_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include <unistd.h>

namespace platenest::testing {

ScratchFolder::ScratchFolder(std::string_view area) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info == nullptr ? std::string("outside-a-test")
                                     : std::string(info->test_suite_name()) + "." + info->name();
  // Parameterised names hold '/'.
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  // The process id and the unique ending keep apart runs of the same test at once (two builds'
  // test runs, two engineers on one machine) and two folders of one test: each would
  // otherwise empty the other's folder mid-test.
  name += '.';
  name += std::to_string(::getpid());
  name += "-XXXXXX";
  const std::filesystem::path parent = std::filesystem::temp_directory_path() / std::string(area);
  std::filesystem::create_directories(parent);
  std::string pattern = (parent / name).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "no scratch folder " + pattern);
  }
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path ScratchFolder::write(const std::filesystem::path& relative,
                                           std::string_view bytes) const {
  const std::filesystem::path file = path_ / relative;
  std::filesystem::create_directories(file.parent_path());
  writeBytes(file, bytes);
  return file;
}

CurrentFolder::CurrentFolder(const std::filesystem::path& folder)
    : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(folder);
}

CurrentFolder::~CurrentFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace platenest::testing
