// Save listing where only POSIX behaves so: symbolic links, unreadable files
// and the locale's encoding of file names.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "persistence/result.h"
#include "support/scratch_directory.h"
#include "world/game.h"

namespace {

namespace fs = std::filesystem;
using SaveList = std::vector<std::pair<std::string, std::string>>;

void write_file(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

TEST(SaveListPosix, LinksCountAsWhatTheyPointToAndUnreadableFilesAreLeftOut) {
  const test_support::ScratchDirectory scratch("lanternvale-saves-");
  fs::create_directories("saves");
  write_file("saves/a.dat", "first\n");
  fs::create_symlink("a.dat", "saves/link.dat");
  fs::create_symlink("missing.dat", "saves/dangling.dat");
  fs::create_symlink(".", "saves/loop.dat");
  write_file("saves/locked.dat", "unreadable\n");
  fs::permissions("saves/locked.dat", fs::perms::none);
  SaveList expected = {{"a", "first"}, {"link", "first"}};
  // Root reads any file, so there the locked one is listed too.
  if (::geteuid() == 0) expected.push_back({"locked", "unreadable"});
  game lister;
  SaveList listed = lister.findDatFiles();
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
  fs::permissions("saves/locked.dat", fs::perms::owner_all);
}

TEST(SaveListPosix, ChineseNamesAreUtf8OnDiskInAUtf8Locale) {
  const test_support::ScratchDirectory scratch("lanternvale-saves-");
  const std::string previous = std::setlocale(LC_CTYPE, nullptr);
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
  const std::string lantern_gbk = "\xc7\xe0\xb5\xc6";
  fs::create_directories("saves");
  write_file("saves/\xe9\x9d\x92\xe7\x81\xaf.dat", lantern_gbk + "\n");
  game world;
  const SaveList listed = world.findDatFiles();
  // Found by its GBK name, then refused for its length.
  const std::string problem = world.open(lantern_gbk).problem;
  std::setlocale(LC_CTYPE, previous.c_str());
  EXPECT_EQ(listed, (SaveList{{lantern_gbk, lantern_gbk}}));
  EXPECT_EQ(problem, "saves/" + lantern_gbk + ".dat: file ends at byte 5 inside the seed");
}

}  // namespace
