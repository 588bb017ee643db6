#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "persistence/little_endian.h"
#include "persistence/save_file.h"
#include "persistence/save_name.h"
#include "persistence/save_slot.h"
#include "support/scratch_directory.h"
#include "world/game.h"

namespace {

namespace fs = std::filesystem;
using persistence::FilePart;
using persistence::kFixedBytes;
using persistence::Problem;
using Kind = Problem::Kind;
using SaveList = std::vector<std::pair<std::string, std::string>>;

Problem refused(Kind kind, std::string file, std::string words = {}) {
  return persistence::Result::refused(kind, std::move(file), std::move(words)).problem;
}

// Each test runs in a fresh directory of its own, since saves/ is relative to
// the working directory.
class SaveFiles : public ::testing::Test {
 protected:
  test_support::ScratchDirectory scratch_{"lanternvale-saves-"};
};

std::string bytes_of(const fs::path& file, std::uint64_t offset, std::size_t count) {
  std::ifstream in(file, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset));
  std::string bytes(count, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

void write_file(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string int32_bytes(std::int32_t value) {
  std::string out;
  persistence::little_endian::put_int32(out, value);
  return out;
}

std::string int64_bytes(std::int64_t value) {
  std::string out;
  persistence::little_endian::put_int64(out, value);
  return out;
}

std::uint64_t cell_offset(std::uint64_t name_length, int x, int y) {
  return name_length + 9 + 80 * (1024 * static_cast<std::uint64_t>(x + 512) + static_cast<std::uint64_t>(y + 512));
}

template <class List>
List sorted(List list) {
  std::sort(list.begin(), list.end());
  return list;
}

bool same_world(const game& a, const game& b) {
  for (int row = 0; row < game::kWorldSize; ++row) {
    if (std::memcmp(a.world[row], b.world[row], persistence::kRowBytes) != 0) return false;
  }
  const game::player& p = a.localplayer;
  const game::player& q = b.localplayer;
  return a.worldname == b.worldname && a.worldseed == b.worldseed && a.tick == b.tick && p.x == q.x && p.y == q.y &&
         p.lingli == q.lingli && p.atk == q.atk && p.hp == q.hp && p.defence == q.defence && p.baowu == q.baowu;
}

TEST_F(SaveFiles, ANewWorldIsWrittenInTheExactLayout) {
  game world;
  world.init(1);
  world.worldname = "abc";
  ASSERT_TRUE(world.save("abc"));
  const fs::path file = "saves/abc.dat";
  EXPECT_EQ(fs::file_size(file), 83'886'176u);
  EXPECT_EQ(bytes_of(file, 0, 12), "abc\n" + int64_bytes(1));

  // The monster at (-512, -457), 55 cells into the first row.
  const std::uint64_t monster = cell_offset(3, -512, -457);
  EXPECT_EQ(monster, 3u + 4409u);
  EXPECT_EQ(bytes_of(file, monster, 8), int32_bytes(3) + int32_bytes(1));
  EXPECT_EQ(bytes_of(file, monster + 56, 24), int64_bytes(71) + int64_bytes(28) + int64_bytes(740));

  // x, y, tick, then lingli 0, atk 10, hp 100, defence 5, then no treasures.
  std::string trailer(12, '\0');
  for (const int statistic : {0, 10, 100, 5}) trailer += int64_bytes(statistic) + int64_bytes(0);
  trailer += int64_bytes(0);
  EXPECT_EQ(bytes_of(file, 83'886'176 - 84, 84), trailer);

  // A second save replaces the first whole; the loaded world is the saved one.
  world.localplayer.baowu = {{2, 5}, {0, -7}};
  world.localplayer.x = -512;
  world.localplayer.y = 511;
  ASSERT_TRUE(world.save("abc"));
  EXPECT_EQ(fs::file_size(file), 83'886'176u + 48);
  game loaded;
  ASSERT_TRUE(loaded.open("abc"));
  EXPECT_TRUE(same_world(world, loaded));
  EXPECT_EQ(sorted(loaded.findDatFiles()), (SaveList{{"abc", "abc"}}));
}

TEST_F(SaveFiles, EveryFieldACellTypeUsesComesBack) {
  game world;
  for (int type = 0; type <= 10; ++type) {
    game::point& cell = world.cell(type * 97 - 512, 511 - type * 31);
    cell.type = type;
    cell.level = type % 5;
    cell.b.type = type % 3;
    cell.b.add = (static_cast<int128>(type + 1) << 90) - 3;
    cell.m = {-1 - type, INT64_MAX - type, INT64_MIN + type};
  }
  world.worldname = "w\r";
  world.worldseed = INT64_MIN;
  world.tick = -7;
  world.localplayer.lingli = -(static_cast<int128>(1) << 126);
  world.localplayer.atk = static_cast<int128>(1) << 100;
  world.localplayer.hp = -1;
  world.localplayer.defence = 0;
  world.localplayer.baowu = {{0, 1}, {1, static_cast<int128>(1) << 70}, {2, -5}, {1, 0}};
  ASSERT_TRUE(world.save(world.worldname));

  game loaded;
  ASSERT_TRUE(loaded.open("w\r"));
  EXPECT_TRUE(same_world(world, loaded));
  EXPECT_EQ(loaded.worldname, "w\r");  // the CR stays in the name
  EXPECT_EQ(loaded.findDatFiles(), (SaveList{{"w\r", "w"}}));  // the list stops at it
}

TEST_F(SaveFiles, TheListShowsSavesInTheDirectoryByTheirFirstLine) {
  game lister;
  EXPECT_TRUE(lister.findDatFiles().empty());  // no saves/ at all
  write_file("saves", "a plain file");
  EXPECT_TRUE(lister.findDatFiles().empty());
  EXPECT_EQ(lister.save("x").problem.kind, Kind::kCannotCreateDirectory);

  fs::remove("saves");
  fs::create_directories("saves/d.dat");
  write_file("saves/a.dat", "first\nsecond line");
  write_file("saves/crlf.dat", "name\r\nrest");
  write_file("saves/empty.dat", "");
  write_file("saves/%41.dat", "escape-like");
  for (const char* skipped : {"saves/b.txt", "saves/C.DAT", "saves/.dat", "saves/.save-1.tmp", "saves/x.dat.tmp"}) {
    write_file(skipped, "never listed\n");
  }
  const SaveList expected = {{"a", "first"}, {"crlf", "name"}, {"empty", ""}, {"%41", "escape-like"}};
  EXPECT_EQ(sorted(lister.findDatFiles()), sorted(expected));
}

TEST_F(SaveFiles, ASaveIsOpenedByItsFileNameAndSavedUnderItsWorldName) {
  game world;
  world.worldname = "abc";
  world.cell(0, 0) = {3, 2, {}, {}, {9, 8, 7}};
  ASSERT_TRUE(world.save("abc"));
  fs::rename("saves/abc.dat", "saves/xyz.dat");
  EXPECT_EQ(world.findDatFiles(), (SaveList{{"xyz", "abc"}}));

  game loaded;
  ASSERT_TRUE(loaded.open("xyz"));
  EXPECT_EQ(loaded.worldname, "abc");
  ASSERT_TRUE(loaded.save(loaded.worldname));
  EXPECT_EQ(sorted(loaded.findDatFiles()), (SaveList{{"abc", "abc"}, {"xyz", "abc"}}));

  game missing;
  EXPECT_EQ(missing.open("nothing").problem, refused(Kind::kCannotOpen, "saves/nothing.dat", "No such file or directory"));
}

std::int32_t tick_in(const fs::path& file, std::size_t name_length) {
  std::int32_t tick = 0;
  const std::string bytes = bytes_of(file, name_length + 9 + persistence::kCellBlockBytes + 8, 4);
  std::memcpy(&tick, bytes.data(), sizeof tick);
  return tick;
}

std::vector<std::string> files_in(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  return sorted(names);
}

// A playthrough holds its world's file: a world opened from a copy is saved
// back to the copy, and no other game can take the file meanwhile.
TEST_F(SaveFiles, AWorldIsSavedBackToTheFileItWasOpenedFromWhichNoOtherGameCanTake) {
  game world;
  world.worldname = "abc";
  world.tick = 1;
  ASSERT_TRUE(world.save("abc"));
  fs::copy_file("saves/abc.dat", "saves/backup.dat");
  std::vector<persistence::SaveEntry> listed = persistence::list_saves();
  std::erase_if(listed, [](const persistence::SaveEntry& entry) { return entry.save_name != "backup"; });
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].world_name, "abc");

  persistence::SaveSlot slot = persistence::SaveSlot::of_entry(listed[0]);
  ASSERT_TRUE(slot.claim());
  game copy;
  ASSERT_TRUE(persistence::load_world(copy, slot));
  copy.tick = 5;
  ASSERT_TRUE(persistence::save_world(copy, slot));
  EXPECT_EQ(tick_in("saves/backup.dat", 3), 5);
  EXPECT_EQ(tick_in("saves/abc.dat", 3), 1);

  persistence::SaveSlot second = persistence::SaveSlot::of_entry(listed[0]);
  EXPECT_EQ(second.claim().problem, refused(Kind::kInUse, "saves/backup.dat"));
  EXPECT_EQ(world.save("backup").problem.kind, Kind::kInUse);
  slot.release();
  EXPECT_TRUE(second.claim());
  second.release();
  EXPECT_EQ(files_in("saves"), (std::vector<std::string>{"abc.dat", "backup.dat"}));
}

// A new world that takes a save's name replaces it at its first save, and
// the save it replaced stays as one hidden backup, which the list never shows.
TEST_F(SaveFiles, ANewWorldOfATakenNameKeepsTheSaveItReplacesAsTheBackup) {
  game world;
  world.worldname = "abc";
  world.tick = 1;
  ASSERT_TRUE(world.save("abc"));
  for (const std::int32_t replaced : {1, 3}) {
    std::optional<persistence::SaveSlot> slot = persistence::SaveSlot::of_new_world("abc");
    ASSERT_TRUE(slot && slot->claim());
    world.tick = replaced + 1;
    ASSERT_TRUE(persistence::save_world(world, *slot));
    world.tick = replaced + 2;  // the Escape save of the same world keeps no backup
    ASSERT_TRUE(persistence::save_world(world, *slot));
    EXPECT_EQ(tick_in("saves/.abc.dat.bak", 3), replaced);
    EXPECT_EQ(tick_in("saves/abc.dat", 3), replaced + 2);
  }
  EXPECT_EQ(files_in("saves"), (std::vector<std::string>{".abc.dat.bak", "abc.dat"}));
  EXPECT_EQ(world.findDatFiles(), (SaveList{{"abc", "abc"}}));
}

// A save cleans up after the games that died, and after nobody else: hidden
// files that are not the game's own stay, and so does the backup.
TEST_F(SaveFiles, ASaveRemovesOnlyTheHiddenFilesTheGameMakes) {
  fs::create_directories("saves");
  const std::vector<std::string> others = {".notes.tmp", ".photo.jpg.tmp", ".todo.lock", ".x.dat.bak", ".dat.tmp"};
  const std::vector<std::string> games = {".gone.dat.tmp", ".gone.dat.lock", ".0123456789abcdef.tmp", ".save-12.tmp"};
  for (const std::vector<std::string>* names : {&others, &games}) {
    for (const std::string& name : *names) write_file("saves/" + name, "kept?");
  }
  game world;
  world.worldname = "w";
  ASSERT_TRUE(world.save("w"));
  std::vector<std::string> expected = others;
  expected.push_back("w.dat");
  EXPECT_EQ(files_in("saves"), sorted(expected));
}

// Whatever lies where the lock, the temporary file or the backup of a world
// goes and can't be used as one is named, and nothing is played or saved
// past it.
TEST_F(SaveFiles, WhatIsInTheWayOfASaveIsNamed) {
  game world;
  world.worldname = "q";
  ASSERT_TRUE(world.save("q"));
  const auto problem_of = [&](const char* in_the_way) {
    fs::create_directories(std::string("saves/") + in_the_way + "/content");
    std::optional<persistence::SaveSlot> slot = persistence::SaveSlot::of_new_world("q");
    persistence::Result result = slot->claim();
    if (result) result = persistence::save_world(world, *slot);
    slot->release();
    fs::remove_all(std::string("saves/") + in_the_way);
    return std::pair(result.problem.kind, result.problem.file);
  };
  EXPECT_EQ(problem_of(".q.dat.lock"), std::pair(Kind::kCannotLock, std::string("saves/.q.dat.lock")));
  EXPECT_EQ(problem_of(".q.dat.tmp"), std::pair(Kind::kCannotWrite, std::string("saves/.q.dat.tmp")));
  EXPECT_EQ(problem_of(".q.dat.bak"), std::pair(Kind::kCannotWrite, std::string("saves/.q.dat.bak")));
  EXPECT_EQ(files_in("saves"), std::vector<std::string>{"q.dat"});
  // No saves/ directory can be made: nothing can be locked either.
  fs::remove_all("saves");
  write_file("saves", "a plain file");
  EXPECT_EQ(persistence::SaveSlot::of_name("q")->claim().problem.kind, Kind::kCannotCreateDirectory);
}

TEST_F(SaveFiles, NamesWithSeparatorsStayInsideSaves) {
  game world;
  for (const std::string name : {"../up", "a/b", ""}) {
    world.worldname = name;
    ASSERT_TRUE(world.save(name)) << name;
  }
  // Only saves/ was made here, and in it one file per name.
  std::vector<std::string> here;
  for (const auto& entry : fs::directory_iterator(".")) here.push_back(entry.path().filename().string());
  EXPECT_EQ(here, std::vector<std::string>{"saves"});
  std::vector<std::string> saved;
  for (const auto& entry : fs::directory_iterator("saves")) saved.push_back(entry.path().filename().string());
  EXPECT_EQ(sorted(saved), (std::vector<std::string>{"..%2Fup.dat", ".dat", "a%2Fb.dat"}));

  // The empty name's file is never listed; the others open by their names.
  const SaveList listed = sorted(world.findDatFiles());
  EXPECT_EQ(listed, (SaveList{{"../up", "../up"}, {"a/b", "a/b"}}));
  game loaded;
  ASSERT_TRUE(loaded.open(listed[1].first));
  EXPECT_EQ(loaded.worldname, "a/b");
}

// Names on disk are UTF-8 whatever the locale.
TEST_F(SaveFiles, AChineseNameFindsItsUtf8File) {
  const std::string lantern_gbk = "\xc7\xe0\xb5\xc6";
  fs::create_directories("saves");
  write_file(fs::path(u8"saves/\u9752\u706f.dat"), lantern_gbk + "\n");
  game world;
  EXPECT_EQ(world.findDatFiles(), (SaveList{{lantern_gbk, lantern_gbk}}));
  // Found by its GBK name, then refused for its length.
  Problem ends = refused(Kind::kEndsInside, "saves/" + lantern_gbk + ".dat");
  ends.offset = 5;
  ends.part = FilePart::kSeed;
  EXPECT_EQ(world.open(lantern_gbk).problem, ends);
}

// A save written to memory, as the writer sees a file.
class SaveToMemory final : public persistence::SaveSteps {
 public:
  std::string bytes;

