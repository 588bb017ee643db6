// Save files where only POSIX behaves so: symbolic links, FIFOs, unreadable
// files, file names of raw bytes, and games that die while they save.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "persistence/result.h"
#include "persistence/save_file.h"
#include "persistence/save_slot.h"
#include "support/scratch_directory.h"
#include "world/game.h"

namespace {

namespace fs = std::filesystem;
using SaveList = std::vector<std::pair<std::string, std::string>>;

void write_file(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

std::vector<std::string> files_in(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SaveListPosix, LinksCountAsWhatTheyPointToAndUnreadableFilesAndFifosAreLeftOut) {
  const test_support::ScratchDirectory scratch("lanternvale-saves-");
  fs::create_directories("saves");
  write_file("saves/a.dat", "first\n");
  fs::create_symlink("a.dat", "saves/link.dat");
  fs::create_symlink("missing.dat", "saves/dangling.dat");
  fs::create_symlink(".", "saves/loop.dat");
  ASSERT_EQ(::mkfifo("saves/fifo.dat", 0600), 0);
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

  // A FIFO put in the place of a listed save is refused, at once.
  fs::remove("saves/a.dat");
  ASSERT_EQ(::mkfifo("saves/a.dat", 0600), 0);
  EXPECT_EQ(lister.open("a").problem.kind, persistence::Problem::Kind::kNotRegularFile);
}

// A world named in the C locale by an earlier game has a file name of GBK
// bytes: it is listed under its Chinese name, opened, and saved back to that
// same file, which the world's name alone would not find.
TEST(SaveListPosix, AFileNamedInGbkBytesIsListedOpenedAndSavedBackToItself) {
  const test_support::ScratchDirectory scratch("lanternvale-saves-");
  const std::string lantern_gbk = "\xc7\xe0\xb5\xc6";
  game world;
  world.worldname = lantern_gbk;
  world.tick = 1;
  ASSERT_TRUE(world.save(lantern_gbk));
  EXPECT_EQ(files_in("saves"), std::vector<std::string>{"\xe9\x9d\x92\xe7\x81\xaf.dat"});  // UTF-8 on disk
  fs::rename("saves/\xe9\x9d\x92\xe7\x81\xaf.dat", "saves/" + lantern_gbk + ".dat");

  const std::vector<persistence::SaveEntry> listed = persistence::list_saves();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].save_name, lantern_gbk);
  EXPECT_EQ(listed[0].world_name, lantern_gbk);
  persistence::SaveSlot slot = persistence::SaveSlot::of_entry(listed[0]);
  game loaded;
  ASSERT_TRUE(slot.claim() && persistence::load_world(loaded, slot));
  loaded.tick = 2;
  ASSERT_TRUE(persistence::save_world(loaded, slot));
  slot.release();
  EXPECT_EQ(files_in("saves"), std::vector<std::string>{lantern_gbk + ".dat"});
  game again;
  ASSERT_TRUE(persistence::load_world(again, persistence::SaveSlot::of_entry(listed[0])));
  EXPECT_EQ(again.tick, 2);
}

// A save that stops in its write: the game is killed there, or, with `pause`,
// waits there until it is.
class StoppingSteps final : public persistence::SaveSteps {
 public:
  explicit StoppingSteps(int told_fd) : told_fd_(told_fd) {}
  bool write(const void* bytes, std::size_t size, std::string& why) override {
    if (!SaveSteps::write(bytes, size, why)) return false;
    if (told_fd_ < 0) ::kill(::getpid(), SIGKILL);
    [[maybe_unused]] const ssize_t told = ::write(told_fd_, "w", 1);
    for (;;) ::pause();
  }

 private:
  int told_fd_;
};

pid_t save_in_a_child(const game& world, const char* name, int told_fd) {
  const pid_t child = ::fork();
  if (child == 0) {
    StoppingSteps steps(told_fd);
    persistence::save_world(world, name, steps);
    ::_exit(1);
  }
  return child;
}

TEST(SaveFilesPosix, WhatAKilledSaveLeftIsRemovedByTheNextSaveButNotWhatALiveOneHolds) {
  const test_support::ScratchDirectory scratch("lanternvale-saves-");
  game world;
  world.worldname = "w";
  int told[2];
  ASSERT_EQ(::pipe(told), 0);
  // One after the other: a save cleans up after the games that died before it.
  const pid_t waiting = save_in_a_child(world, "waiting", told[1]);
  char byte = 0;
  ASSERT_EQ(::read(told[0], &byte, 1), 1);
  const pid_t killed = save_in_a_child(world, "killed", -1);
  int status = 0;
  ASSERT_EQ(::waitpid(killed, &status, 0), killed);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(files_in("saves"), (std::vector<std::string>{".killed.dat.lock", ".killed.dat.tmp", ".waiting.dat.lock",
                                                         ".waiting.dat.tmp"}));

  ASSERT_TRUE(world.save("w"));
  EXPECT_EQ(files_in("saves"), (std::vector<std::string>{".waiting.dat.lock", ".waiting.dat.tmp", "w.dat"}));
  ::kill(waiting, SIGKILL);
  ASSERT_EQ(::waitpid(waiting, &status, 0), waiting);
  ASSERT_TRUE(world.save("w"));
  EXPECT_EQ(files_in("saves"), std::vector<std::string>{"w.dat"});
  ::close(told[0]);
  ::close(told[1]);
}

// A link where the lock goes is refused, never followed; a lock file that a
// game of another user (run with sudo) left readable is taken over and gone
// once the world is let go.
TEST(SaveFilesPosix, ALinkForALockIsRefusedAndAStaleLockOfAnotherUserIsTakenOver) {
  const test_support::ScratchDirectory scratch("lanternvale-saves-");
  fs::create_directories("saves");
  fs::create_symlink("elsewhere", "saves/.q.dat.lock");
  std::optional<persistence::SaveSlot> slot = persistence::SaveSlot::of_name("q");
  persistence::Result claimed = slot->claim();
  EXPECT_EQ(claimed.problem.kind, persistence::Problem::Kind::kCannotLock);
  EXPECT_EQ(claimed.problem.file, "saves/.q.dat.lock");
  EXPECT_FALSE(fs::exists("saves/elsewhere"));

  fs::remove("saves/.q.dat.lock");
  write_file("saves/.q.dat.lock", "");
  fs::permissions("saves/.q.dat.lock", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ASSERT_TRUE(slot->claim());
  slot->release();
  EXPECT_TRUE(files_in("saves").empty());
}

}  // namespace
