#include "frontend/program.h"

#include <cstdint>
#include <ctime>
#include <iostream>

#include "base/crt_random.h"
#include "base/key_codes.h"
#include "console/escape_output.h"
#include "console/escape_sequences.h"
#include "console/platform.h"
#include "frontend/globals.h"
#include "frontend/menus.h"
#include "frontend/screens.h"
#include "world/tables.h"

namespace frontend {
namespace {

constexpr std::int64_t kDeveloperKeyChecks = 20000;
constexpr int kLargestExitStatus = 255;

// lang: 0 is Chinese, anything else English.
int show_language_menu_and_screen(int& lang) {
  if (lang == 0) {
    const int r = show();
    if (r == kShowIntroduction) intro();
    if (r == kChooseLanguage) lang = changelang() - 1;
    if (r == kShowDebugInfo) showdebuginfo();
    return r;
  }
  const int r = show_en();
  if (r == kShowIntroduction) intro_en();
  if (r == kChooseLanguage) lang = changelang_en() - 1;
  if (r == kShowDebugInfo) showdebuginfo();
  return r;
}

int show_developer_prompt_and_screen() {
  const int r = show_dev();
  if (r == kShowDebugInfo) showdebuginfo();
  return r;
}

}  // namespace

void watch_for_developer_key() {
  console::Platform& platform = console::platform();
  const auto swallow_key = [&platform] {
    const int key = platform.read_key();
    if (key == base::kTab) devloper_mode = true;
    // Nothing more will come; the first menu sees the end of input too.
    return key != base::kEndOfInput;
  };
  for (std::int64_t check = 0; check < kDeveloperKeyChecks; ++check) {
    if (platform.key_waiting() && !swallow_key()) return;
  }
  // An Escape typed in the window is told from the start of an arrow only
  // after a short pause, and the second code of a two-code key comes one
  // read later: both are swallowed with the rest, so neither quits the
  // first menu.
  platform.settle_typed_keys();
  while (platform.key_waiting()) {
    if (!swallow_key()) return;
  }
}

int run_menu_loop() {
  int lang = 0;
  for (;;) {
    const int r = devloper_mode ? show_developer_prompt_and_screen() : show_language_menu_and_screen(lang);
    if (r >= 0) {
      std::cout << console::kShowCursor << std::flush;
      return r;
    }
  }
}

int exit_status_for(int menu_loop_result) {
  // POSIX keeps only the low 8 bits of an exit status: code 256 would be 0.
  return menu_loop_result > kLargestExitStatus ? kLargestExitStatus : menu_loop_result;
}

int run_program() {
  console::Platform& platform = console::platform();
  platform.start();
  start = platform.clock_ms();
  console::enableANSI();
  base::seed_rand(static_cast<std::uint32_t>(std::time(nullptr)));
  console::resetColor();
  fill_gailv();
  watch_for_developer_key();
  platform.untie_streams();
  const int result = run_menu_loop();
  platform.restore();
  return exit_status_for(result);
}

}  // namespace frontend
