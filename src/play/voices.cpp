// The texts of the three playthroughs. The Chinese ones are GBK bytes, the
// developer's plain ASCII.
#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "console/escape_output.h"
#include "play/problem_words.h"
#include "play/voice.h"
#include "world/tables.h"

namespace play {
namespace {

std::string number(int value) { return std::to_string(value); }

// The size needed comes first: in a narrow window it is what the player
// must read.
std::string too_small_zh(console::WindowSize needed, console::WindowSize has) {
  return GBK("窗口太小：至少需要") + number(needed.rows) + GBK("行") + number(needed.columns) + GBK("列，当前为") +
         number(has.rows) + GBK("行") + number(has.columns) + GBK("列");
}

std::string too_small_en(console::WindowSize needed, console::WindowSize has) {
  const std::string& times = GBK(" × ");
  return "The window is too small: it needs " + number(needed.rows) + " rows" + times + number(needed.columns) +
         " columns (now " + number(has.rows) + times + number(has.columns) + ").";
}

std::string too_small_dev(console::WindowSize needed, console::WindowSize has) {
  return "Needs " + number(needed.rows) + "x" + number(needed.columns) + ", window " + number(has.rows) + "x" +
         number(has.columns);
}

// What a screen reader is told, by language. The directions come in the
// order of Direction.

const std::array<std::string, kDirections> kDirectionsZh = {GBK("上方"), GBK("下方"), GBK("左方"), GBK("右方")};

std::string thing_zh(const Sighting& seen) {
  const std::string level = number(seen.level) + GBK("级");
  switch (seen.what) {
    case Sighting::What::kTreasure: return level + GBK("宝物");
    case Sighting::What::kInertCell: return level + GBK("杂物");
    case Sighting::What::kMonster: return level + GBK("怪物");
    case Sighting::What::kEdge: return GBK("世界边缘");
    case Sighting::What::kNothing: break;
  }
  return GBK("无");
}

// "X:3 Y:5。上方：2级怪物，3格。右方：1级宝物，1格。下方、左方：无。"
std::string surroundings_zh(const Surroundings& around) {
  std::string text = "X:" + number(around.x) + " Y:" + number(around.y) + GBK("。");
  std::string empty;
  std::size_t nothing = 0;
  for (std::size_t direction = 0; direction < kDirections; ++direction) {
    const Sighting& seen = around.toward[direction];
    if (seen.what == Sighting::What::kNothing) {
      empty += (nothing++ == 0 ? "" : GBK("、")) + kDirectionsZh[direction];
      continue;
    }
    text += kDirectionsZh[direction] + GBK("：") + thing_zh(seen) + GBK("，") + number(seen.distance) + GBK("格。");
  }
  if (nothing == kDirections) return text + GBK("视野内空无一物。");
  if (nothing > 0) text += empty + GBK("：无。");
  return text;
}

std::string fight_zh(const Fight& fight) {
  std::string text = GBK("战斗：你每击造成") + std::to_string(fight.player_damage) + GBK("点伤害");
  if (fight.monster_blows > 0) text += GBK("，怪物每击造成") + std::to_string(fight.monster_damage) + GBK("点伤害");
  text += GBK("。第") + console::tos(fight.player_blows) + GBK("回合，");
  return text + (fight.outcome == Fight::Outcome::kPlayerSlain ? GBK("你被怪物击杀了！") : GBK("怪物被你击杀了！"));
}

const std::array<std::string, kDirections> kDirectionsEn = {"up", "down", "left", "right"};

std::string capitalised(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

// "a", "a and b", "a, b and c".
std::string listed_en(const std::vector<std::string>& words) {
  std::string text;
  for (std::size_t at = 0; at < words.size(); ++at) {
    if (at > 0) text += at + 1 == words.size() ? " and " : ", ";
    text += words[at];
  }
  return text;
}

std::string thing_en(const Sighting& seen) {
  const std::string level = "a level-" + number(seen.level) + " ";
  switch (seen.what) {
    case Sighting::What::kTreasure: return level + "treasure";
    case Sighting::What::kInertCell: return level + "inert object";
    case Sighting::What::kMonster: return level + "monster";
    case Sighting::What::kEdge: return "the edge of the world";
    case Sighting::What::kNothing: break;
  }
  return "nothing";
}

// "X:3 Y:5. Up: a level-2 monster, 3 cells. Right: a level-1 treasure, 1
// cell. Down and left: nothing."
std::string surroundings_en(const Surroundings& around) {
  std::string text = "X:" + number(around.x) + " Y:" + number(around.y) + ".";
  std::vector<std::string> empty;
  for (std::size_t direction = 0; direction < kDirections; ++direction) {
    const Sighting& seen = around.toward[direction];
    if (seen.what == Sighting::What::kNothing) {
      empty.push_back(kDirectionsEn[direction]);
      continue;
    }
    text += ' ';
    text += capitalised(kDirectionsEn[direction]) + ": " + thing_en(seen) + ", " + number(seen.distance) +
            (seen.distance == 1 ? " cell." : " cells.");
  }
  if (empty.size() == kDirections) return text + " Nothing in view.";
  if (!empty.empty()) {
    text += ' ';
    text += capitalised(listed_en(empty)) + ": nothing.";
  }
  return text;
}

std::string fight_en(const Fight& fight) {
  std::string text = "A battle: you dealt ";
  text += std::to_string(fight.player_damage) + " damage a blow";
  if (fight.monster_blows > 0) text += ", the monster " + std::to_string(fight.monster_damage);
  text += ". ";
  const std::string round = console::tos(fight.player_blows);
  if (fight.outcome == Fight::Outcome::kPlayerSlain) return text + "The monster killed you in round " + round + "!";
  return text + "You killed the monster in round " + round + "!";
}

Voice make_chinese() {
  Voice v;
  v.searching = GBK("查找可用存档中...\n");
  v.list_heading = GBK("查找完毕，存档列表如下：\n");
  v.world_label = GBK("世界名：");
  v.location_label = GBK("\n存档位置：");
  v.no_saves = GBK("没有可用的存档。\n");
  v.choice_prompt = GBK("输入0创建新存档，输入其它数字打开对应存档（若有）。\n");
  v.name_prompt = GBK("请输入世界名：（至多32字符，回车确认）\n");
  v.name_empty = GBK("世界名不能为空。\n");
  v.name_too_long = GBK("世界名过长，无法用作存档文件名。\n");
  v.seed_prompt = GBK("请输入种子：（留空以生成随机种子，回车确认）\n");
  v.initialising = GBK("初始化中...");
  v.loading = GBK("加载中...");

  v.status = {"X:", " Y:", GBK("修为："), GBK(" 灵力:"), GBK("攻击力："), GBK(" 防御力："), GBK(" 血量：")};

  v.treasure = GBK("你找到了一个宝物！效果：");
  v.statistic_names = &bs;
  v.fight_start = GBK("你遇到了了一个怪物！开始战斗！\n");
  v.player_blow_prefix = GBK("你对怪物造成了");
  v.player_blow_suffix = GBK("点伤害！\n");
  v.monster_blow_prefix = GBK("怪物对你造成了");
  v.monster_blow_suffix = GBK("点伤害！\n");
  v.monster_slain = GBK("怪物被你击杀了！");
  v.player_slain = GBK("你被怪物击杀了！");
  v.long_fight_prefix = GBK("……这场战斗共");
  v.long_fight_suffix = GBK("个回合。");
  v.stalemate = GBK("你与怪物谁也伤不了谁，战斗结束！");

  v.not_saved = GBK("世界未能保存：");
  v.not_opened = GBK("存档无法打开：");
  v.not_created = GBK("世界未能创建：");
  v.describe = describe_zh;
  v.press_a_key = GBK("（按任意键继续）");
  v.no_memory = GBK("内存不足，无法创建世界。按任意键返回。");
  v.window_too_small = too_small_zh;

  v.surroundings = surroundings_zh;
  v.fight_summary = fight_zh;
  v.reader_keys = GBK("方向键行走。按L重听周围情况，按S朗读状态，按Esc保存世界并离开。");
  v.sentence_end = GBK("。");
  return v;
}

Voice make_english() {
  Voice v;
  v.searching = "Searching for archives...\n";
  v.list_heading = "Search completed, the archive list is as follows:\n";
  v.world_label = "The name of the world:";
  v.location_label = "\nArchive location:";
  v.no_saves = "There are no available archives.\n";
  v.choice_prompt =
      "Enter 0 to create a new archive, and enter other numbers to open the corresponding archive (if "
      "available).\n";
  v.name_prompt = "Please enter the world name: (up to 32 characters, press enter to confirm)\n";
  v.name_empty = "The world name cannot be empty.\n";
  v.name_too_long = "The world name is too long to be used as a file name.\n";
  v.seed_prompt = "Please enter the seed:(Leave blank to generate a random seed and press Enter to confirm)\n";
  v.initialising = "Initializing...";
  v.loading = "Loading...";

  v.refuses_moves_onto_monsters = true;
  v.status = {"X:", " Y:", "Cultivation:", " Spiritual Power:", "Attack Power:", " Defense:", " HP:"};

  v.treasure = "You find a treasure!Effect:";
  v.statistic_names = &bs_en;
  v.fight_start = "You meet a monster!Let's start the battle!\n";
  v.player_blow_prefix = "You have dealt ";
  v.player_blow_suffix = " damage to the monster!\n";
  v.monster_blow_prefix = "The monster dealt";
  v.monster_blow_suffix = " damage to you!\n";
  v.monster_slain = "You killed the monster!";
  v.player_slain = "The monster killed you!";
  v.long_fight_prefix = "... and so on: ";
  v.long_fight_suffix = " rounds in all. ";
  v.stalemate = "Neither of you can hurt the other. The battle ends!";

  v.not_saved = "The world was not saved: ";
  v.not_opened = "The archive could not be opened: ";
  v.not_created = "The world was not created: ";
  v.describe = describe_en;
  v.press_a_key = " (press any key)";
  v.no_memory = "Not enough memory for the world. Press any key to return.";
  v.window_too_small = too_small_en;

  v.surroundings = surroundings_en;
  v.fight_summary = fight_en;
  v.reader_keys = "Arrow keys walk. L says again what is around you, S reads your statistics, Esc saves the world "
                  "and leaves it.";
  v.sentence_end = ". ";
  return v;
}

// Terse: bare prompts, no announcements, silent fights, bare numbers; and
// nothing for a screen reader.
Voice make_developer() {
  Voice v;
  v.world_label = "World:";
  v.location_label = "\nLocation:";
  v.no_saves = "None.\n";
  v.choice_prompt = "> ";
  v.name_prompt = "> ";
  v.name_empty = "Empty name.\n";
  v.name_too_long = "Name too long.\n";
  v.seed_prompt = "> ";

  v.bordered_view = false;
  v.status = {"", " ", "", " ", "", " ", " "};

  v.treasure = "Effect:";
  v.statistic_names = &bs_en;
  v.loud_fights = false;
  v.stalemate = "Stalemate.";

  v.not_saved = "Not saved: ";
  v.not_opened = "Not opened: ";
  v.not_created = "Not created: ";
  v.describe = describe_dev;
  v.no_memory = "out of memory";
  v.window_too_small = too_small_dev;
  return v;
}

}  // namespace

const Voice& chinese_voice() {
  static const Voice voice = make_chinese();
  return voice;
}

const Voice& english_voice() {
  static const Voice voice = make_english();
  return voice;
}

const Voice& developer_voice() {
  static const Voice voice = make_developer();
  return voice;
}

}  // namespace play
