#include "world_workload.h"

#include <cstring>
#include <memory>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "world/game.h"

namespace world_workload {
namespace {

constexpr std::size_t kRowBytes = sizeof(game::point) * game::kWorldSize;

std::unique_ptr<game>& shared_game() {
  static std::unique_ptr<game> instance;
  return instance;
}

// Heap bytes in use, where the C library can tell.
double heap_bytes_in_use() {
#if defined(__GLIBC__)
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd);
#else
  return -1;
#endif
}

}  // namespace

std::size_t grid_bytes() { return kRowBytes * game::kWorldSize; }

void prepare_shared_grid() {
  if (shared_game()) return;
  fill_gailv();
  shared_game() = std::make_unique<game>();
}

void generate_world(long long seed) { shared_game()->init(seed); }

void fill_grid_with_memset() {
  for (game::point* row : shared_game()->world) std::memset(static_cast<void*>(row), 0, kRowBytes);
}

double construct_and_destroy_game() {
  const double before = heap_bytes_in_use();
  auto g = std::make_unique<game>();
  const double during = heap_bytes_in_use();
  if (before < 0 || !g->has_world()) return -1;
  return during - before - static_cast<double>(grid_bytes()) - static_cast<double>(sizeof(game));
}

std::size_t game_object_bytes() { return sizeof(game); }

}  // namespace world_workload
