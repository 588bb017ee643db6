#include "frontend/menus.h"

#include <iostream>

#include "console/escape_output.h"
#include "console/escape_sequences.h"
#include "console/platform.h"
#include "frontend/globals.h"
#include "frontend/screens.h"
#include "frontend/texts.h"
#include "world/game.h"

namespace frontend {
namespace {

// Written after "Error:" for a code that has no message of its own.
constexpr const char* kUnknownErrorText = "unknown error";

// The input label ends at column 7 of row 9 of the menu box.
constexpr int kInputRow = 9;
constexpr int kInputColumn = 7;

// The game lives only as long as its playthrough: its world is 80 MiB.
int play_zh() {
  game game1;
  return game1.run();
}

int play_en() {
  game game1;
  return game1.run_en();
}

int play_dev() {
  game game1;
  return game1.run_dev();
}

const MenuKeyTable kChineseKeys{play_zh, frontend::exit, frontend::exit};
const MenuKeyTable kEnglishKeys{play_en, nullptr, exit_en};
const MenuKeyTable kDeveloperKeys{play_dev, nullptr, nullptr};

void show_cursor_at_input() {
  console::gotoxy(kInputRow, kInputColumn);
  std::cout << console::kShowCursor << std::flush;
}

int show_language_menu(const std::string& title, const texts::BoxLines& lines, Language language,
                       const MenuKeyTable& keys) {
  console::platform().set_title(title);
  std::cout << console::kHideCursor << console::kEraseScreen << console::kCursorHome << std::flush;
  console::platform().clear_screen();
  console::gotoxy(0, 0);
  const bool drawn = draw_box(lines, language);
  // The key is read with the cursor showing, at the input label of the box
  // once there is one.
  if (drawn) console::gotoxy(kInputRow, kInputColumn);
  std::cout << console::kShowCursor << std::flush;
  const int key = read_key_drawing_box(lines, drawn, show_cursor_at_input);
  std::cout << console::kHideCursor << std::flush;
  return act_on_menu_key(key, keys);
}

void run_farewell(void (*farewell)()) {
  if (farewell != nullptr) farewell();
}

}  // namespace

std::string error_message(int code) {
  if (code >= 1 && static_cast<std::size_t>(code) <= Errorstr.size()) return Errorstr[code - 1];
  return kUnknownErrorText;
}

int menu_result_after_playthrough(int playthrough_result) {
  // Only a positive result is an error code; a negative one would be read by
  // the menu loop as a screen to open, so it counts as a normal end.
  if (playthrough_result <= 0) return kBackFromPlaythrough;
  console::platform().clear_screen();
  const std::string error = "Error:" + error_message(playthrough_result);
  std::cerr << error << std::flush;
  console::platform().keep_after_exit(error + '\n');
  return playthrough_result;
}

int act_on_menu_key(int key, const MenuKeyTable& table) {
  if (key == base::kEndOfInput) key = '3';
  switch (key) {
    case '1':
      return menu_result_after_playthrough(table.playthrough());
    case '2':
      return kShowIntroduction;
    case '3':
      run_farewell(table.farewell_on_quit_key);
      return kQuit;
    case '4':
      return kChooseLanguage;
    case '5':
      return kShowDebugInfo;
    default:
      run_farewell(table.farewell_on_other_key);
      return kQuit;
  }
}

int show() { return show_language_menu(texts::title_zh(), texts::menu_zh(), Language::kChinese, kChineseKeys); }

int show_en() { return show_language_menu(texts::title_en(), texts::menu_en(), Language::kEnglish, kEnglishKeys); }

int show_dev() {
  console::platform().set_title(texts::title_dev());
  std::cout << console::kEraseScreen << console::kCursorHome << std::flush;
  console::platform().clear_screen();
  console::gotoxy(0, 0);
  std::cout << console::kShowCursor << "> " << std::flush;
  const int key = console::platform().read_key();
  std::cout << console::kHideCursor << std::flush;
  return act_on_menu_key(key, kDeveloperKeys);
}

}  // namespace frontend
