// What went wrong with a save file, in the words of each voice: Chinese (GBK),
// English, and the developer's terse line. The system's own words stay as the
// system gave them.
#include "play/problem_words.h"

#include <string>

#include "base/text_encoding.h"

namespace play {
namespace {

using persistence::FilePart;
using persistence::Problem;
using Kind = Problem::Kind;

std::string number(std::int64_t value) { return std::to_string(value); }
std::string number(std::uint64_t value) { return std::to_string(value); }

std::string position(const Problem& problem) {
  return "(" + number(problem.x) + ", " + number(problem.y) + ")";
}

std::string part_zh(const Problem& problem) {
  switch (problem.part) {
    case FilePart::kWorldName: return GBK("世界名");
    case FilePart::kSeed: return GBK("种子");
    case FilePart::kCells: return GBK("格子");
    case FilePart::kPosition: return GBK("位置");
    case FilePart::kTick: return "tick";
    case FilePart::kLingli: return GBK("灵力");
    case FilePart::kAtk: return GBK("攻击力");
    case FilePart::kHp: return GBK("血量");
    case FilePart::kDefence: return GBK("防御力");
    case FilePart::kTreasureCount: return GBK("宝物数量");
    case FilePart::kTreasure: return GBK("第") + number(problem.count) + GBK("个宝物");
  }
  return {};
}

std::string part_en(const Problem& problem) {
  switch (problem.part) {
    case FilePart::kWorldName: return "the world name";
    case FilePart::kSeed: return "the seed";
    case FilePart::kCells: return "the cells";
    case FilePart::kPosition: return "the position";
    case FilePart::kTick: return "tick";
    case FilePart::kLingli: return "lingli";
    case FilePart::kAtk: return "atk";
    case FilePart::kHp: return "hp";
    case FilePart::kDefence: return "defence";
    case FilePart::kTreasureCount: return "the treasure count";
    case FilePart::kTreasure: return "treasure " + number(problem.count);
  }
  return {};
}

}  // namespace

std::string describe_zh(const Problem& p) {
  const std::string& file = p.file;
  const std::string colon = GBK("：");
  switch (p.kind) {
    case Kind::kNone: return {};
    case Kind::kCannotCreateDirectory: return GBK("无法创建目录") + file + colon + p.system_words;
    case Kind::kCannotWrite: return GBK("无法写入") + file + colon + p.system_words;
    case Kind::kNotOnDiskYet: return file + GBK("已写入，但可能尚未存到磁盘上：") + p.system_words;
    case Kind::kCannotOpen: return GBK("无法打开") + file + colon + p.system_words;
    case Kind::kCannotRead: return GBK("无法读取") + file + colon + p.system_words;
    case Kind::kNotRegularFile: return file + GBK("不是普通文件");
    case Kind::kInUse: return GBK("另一个正在运行的游戏已打开") + file;
    case Kind::kNoFileName: return file + GBK("在这里无法成为文件名");
    case Kind::kNoWorld: return GBK("内存不足，容不下世界");
    case Kind::kOutOfMemory: return GBK("内存不足");
    case Kind::kNameHasLineBreak: return GBK("世界名含有换行符");
    case Kind::kNameTooLong: return GBK("世界名超过") + number(p.count) + GBK("字节");
    case Kind::kEndsInside:
      return file + GBK("：文件在第") + number(p.offset) + GBK("字节处结束，位于") + part_zh(p) + GBK("之中");
    case Kind::kCellType: return file + GBK("：格子") + position(p) + GBK("的类型为") + number(p.value);
    case Kind::kCellLevel:
      return file + GBK("：类型为") + number(p.type) + GBK("的格子") + position(p) + GBK("的等级为") + number(p.value);
    case Kind::kTreasureKind: return file + GBK("：宝物格子") + position(p) + GBK("的种类为") + number(p.value);
    case Kind::kPositionOutside: return file + GBK("：玩家位置") + position(p) + GBK("在世界之外");
    case Kind::kTooManyTreasures:
      return file + GBK("：宝物数量") + number(p.count) + GBK("超出其后") + number(p.room) + GBK("字节所能容纳");
    case Kind::kBytesAfterTreasures: return file + GBK("：最后一个宝物之后还有") + number(p.count) + GBK("字节");
  }
  return {};
}

std::string describe_en(const Problem& p) {
  const std::string& file = p.file;
  switch (p.kind) {
    case Kind::kNone: return {};
    case Kind::kCannotCreateDirectory: return "cannot create the directory " + file + ": " + p.system_words;
    case Kind::kCannotWrite: return "cannot write " + file + ": " + p.system_words;
    case Kind::kNotOnDiskYet: return file + " is written but may not be on the disk yet: " + p.system_words;
    case Kind::kCannotOpen: return "cannot open " + file + ": " + p.system_words;
    case Kind::kCannotRead: return "cannot read " + file + ": " + p.system_words;
    case Kind::kNotRegularFile: return file + " is not a plain file";
    case Kind::kInUse: return "another running game has " + file + " open";
    case Kind::kNoFileName: return file + " makes no file name here";
    case Kind::kNoWorld: return "there is not enough memory for the world";
    case Kind::kOutOfMemory: return "out of memory";
    case Kind::kNameHasLineBreak: return "the world name holds a line break";
    case Kind::kNameTooLong: return "the world name is longer than " + number(p.count) + " bytes";
    case Kind::kEndsInside: return file + ": file ends at byte " + number(p.offset) + " inside " + part_en(p);
    case Kind::kCellType: return file + ": cell " + position(p) + " has type " + number(p.value);
    case Kind::kCellLevel:
      return file + ": cell " + position(p) + " of type " + number(p.type) + " has level " + number(p.value);
    case Kind::kTreasureKind: return file + ": treasure cell " + position(p) + " has kind " + number(p.value);
    case Kind::kPositionOutside: return file + ": the player's position " + position(p) + " is outside the world";
    case Kind::kTooManyTreasures:
      return file + ": the treasure count " + number(p.count) + " is more than the " + number(p.room) +
             " bytes after it hold";
    case Kind::kBytesAfterTreasures:
      return file + ": file goes on for " + number(p.count) + " bytes after its last treasure";
  }
  return {};
}

// What failed and where, as a developer reads a log: the operation or the
// file, then the values.
std::string describe_dev(const Problem& p) {
  const std::string& file = p.file;
  const std::string at = file + ": ";
  const std::string cell = number(p.x) + "," + number(p.y);
  switch (p.kind) {
    case Kind::kNone: return {};
    case Kind::kCannotCreateDirectory: return "mkdir " + file + ": " + p.system_words;
    case Kind::kCannotWrite: return "write " + file + ": " + p.system_words;
    case Kind::kNotOnDiskYet: return "sync " + file + ": " + p.system_words;
    case Kind::kCannotOpen: return "open " + file + ": " + p.system_words;
    case Kind::kCannotRead: return "read " + file + ": " + p.system_words;
    case Kind::kNotRegularFile: return at + "not a regular file";
    case Kind::kInUse: return at + "in use";
    case Kind::kNoFileName: return at + "no file name";
    case Kind::kNoWorld: return "no world";
    case Kind::kOutOfMemory: return "out of memory";
    case Kind::kNameHasLineBreak: return "name has LF";
    case Kind::kNameTooLong: return "name over " + number(p.count) + " bytes";
    case Kind::kEndsInside: return at + "EOF at " + number(p.offset) + " in " + part_en(p);
    case Kind::kCellType: return at + "cell " + cell + " type " + number(p.value);
    case Kind::kCellLevel: return at + "cell " + cell + " type " + number(p.type) + " level " + number(p.value);
    case Kind::kTreasureKind: return at + "cell " + cell + " kind " + number(p.value);
    case Kind::kPositionOutside: return at + "position " + cell;
    case Kind::kTooManyTreasures: return at + "count " + number(p.count) + " > " + number(p.room) + " bytes";
    case Kind::kBytesAfterTreasures: return at + number(p.count) + " bytes after treasures";
  }
  return {};
}

}  // namespace play
