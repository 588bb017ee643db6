#pragma once
// The information screens shown between menus: introduction, farewell,
// language choice and debug information. They run with the cursor hidden by
// the menu and leave it so.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "frontend/texts.h"

namespace frontend {

// Waits for a key, then returns; the menu loop draws the menu again.
void intro();
void intro_en();
// The last box of a run: returns at once, the program ends behind it.
void exit();
void exit_en();
// The key read, as a signed byte, minus '0': 1 keeps or picks Chinese, any
// other value picks English. At end of input the screen's own language stays.
int changelang();
int changelang_en();
// Version, running time since start-up and the program's path.
void showdebuginfo();

enum class Language { kChinese, kEnglish };

// Draws `lines` as a box from the top-left corner, one line every 70 ms, and
// tells whether it did: a window too small for the box (34 columns; its
// lines, its bottom border and the row below) shows a line in `language`
// saying so instead, cut to the window's width.
bool draw_box(const texts::BoxLines& lines, Language language);
// Reads the screen's one key. While its box waits for a larger window (`drawn`
// is false), the window is looked at between keys and the box drawn on a
// cleared screen once it fits; `after_drawing` then runs.
int read_key_drawing_box(const texts::BoxLines& lines, bool drawn, const std::function<void()>& after_drawing = {});

// "h:m:s" of a running time; hours are not wrapped at 24.
std::string running_time_text(std::int64_t elapsed_ms);

// The path as the debug screen shows it, in at most 260 bytes: a longer one is
// cut, before a GBK character rather than through it.
inline constexpr std::size_t kPathBufferBytes = 260;
std::string path_cut_to_buffer(const std::string& gbk_path);

}  // namespace frontend
