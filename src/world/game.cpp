#include "world/game.h"

#include <new>

game::point* game::allocate_row() {
  // Value-initialised: every byte of every cell, filler included, starts at
  // zero, so an untouched cell is an empty cell with nothing in it.
  return new (std::nothrow) point[kWorldSize]();
}

game::game() : game(&game::allocate_row) {}

game::game(row_allocator allocate) {
  for (point*& row : world) {
    row = allocate();
    if (row == nullptr) {
      // A partial grid is no world: give back what we got and let the
      // playthrough report it.
      free_rows();
      return;
    }
  }
}

game::~game() { free_rows(); }

void game::free_rows() {
  for (point*& row : world) {
    delete[] row;
    row = nullptr;
  }
}