  bool create_directory(const fs::path&, std::string&) override { return true; }
  persistence::Result claim(persistence::SaveSlot&) override { return {}; }
  void clean_up(const fs::path&) override {}
  bool create_new(const fs::path&, std::string&) override { return true; }
  bool write(const void* data, std::size_t size, std::string&) override {
    bytes.append(static_cast<const char*>(data), size);
    return true;
  }
  bool sync(std::string&) override { return true; }
  bool close(std::string&) override { return true; }
  bool replace(const fs::path&, const fs::path&, std::string&) override { return true; }
  bool sync_directory(const fs::path&, std::string&) override { return true; }
  void discard(const fs::path&) override {}
};

// A save's bytes in memory, as the loader sees a file.
class SaveInMemory final : public persistence::ByteSource {
 public:
  explicit SaveInMemory(std::string_view bytes) : bytes_(bytes) {}

  std::optional<std::uint64_t> size(std::string&) override { return bytes_.size(); }
  bool read(void* into, std::size_t size, std::size_t& got, std::string&) override {
    got = bytes_.copy(static_cast<char*>(into), size, at_);
    at_ += got;
    return true;
  }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

// A damaged file is refused with what is wrong and where, and left as it was.
// The damages are made to a save's bytes in memory; one file shows that
// opening it leaves it alone.
TEST_F(SaveFiles, ADamagedFileIsRefusedAndLeftAlone) {
  game world;
  world.worldname = "abc";
  world.cell(-3, 17).type = 1;
  world.cell(-3, 18).type = 5;
  world.cell(-3, 18).b.type = 9;  // an opened treasure's kind is never read
  world.localplayer.baowu = {{0, 1}, {1, 2}};
  SaveToMemory saved;
  ASSERT_TRUE(persistence::save_world(world, "abc", saved));
  std::string& bytes = saved.bytes;
  const std::uint64_t size = bytes.size();
  const std::uint64_t trailer = 3 + 9 + persistence::kCellBlockBytes;
  const std::uint64_t bad_cell = cell_offset(3, -3, 17);

  // What is wrong and where, as the loader reports it.
  const auto ends = [](std::uint64_t offset, FilePart part) {
    Problem problem = refused(Kind::kEndsInside, "saves/abc.dat");
    problem.offset = offset;
    problem.part = part;
    return problem;
  };
  const auto fault = [](Kind kind, std::int64_t x, std::int64_t y, std::int64_t value = 0) {
    Problem problem = refused(kind, "saves/abc.dat");
    problem.x = x;
    problem.y = y;
    problem.value = value;
    return problem;
  };
  const auto counted = [](Kind kind, std::uint64_t count, std::uint64_t room = 0) {
    Problem problem = refused(kind, "saves/abc.dat");
    problem.count = count;
    problem.room = room;
    return problem;
  };
  Problem wrong_level = fault(Kind::kCellLevel, -3, 17, 5);
  wrong_level.type = 1;

  struct Damage {
    std::uint64_t cut_at;  // the file's new length, or 0
    std::uint64_t offset;  // where `bytes` go, if any
    std::string bytes;
    Problem problem;
  };
  const std::vector<Damage> damages = {
      {2, 0, "", ends(2, FilePart::kWorldName)},
      {7, 0, "", ends(7, FilePart::kSeed)},
      {3 + 4409, 0, "", ends(4412, FilePart::kCells)},
      {trailer + 20, 0, "", ends(trailer + 20, FilePart::kLingli)},
      {size - 30, 0, "", counted(Kind::kTooManyTreasures, 2, 18)},
      {0, bad_cell, int32_bytes(12), fault(Kind::kCellType, -3, 17, 12)},
      {0, bad_cell, int32_bytes(-1), fault(Kind::kCellType, -3, 17, -1)},
      {0, bad_cell + 4, int32_bytes(5), wrong_level},
      {0, bad_cell + 16, int64_bytes(3), fault(Kind::kTreasureKind, -3, 17, 3)},
      {0, trailer, int32_bytes(512), fault(Kind::kPositionOutside, 512, 0)},
      {0, trailer + 4, int32_bytes(-513), fault(Kind::kPositionOutside, 0, -513)},
      {0, trailer + 76, int64_bytes(-1), counted(Kind::kTooManyTreasures, 18446744073709551615u, 48)},
      {0, trailer + 76, int64_bytes(1), counted(Kind::kBytesAfterTreasures, 24)},
  };
  game target;
  for (const Damage& damage : damages) {
    const std::string overwritten = bytes.substr(damage.offset, damage.bytes.size());
    bytes.replace(damage.offset, damage.bytes.size(), damage.bytes);
    SaveInMemory damaged(std::string_view(bytes).substr(0, damage.cut_at != 0 ? damage.cut_at : size));
    const persistence::Result loaded = persistence::load_world(target, damaged, "saves/abc.dat");
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.problem, damage.problem);
    bytes.replace(damage.offset, damage.bytes.size(), overwritten);
  }

