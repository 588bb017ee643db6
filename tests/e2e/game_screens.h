#pragma once
// What the game's screens show, and the worlds and save files the end-to-end
// tests make and read: shared by the tests of the POSIX program and of the
// Windows one under wine, which play the same scenarios.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "persistence/result.h"
#include "pty_session.h"
#include "world/game.h"
#include "world/tables.h"

namespace e2e {

using Rows = std::vector<std::string>;

inline const std::string kBorder = "+--------------------------------+";

inline const Rows kChineseMenu = {
    kBorder,
    "|      青灯万象录：寂静之河      |",
    "|   Lanternvale: Silent Rivers   |",
    "|         作者:orvel_tam         |",
    "+----------+----------+----------+",
    "|1.开始游戏|2.游戏说明|3.退出游戏|",
    "+----------+----------+----------+",
    "|4.切换语言|5.调试信息           |",
    "+----------+---------------------+",
    "|输入：                          |",
    kBorder,
};

inline const Rows kEnglishMenu = {
    kBorder,
    "|      青灯万象录：寂静之河      |",
    "|   Lanternvale: Silent Rivers   |",
    "|        Writer:orvel_tam        |",
    "+----------+-----------+---------+",
    "|1.Start   |2.Introduce|3.Exit   |",
    "+----------+-----------+---------+",
    "|4.Language|5.Debug              |",
    "+----------+---------------------+",
    "|Input:                          |",
    kBorder,
};

inline const Rows kChineseFarewell = {kBorder, "|         欢迎下次游玩！         |", kBorder};
inline const Rows kEnglishFarewell = {kBorder, "|     Welcome to play again!     |", kBorder};

// The introductions, with the empty row below their bottom border, where the
// cursor waits.
inline const Rows kChineseIntroduction = {
    kBorder,
    "|【青灯万象录：寂静之河】（英文：|",
    "|Lanternvale: Silent Rivers）是一|",
    "|款由orvel_tam独立开发的免费游戏,|",
    "|若您获取方式为付费，请联系提供者|",
    "|或orvel_tam以获取免费版。       |",
    kBorder,
    "|您现在所使用的是2D版test-predev-|",
    "|1,该版本为测试版，可能存在重大问|",
    "|题，请在核实后向orvel_tam进行反 |",
    "|馈。                            |",
    kBorder,
    "|本游戏是一款沙盒类游戏，自由度较|",
    "|高，并含有修仙元素。            |",
    kBorder,
    "",
};

inline const Rows kEnglishIntroduction = {
    kBorder,
    "|[青灯万象录：寂静之河](English: |",
    "|Lanternvale: Silent Rivers)is a |",
    "|free game independently develop-|",
    "|ed by orvel_tam. If you obtain  |",
    "|it through payment, please cont-|",
    "|act the provider or orvel_tam to|",
    "|obtain the free version.        |",
    kBorder,
    "|You are currently using the 2D  |",
    "|version test-predev-1, which is |",
    "|a beta version and may have sig-|",
    "|nificant issues. Please verify  |",
    "|and provide feedback to         |",
    "|orvel_tam.                      |",
    kBorder,
    "|This game is a sandbox game with|",
    "|high degrees of freedom and con-|",
    "|tains cultivation elements.     |",
    kBorder,
    "",
};

inline const Rows kLanguageScreen = {kBorder, "|请选择语言：                    |",
                                     "|1.简体中文 2.English            |", kBorder, ""};

// A menu is ready for its key once its last line is drawn and the cursor waits
// behind the input label.
inline bool wait_for_menu(PtySession& session, const Rows& menu, Timeout timeout = kDefaultTimeout) {
  return session.wait_until(
      [&] {
        const Cursor cursor = session.cursor();
        return session.rows(0, 11) == menu && cursor.row == 9 && cursor.column == 7 && cursor.visible;
      },
      timeout);
}

inline bool wait_for_rows(PtySession& session, int first, const Rows& rows) {
  return session.wait_until([&] { return session.rows(first, static_cast<int>(rows.size())) == rows; });
}

// A box is complete once the cursor is back at the start of its bottom border.
inline bool wait_for_box(PtySession& session, const Rows& rows, int bottom_row) {
  return session.wait_until([&] {
    const Cursor cursor = session.cursor();
    return session.rows(0, static_cast<int>(rows.size())) == rows && cursor.row == bottom_row && cursor.column == 0;
  });
}

// The program ended with `code`, the terminal's modes are as they were found
// and the cursor shows.
inline void expect_clean_exit(PtySession& session, int code) {
  const ExitStatus status = session.wait_for_exit();
  EXPECT_TRUE(status.exited_with(code)) << status;
  EXPECT_TRUE(same_modes(session.current_modes(), session.modes_before_start()))
      << "before: " << describe_modes(session.modes_before_start())
      << "\nafter:  " << describe_modes(session.current_modes());
  EXPECT_TRUE(session.cursor().visible);
}

// What the terminal sends for the keys the game is played with.
inline constexpr const char* kUp = "\x1b[A";
inline constexpr const char* kDown = "\x1b[B";
inline constexpr const char* kRight = "\x1b[C";
inline constexpr const char* kLeft = "\x1b[D";
inline constexpr const char* kF3 = "\x1bOR";
inline constexpr const char* kEscape = "\x1b";

// From the Chinese menu, through the language screen.
inline void switch_to_english(PtySession& session) {
  session.send("4");
  ASSERT_TRUE(wait_for_box(session, kLanguageScreen, 3)) << session.screen_text();
  session.send("2");
  ASSERT_TRUE(wait_for_menu(session, kEnglishMenu)) << session.screen_text();
}

// From a menu: its introduction, then back at the menu with any key.
inline void read_introduction(PtySession& session, const Rows& menu, const Rows& introduction) {
  session.send("2");
  // The cursor waits below the bottom border, on the last row.
  ASSERT_TRUE(wait_for_box(session, introduction, static_cast<int>(introduction.size()) - 2)) << session.screen_text();
  session.send("k");
  ASSERT_TRUE(wait_for_menu(session, menu)) << session.screen_text();
}

// From the Chinese menu with no save yet: a new world of that name from the
// seed typed, through the list and the two prompts.
inline void make_world(PtySession& session, const std::string& name, const std::string& seed) {
  session.send("1");
  ASSERT_TRUE(wait_for_rows(session, 0, {"没有可用的存档。", "输入0创建新存档，输入其它数字打开对应存档（若有）。"}))
      << session.screen_text();
  session.send("0\r");
  ASSERT_TRUE(wait_for_rows(session, 0, {"请输入世界名：（至多32字符，回车确认）"})) << session.screen_text();
  session.send(name + "\r");
  ASSERT_TRUE(wait_for_rows(session, 0, {"请输入种子：（留空以生成随机种子，回车确认）"})) << session.screen_text();
  session.send(seed + "\r");
}

// From the Chinese menu: the list of saves, and the first of them opened.
inline bool open_first_save(PtySession& session, const std::string& world_name) {
  session.send("1");
  if (!session.wait_for_text("存档位置：" + world_name)) return false;
  session.send("1\r");
  return true;
}

inline bool wait_for_developer_prompt(PtySession& session) {
  return session.wait_until([&] { return session.row(0) == ">" && session.cursor().row == 0; });
}

inline SessionOptions developer(SessionOptions options) {
  options.typed_before_start = "\t";
  return options;
}

inline constexpr std::uint64_t kFixedSaveBytes = 83'886'173;  // a save without name and treasures
inline constexpr int kBorderedWidth = 44;
inline constexpr int kBareWidth = 42;

inline SessionOptions window_of(int rows, int columns) {
  SessionOptions options;
  options.rows = rows;
  options.columns = columns;
  return options;
}

// Large enough for the bordered map and its status lines.
inline SessionOptions big_window() { return window_of(30, 80); }

// A world made in this process, saved into the program's directory before it
// starts. Kept here too, to know what the map must show.
struct CraftedWorld {
  game world;

