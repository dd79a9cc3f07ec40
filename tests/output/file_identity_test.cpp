// The set of a job's files answers as the pairwise comparison does: an output path is one of
// the inputs through links, other spellings and files not yet made, and nothing else is.
#include "output/file_identity.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/scratch_folder.h"

namespace platenest {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

TEST(FileSetTest, HoldsAPathExactlyWhenItIsTheSameFileAsOneOfTheInputs) {
  ScratchFolder scratch;
  scratch.write("a.dxf", "a");
  scratch.write("b.dxf", "b");
  scratch.write("sub/c.dxf", "c");
  fs::create_symlink(scratch / "a.dxf", scratch / "link-to-a.dxf");
  fs::create_hard_link(scratch / "b.dxf", scratch / "hard-b.dxf");
  fs::create_symlink(scratch / "gone.dxf", scratch / "dangling.dxf");
  const std::vector<fs::path> paths = {
      scratch / "a.dxf",          scratch / "sub/../a.dxf", scratch / "link-to-a.dxf",
      scratch / "b.dxf",          scratch / "hard-b.dxf",   scratch / "sub/c.dxf",
      scratch / "missing.dxf",    scratch / "sub/../missing.dxf",
      scratch / "sub/missing.dxf", scratch / "dangling.dxf", scratch / "gone.dxf",
      scratch / "a.dxf/under-a-file.dxf", scratch / "sub",
      fs::relative(scratch / "a.dxf"), fs::relative(scratch / "missing.dxf")};
  // Every set of inputs drawn from the paths above (the subsets of a sliding window, so that
  // each kind of path meets each other kind), asked of every path.
  for (std::size_t first = 0; first < paths.size(); ++first) {
    for (unsigned mask = 0; mask < 16; ++mask) {
      std::vector<fs::path> inputs;
      for (unsigned k = 0; k < 4; ++k) {
        if ((mask >> k & 1U) != 0) inputs.push_back(paths[(first + k) % paths.size()]);
      }
      const FileSet set(inputs);
      for (const fs::path& path : paths) {
        bool expected = false;
        for (const fs::path& input : inputs) expected = expected || sameFile(path, input);
        EXPECT_EQ(set.holds(path), expected) << path << " against inputs from " << paths[first]
                                             << ", mask " << mask;
      }
    }
  }
  // The cases the job's protection rests on, answered by the pairwise test too.
  const FileSet job({scratch / "a.dxf", scratch / "missing.dxf"});
  EXPECT_TRUE(job.holds(scratch / "link-to-a.dxf"));
  EXPECT_TRUE(job.holds(scratch / "sub/../missing.dxf"));
  EXPECT_FALSE(job.holds(scratch / "b.dxf"));
}

}  // namespace
}  // namespace platenest
