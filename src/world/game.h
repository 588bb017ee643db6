#pragma once
// One world in play: the player, the 1024 x 1024 grid of cells, the world's
// name and seed. The menu constructs a `game` for each playthrough and
// destroys it when the playthrough returns.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/int128.h"
#include "world/tables.h"

// What `save` and `open` answer; persistence/result.h defines it, and the
// world needs no more of the saves than its name.
namespace persistence {
struct Result;
}

class game {
 public:
  // The world is kWorldSize cells square; positions run from -kWorldHalf to
  // kWorldHalf - 1 on both axes, and (0, 0) is the cell in the middle.
  static constexpr int kWorldSize = 1024;
  static constexpr int kWorldHalf = kWorldSize / 2;

  struct player {
    std::int32_t x = 0;  // row: grows downwards on the map
    std::int32_t y = 0;  // column: grows to the right
    std::int32_t jingjie = 0;
    int128 lingli = 0;
    int128 atk = 10;
    int128 hp = 100;
    int128 defence = 5;
    // (treasure kind, amount) in the order taken; a copy of the player owns
    // its own list, so a fight can work on a copy.
    std::vector<std::pair<ll, int128>> baowu;
  };

  // One cell. Its bytes are exactly the cell's 80-byte image in a save file
  // (little-endian, x86-64), so whole rows can be written and read at once.
  // Construction and generation leave every field the cell's type does not
  // use, and every filler byte between fields, zero: a new world's bytes
  // depend on its seed alone. Assigning a whole `point` need not copy the
  // filler; copy the bytes where they matter.
  struct point {
    struct in {
      ll type = 0;     // treasure kind, kAttackTreasure..kDefenceTreasure
      int128 add = 0;  // what taking the treasure adds to that statistic
    };
    struct neww {};
    struct monster {
      ll attack = 0;
      ll defence = 0;
      ll hp = 0;
    };

    std::int32_t type = 0;   // kEmptyCell..kHighestCellType, glyph in `wtype`
    std::int32_t level = 0;  // 0..kLevels - 1 on every non-empty cell
    in b;                    // treasure cells only
    neww n;
    monster m;  // monster cells only
  };

  // The seeded generator of a world: a linear congruential step modulo 2^61.
  struct random_64 {
    ll seed;
    const ll mod = 0x1FFFFFFFFFFFFFFF;
    const ll mul = 0x5851F42D4C957F2D;
    const ll add = 0x14057B7EF767814F;

    explicit random_64(ll start) : seed(start) {}
    // Advances the state one step and returns it, a value in 0..2^61 - 1.
    // The product wraps at 64 bits: unsigned arithmetic gives those bits
    // without overflow.
    ll operator()() {
      const std::uint64_t next = static_cast<std::uint64_t>(seed) * static_cast<std::uint64_t>(mul) +
                                 static_cast<std::uint64_t>(add);
      seed = static_cast<ll>(next) & mod;
      return seed;
    }
  };

  // Allocates one row of kWorldSize zeroed cells, or returns nullptr when
  // memory runs out. Rows are freed with delete[].
  using row_allocator = point* (*)();
  static point* allocate_row();

  game();
  // Builds the grid with `allocate` (tests use it to make allocation fail).
  explicit game(row_allocator allocate);
  ~game();
  game(const game&) = delete;
  game& operator=(const game&) = delete;

  // False when the grid could not be allocated: the game then holds no row at
  // all and must not be played.
  bool has_world() const { return world[0] != nullptr; }

  // The cell at position (x, y), both in -kWorldHalf..kWorldHalf - 1.
  point& cell(int x, int y) { return world[x + kWorldHalf][y + kWorldHalf]; }
  const point& cell(int x, int y) const { return world[x + kWorldHalf][y + kWorldHalf]; }

  // The 64-bit seed of a typed seed text (its GBK bytes), in 0..2^63 - 1.
  static ll shash(std::string_view text);

  // Generates every cell from `seed` and records the seed. The player, the
  // name and `tick` are left alone. Does nothing to a game without a world.
  void init(ll seed);

  // Save files: "saves/" + name + ".dat". `save` replaces the file whole or
  // leaves the old one untouched; `open` reads into a freshly constructed game
  // and refuses a damaged file, after which the game must not be played.
  persistence::Result save(std::string savename);
  persistence::Result open(std::string savename);
  // (save name, world name) of every save, in the directory's order.
  std::vector<std::pair<std::string, std::string>> findDatFiles();

  int run();
  int run_en();
  int run_dev();

  player localplayer;
  std::array<point*, kWorldSize> world{};  // row i is world[i]
  std::int32_t tick = 0;
  std::string worldname;
  ll worldseed = 0;

 private:
  void free_rows();
};

// The cell image layout that save files share with memory.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(game::point) == 80);
static_assert(offsetof(game::point, type) == 0);
static_assert(offsetof(game::point, level) == 4);
static_assert(offsetof(game::point, b) + offsetof(game::point::in, type) == 16);
static_assert(offsetof(game::point, b) + offsetof(game::point::in, add) == 32);
static_assert(offsetof(game::point, n) == 48);
static_assert(offsetof(game::point, m) + offsetof(game::point::monster, attack) == 56);
static_assert(offsetof(game::point, m) + offsetof(game::point::monster, defence) == 64);
static_assert(offsetof(game::point, m) + offsetof(game::point::monster, hp) == 72);
