// The tests' scratch folder: two of one test never share their files, each goes with its
// object, and the current folder comes back after a run made there.
#include "test_support/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace platenest {
namespace {

TEST(ScratchFolderTest, EveryFolderIsNewEmptyAndGoesWithItsObject) {
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::path first;
  std::filesystem::path second;
  {
    const testing::ScratchFolder a;
    const testing::ScratchFolder b;
    first = a.path();
    second = b.path();
    ASSERT_NE(first, second);
    EXPECT_TRUE(std::filesystem::is_empty(first));
    EXPECT_TRUE(std::filesystem::is_empty(second));
    a.write("same.txt", "from a");
    b.write("sub/same.txt", "from b");
    EXPECT_EQ(testing::readBytes(a / "same.txt"), "from a");
    EXPECT_EQ(testing::readBytes(b / "sub/same.txt"), "from b");
    EXPECT_FALSE(std::filesystem::exists(b / "same.txt"));
    {
      const testing::CurrentFolder here(a.path());
      EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), first));
    }
    EXPECT_EQ(std::filesystem::current_path(), before);
  }
  EXPECT_FALSE(std::filesystem::exists(first));
  EXPECT_FALSE(std::filesystem::exists(second));
}

}  // namespace
}  // namespace platenest
