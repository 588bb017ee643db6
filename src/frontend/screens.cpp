#include "frontend/screens.h"

#include <algorithm>
#include <iostream>
#include <optional>

#include "base/text_encoding.h"
#include "console/escape_output.h"
#include "console/escape_sequences.h"
#include "console/platform.h"
#include "frontend/globals.h"
#include "play/frame.h"
#include "play/voice.h"

namespace frontend {
namespace {

// The language screen's answer when input has ended: the language stays as it
// was, so the menu that follows (and quits) is the one the player had.
constexpr int kKeepChinese = 1;
constexpr int kKeepEnglish = 2;

void clear_to_top_left() {
  console::platform().clear_screen();
  console::gotoxy(0, 0);
}

// Below a box's last line: its bottom border, and the row its line feed
// moves the cursor to.
constexpr int kRowsBelowBox = 2;

void wait_for_key() { console::platform().read_key(); }

bool show_boxed_text(const texts::BoxLines& lines, Language language) {
  clear_to_top_left();
  return draw_box(lines, language);
}

// The last box of a run, still to be read once the program has ended.
void say_farewell(const texts::BoxLines& lines, Language language) {
  show_boxed_text(lines, language);
  std::string box;
  for (const std::string& line : lines) box += line + '\n';
  box += console::kBoxBorder;
  box += '\n';
  console::platform().keep_after_exit(box);
}

int choose_language(const texts::BoxLines& lines, Language language, int answer_at_end_of_input) {
  console::platform().clear_screen();
  const bool drawn = draw_box(lines, language);
  const int key = read_key_drawing_box(lines, drawn);
  if (key == base::kEndOfInput) return answer_at_end_of_input;
  return static_cast<signed char>(key) - '0';
}

console::WindowSize window_needed_by(const texts::BoxLines& lines) {
  return console::WindowSize{static_cast<int>(lines.size()) + kRowsBelowBox, console::kBoxWidth};
}

// The window's size when the box does not fit in it; nothing when it does or
// the size is unknown.
std::optional<console::WindowSize> too_small_for(const texts::BoxLines& lines) {
  const std::optional<console::WindowSize> window = console::platform().window_size();
  const console::WindowSize needed = window_needed_by(lines);
  if (!window || (window->rows >= needed.rows && window->columns >= needed.columns)) return std::nullopt;
  return window;
}

// The playthrough's notice for a window too small, in the screen's language,
// on as many lines as the window's width makes it.
std::string too_small_notice(const texts::BoxLines& lines, Language language, console::WindowSize has) {
  const play::Voice& voice = language == Language::kChinese ? play::chinese_voice() : play::english_voice();
  std::string notice;
  for (const std::string& line : play::too_small_lines(voice, window_needed_by(lines), has)) {
    if (!notice.empty()) notice += '\n';
    notice += line;
  }
  return notice;
}

void draw_lines(const texts::BoxLines& lines) {
  int nowx = 0;
  for (const std::string& line : lines) console::helpfunction1(line + '\n', nowx);
}

}  // namespace

bool draw_box(const texts::BoxLines& lines, Language language) {
  if (const std::optional<console::WindowSize> has = too_small_for(lines)) {
    std::cout << too_small_notice(lines, language, *has) << std::flush;
    return false;
  }
  draw_lines(lines);
  return true;
}

int read_key_drawing_box(const texts::BoxLines& lines, bool drawn, const std::function<void()>& after_drawing) {
  console::Platform& platform = console::platform();
  // A wait without time limit ends at a key or when the window changed.
  while (!drawn && !platform.wait_for_key(console::kNoTimeLimit)) {
    if (too_small_for(lines)) continue;
    std::cout << console::kHideCursor;
    clear_to_top_left();
    draw_lines(lines);
    drawn = true;
    if (after_drawing) after_drawing();
  }
  return platform.read_key();
}

void intro() {
  const bool drawn = show_boxed_text(texts::intro_zh(), Language::kChinese);
  read_key_drawing_box(texts::intro_zh(), drawn);
}

void intro_en() {
  const bool drawn = show_boxed_text(texts::intro_en(), Language::kEnglish);
  read_key_drawing_box(texts::intro_en(), drawn);
}

void exit() { say_farewell(texts::farewell_zh(), Language::kChinese); }

void exit_en() { say_farewell(texts::farewell_en(), Language::kEnglish); }

int changelang() { return choose_language(texts::language_zh(), Language::kChinese, kKeepChinese); }

int changelang_en() { return choose_language(texts::language_en(), Language::kEnglish, kKeepEnglish); }

std::string running_time_text(std::int64_t elapsed_ms) {
  return std::to_string(elapsed_ms / 3600000) + ':' + std::to_string(elapsed_ms / 60000 % 60) + ':' +
         std::to_string(elapsed_ms / 1000 % 60);
}

std::string path_cut_to_buffer(const std::string& gbk_path) {
  std::size_t kept = 0;
  while (kept < gbk_path.size()) {
    // Bytes that make no whole character are kept one by one.
    const std::size_t next = kept + std::max<std::size_t>(base::gbk_character_length(gbk_path, kept), 1);
    if (next > kPathBufferBytes) break;
    kept = next;
  }
  return gbk_path.substr(0, kept);
}

void showdebuginfo() {
  dt = console::platform().clock_ms();
  console::platform().clear_screen();
  // 64 bits: a 32-bit difference could overflow after 24 days of running.
  const std::int64_t elapsed = static_cast<std::int64_t>(dt) - start;
  std::string text = "version:" + std::string(version) + '\n';
  text += "running time:" + running_time_text(elapsed) + '\n';
  const std::string path = path_cut_to_buffer(console::platform().program_path());
  if (!path.empty()) text += "exe file path:" + path + '\n';
  // Flushed even without the path line: the key wait must not hide the screen.
  std::cout << text << std::flush;
  wait_for_key();
}

}  // namespace frontend
