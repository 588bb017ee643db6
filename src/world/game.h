#pragma once
// Placeholder until the world lands: a game can be constructed, played and destroyed.

class game {
 public:
  game() = default;
  ~game() = default;
  game(const game&) = delete;
  game& operator=(const game&) = delete;

  int run();
  int run_en();
  int run_dev();
};
