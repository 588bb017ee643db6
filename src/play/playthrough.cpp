#include <iostream>
#include <string>

#include "console/platform.h"
#include "console/text_encoding.h"
#include "world/game.h"

namespace {

// Without its grid a game cannot be played: say so, wait for a key so the
// line can be read, and go back to the menu.
int report_missing_world(const std::string& message) {
  std::cout << message << '\n' << std::flush;
  console::platform().read_key();
  return 0;
}

}  // namespace

// The playthroughs arrive later; until then each returns to the menu at once.
int game::run() {
  if (!has_world()) return report_missing_world(GBK("内存不足，无法创建世界。按任意键返回。"));
  return 0;
}

int game::run_en() {
  if (!has_world()) return report_missing_world("Not enough memory for the world. Press any key to return.");
  return 0;
}

int game::run_dev() {
  if (!has_world()) return report_missing_world("out of memory");
  return 0;
}
