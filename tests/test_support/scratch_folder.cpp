#include "test_support/scratch_folder.h"

#include <gtest/gtest.h>

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
  // The process id keeps apart runs of the same test at once (two builds' test runs, two
  // engineers on one machine): each would otherwise empty the other's folder mid-test.
  name += '.';
  name += std::to_string(::getpid());
  path_ = std::filesystem::temp_directory_path() / std::string(area) / name;
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
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

std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace platenest::testing