  fs::create_directories("saves");
  const fs::path file = "saves/abc.dat";
  write_file(file, "no line end");
  const auto damaged_time = fs::last_write_time(file);
  EXPECT_EQ(target.open("abc").problem, ends(11, FilePart::kWorldName));
  EXPECT_EQ(fs::file_size(file), 11u);
  EXPECT_EQ(fs::last_write_time(file), damaged_time);
}

// Fails the chosen step of a save; `write_budget` bytes go out before writes
// fail as on a full disk.
class FailingSteps : public persistence::SaveSteps {
 public:
  enum class Step { kNone, kCreate, kWrite, kSync, kClose, kReplace };
  FailingSteps(Step failing, std::size_t write_budget) : failing_(failing), write_budget_(write_budget) {}

  bool create_new(const fs::path& file, std::string& why) override {
    return failing_ != Step::kCreate ? SaveSteps::create_new(file, why) : fail(why, "Permission denied");
  }
  bool write(const void* bytes, std::size_t size, std::string& why) override {
    if (failing_ == Step::kWrite && size > write_budget_) {
      SaveSteps::write(bytes, write_budget_, why);
      return fail(why, "No space left on device");
    }
    write_budget_ -= std::min(size, write_budget_);
    return SaveSteps::write(bytes, size, why);
  }
  bool sync(std::string& why) override {
    return failing_ != Step::kSync ? SaveSteps::sync(why) : fail(why, "Input/output error");
  }
  bool close(std::string& why) override {
    // The file is closed either way, as close(2) does.
    const bool closed = SaveSteps::close(why);
    return failing_ != Step::kClose ? closed : fail(why, "Input/output error");
  }
  bool replace(const fs::path& source, const fs::path& target, std::string& why) override {
    return failing_ != Step::kReplace ? SaveSteps::replace(source, target, why) : fail(why, "Device or resource busy");
  }