  void place_treasure(int x, int y, ll kind, int128 amount) {
    game::point& cell = world.cell(x, y);
    cell.type = 1;
    cell.level = 1;
    cell.b = {kind, amount};
  }
  void place_monster(int x, int y, ll attack, ll defence, ll hp) {
    game::point& cell = world.cell(x, y);
    cell.type = 3;
    cell.level = 2;
    cell.m = {attack, defence, hp};
  }
  SessionOptions saved_into(SessionOptions options) {
    options.prepare = [this](const std::string& directory) {
      const std::filesystem::path previous = std::filesystem::current_path();
      std::filesystem::current_path(directory);
      ASSERT_TRUE(world.save(world.worldname).ok);
      std::filesystem::current_path(previous);
    };
    return options;
  }
};

// A save file's bytes and the fields the tests look at.
struct SaveFile {
  std::string bytes;

  static SaveFile read(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return SaveFile{std::string(std::istreambuf_iterator<char>(file), {})};
  }
  std::size_t name_length() const { return bytes.find('\n'); }
  template <typename T>
  T at(std::uint64_t offset) const {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
  }
  std::uint64_t trailer() const { return name_length() + 1 + 8 + 80ull * 1024 * 1024; }
  ll seed() const { return at<ll>(name_length() + 1); }
  int x() const { return at<std::int32_t>(trailer()); }
  int y() const { return at<std::int32_t>(trailer() + 4); }
  int128 atk() const { return at<int128>(trailer() + 12 + 16); }
  std::uint64_t treasures() const { return at<std::uint64_t>(trailer() + 12 + 64); }
  int cell_type(int x, int y) const {
    return at<std::int32_t>(name_length() + 9 + 80ull * (1024ull * (x + 512) + (y + 512)));
  }
};

inline std::string glyph(const game& world, long long i, long long j) {
  if (i < -512 || i > 511 || j < -512 || j > 511) return "##";
  if (i == world.localplayer.x && j == world.localplayer.y) return "YY";
  return wtype.substr(static_cast<std::size_t>(world.cell(static_cast<int>(i), static_cast<int>(j)).type) * 2, 2);
}

// The map as the screen shows it, each row cut to the map's width: 21 window
// rows, or fewer in a window too low for them.
inline Rows expected_map(const game& world, bool bordered, int window_rows = 21) {
  const std::string border = "+" + std::string(42, '-') + "+";
  const int radius = window_rows / 2;
  Rows rows;
  if (bordered) rows.push_back(border);
  for (long long i = world.localplayer.x - radius; i <= world.localplayer.x + radius; ++i) {
    std::string row = bordered ? "|" : "";
    for (long long j = world.localplayer.y - 10; j <= world.localplayer.y + 10; ++j) row += glyph(world, i, j);
    if (bordered) row += "|";
    rows.push_back(row);
  }
  if (bordered) rows.push_back(border);
  return rows;
}

// The first `width` columns of the screen's rows: the first frame is drawn
// over the prompts, whose longer lines stay visible to the right of the map.
inline Rows map_rows(const PtySession& session, int count, int width) {
  Rows rows;
  for (std::string row : session.rows(0, count)) {
    row.resize(static_cast<std::size_t>(width), ' ');
    rows.push_back(row);
  }
  return rows;
}

inline bool wait_for_map(PtySession& session, const game& world, bool bordered, int window_rows = 21) {
  const Rows expected = expected_map(world, bordered, window_rows);
  const int width = bordered ? kBorderedWidth : kBareWidth;
  return session.wait_until([&] { return map_rows(session, static_cast<int>(expected.size()), width) == expected; });
}

}  // namespace e2e
