#include "frontend/screens.h"

#include <algorithm>
#include <iostream>

#include "base/text_encoding.h"
#include "console/escape_output.h"
#include "console/platform.h"
#include "frontend/globals.h"

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

void wait_for_key() { console::platform().read_key(); }

void show_boxed_text(const texts::BoxLines& lines) {
  clear_to_top_left();
  draw_box(lines);
}

int choose_language(const texts::BoxLines& lines, int answer_at_end_of_input) {
  console::platform().clear_screen();
  draw_box(lines);
  const int key = console::platform().read_key();
  if (key == base::kEndOfInput) return answer_at_end_of_input;
  return static_cast<signed char>(key) - '0';
}

}  // namespace

void draw_box(const texts::BoxLines& lines) {
  int nowx = 0;
  for (const std::string& line : lines) console::helpfunction1(line + '\n', nowx);
}

void intro() {
  show_boxed_text(texts::intro_zh());
  wait_for_key();
}

void intro_en() {
  show_boxed_text(texts::intro_en());
  wait_for_key();
}

void exit() { show_boxed_text(texts::farewell_zh()); }

void exit_en() { show_boxed_text(texts::farewell_en()); }

int changelang() { return choose_language(texts::language_zh(), kKeepChinese); }

int changelang_en() { return choose_language(texts::language_en(), kKeepEnglish); }

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
