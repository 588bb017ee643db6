// The tests' scratch directory, which every file-writing test stands on.
#include "support/scratch_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

TEST(ScratchDirectory, EachIsFreshAndCurrentThenGoneWithItsFiles) {
  const fs::path before = fs::current_path();
  fs::path outer_path;
  fs::path inner_path;
  {
    test_support::ScratchDirectory outer;
    outer_path = outer.path();
    EXPECT_EQ(fs::current_path(), outer_path);
    fs::create_directories("saves/deeper");
    std::ofstream("saves/deeper/a.dat") << "bytes";
    {
      test_support::ScratchDirectory inner;
      inner_path = inner.path();
      EXPECT_NE(inner_path, outer_path);
      EXPECT_TRUE(fs::is_empty(inner_path));
    }
    EXPECT_FALSE(fs::exists(inner_path));
    EXPECT_EQ(fs::current_path(), outer_path);
  }
  EXPECT_FALSE(fs::exists(outer_path));
  EXPECT_EQ(fs::current_path(), before);
}

}  // namespace
