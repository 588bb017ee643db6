// What went wrong with a save file, in the words of each voice: Chinese (GBK),
// English, and the developer's terse line. The system's own words stay as the
// system gave them.
#include "play/problem_words.h"

#include <string>
#include <string_view>

#include "base/text_encoding.h"
#include "play/voice.h"

namespace play {
namespace {

using persistence::FilePart;
using persistence::Problem;
using Kind = Problem::Kind;

std::string number(std::int64_t value) { return std::to_string(value); }
std::string number(std::uint64_t value) { return std::to_string(value); }

std::string position(const Problem& problem) {
  std::string text = "(";
  text.append(number(problem.x)).append(", ").append(number(problem.y)).append(")");
  return text;
}

// A status label as a word: "Attack Power:" gives "Attack Power", " 血量："
// gives "血量". The player knows the statistics by these names.
std::string label_word(std::string_view label) {
  while (label.starts_with(' ')) label.remove_prefix(1);
  for (const std::string_view colon : {std::string_view(":"), std::string_view(GBK("："))}) {
    if (label.ends_with(colon)) label.remove_suffix(colon.size());
  }
  return std::string(label);
}

std::string part_zh(const Problem& problem) {
  const StatusLabels& labels = chinese_voice().status;
  switch (problem.part) {
    case FilePart::kWorldName: return GBK("世界名");
    case FilePart::kSeed: return GBK("种子");
    case FilePart::kCells: return GBK("格子");
    case FilePart::kPosition: return GBK("位置");
    case FilePart::kTick: return GBK("计数器");
    case FilePart::kLingli: return label_word(labels.lingli);
    case FilePart::kAtk: return label_word(labels.attack);
    case FilePart::kHp: return label_word(labels.hp);
    case FilePart::kDefence: return label_word(labels.defence);
    case FilePart::kTreasureCount: return GBK("宝物数量");
    case FilePart::kTreasure: return GBK("第") + number(problem.count) + GBK("个宝物");
  }
  return {};
}

std::string part_en(const Problem& problem) {
  const StatusLabels& labels = english_voice().status;
  switch (problem.part) {
    case FilePart::kWorldName: return "the world name";
    case FilePart::kSeed: return "the seed";
    case FilePart::kCells: return "the cells";
    case FilePart::kPosition: return "the position";
    case FilePart::kTick: return "the counter";
    case FilePart::kLingli: return label_word(labels.lingli);
    case FilePart::kAtk: return label_word(labels.attack);
    case FilePart::kHp: return label_word(labels.hp);
    case FilePart::kDefence: return label_word(labels.defence);
    case FilePart::kTreasureCount: return "the treasure count";
    case FilePart::kTreasure: return "treasure " + number(problem.count);
  }
  return {};
}

// The developer reads the fields by their names in the code.
std::string part_dev(const Problem& problem) {
  switch (problem.part) {
    case FilePart::kWorldName: return "worldname";
    case FilePart::kSeed: return "worldseed";
    case FilePart::kCells: return "world";
    case FilePart::kPosition: return "x,y";
    case FilePart::kTick: return "tick";
    case FilePart::kLingli: return "lingli";
    case FilePart::kAtk: return "atk";
    case FilePart::kHp: return "hp";
    case FilePart::kDefence: return "defence";
    case FilePart::kTreasureCount: return "baowu count";
    case FilePart::kTreasure: return "baowu " + number(problem.count);
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
    case Kind::kInUse: return file + GBK("正被另一个运行中的游戏使用");
    case Kind::kCannotLock:
      return GBK("锁文件") + file + GBK("无法使用：") + p.system_words + GBK("。请删除它，或将它的所有者改为你自己");
    case Kind::kNoFileName: return file + GBK("无法在此系统上用作文件名");
    case Kind::kNoWorld: return GBK("内存不足，无法载入世界");
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
    case Kind::kCannotLock:
      return "the lock file " + file + " can't be used (" + p.system_words + "): remove it, or make yourself its owner";
    case Kind::kNoFileName: return file + " cannot be used as a file name here";
    case Kind::kNoWorld: return "there is not enough memory for the world";
    case Kind::kOutOfMemory: return "out of memory";
    case Kind::kNameHasLineBreak: return "the world name holds a line break";
    case Kind::kNameTooLong: return "the world name is longer than " + number(p.count) + " bytes";
    case Kind::kEndsInside: return file + ": the file ends at byte " + number(p.offset) + ", inside " + part_en(p);
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
    case Kind::kCannotLock: return "lock " + file + ": " + p.system_words;
    case Kind::kNoFileName: return at + "no file name";
    case Kind::kNoWorld: return "no world";
    case Kind::kOutOfMemory: return "out of memory";
    case Kind::kNameHasLineBreak: return "name has LF";
    case Kind::kNameTooLong: return "name over " + number(p.count) + " bytes";
    case Kind::kEndsInside: return at + "EOF at " + number(p.offset) + " in " + part_dev(p);
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