 private:
  static bool fail(std::string& why, const char* words) {
    why = words;
    return false;
  }
  Step failing_;
  std::size_t write_budget_;
};

TEST_F(SaveFiles, ASaveThatFailsAtAnyStepLeavesTheOldSaveWhole) {
  game world;
  world.worldname = "abc";
  world.tick = 1;
  ASSERT_TRUE(world.save("abc"));
  world.tick = 2;
  world.cell(5, 5).type = 3;
  using Step = FailingSteps::Step;
  struct Failure {
    Step step;
    std::size_t write_budget;
    std::string words;
  };
  const std::vector<Failure> failures = {
      {Step::kCreate, 0, "Permission denied"},
      {Step::kWrite, 2, "No space left on device"},
      {Step::kWrite, 40'000'000, "No space left on device"},
      {Step::kWrite, 83'886'176 - 1, "No space left on device"},
      {Step::kSync, 0, "Input/output error"},
      {Step::kClose, 0, "Input/output error"},
      {Step::kReplace, 0, "Device or resource busy"},
  };
  for (const Failure& failure : failures) {
    FailingSteps steps(failure.step, failure.write_budget);
    const persistence::Result saved = persistence::save_world(world, "abc", steps);
    // A temporary file that can't be made is named: something may be in its way.
    const char* named = failure.step == Step::kCreate ? "saves/.abc.dat.tmp" : "saves/abc.dat";
    EXPECT_EQ(saved.problem, refused(Kind::kCannotWrite, named, failure.words));
    // No temporary file is left behind, and the old save loads as it was.
    EXPECT_EQ(std::distance(fs::directory_iterator("saves"), fs::directory_iterator()), 1);
  }
  game loaded;
  ASSERT_TRUE(loaded.open("abc"));
  EXPECT_EQ(loaded.tick, 1);
  EXPECT_EQ(loaded.cell(5, 5).type, 0);

  FailingSteps working(Step::kNone, 0);
  ASSERT_TRUE(persistence::save_world(world, "abc", working));
  game again;
  ASSERT_TRUE(again.open("abc"));
  EXPECT_EQ(again.tick, 2);
}

TEST_F(SaveFiles, ANameThatCouldNotBeReadBackIsNotSaved) {
  game world;
  world.worldname = "two\nlines";
  EXPECT_EQ(world.save("two").problem, refused(Kind::kNameHasLineBreak, "saves/two.dat"));
  EXPECT_FALSE(fs::exists("saves/two.dat"));
}

}  // namespace
