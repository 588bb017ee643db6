#pragma once
// A world's save file: its layout, the writer and the loader. Both talk to the
// file system through a seam (SaveSteps, ByteSource) so that tests can make
// any step fail and the fuzzer can feed the loader without a file. Where the
// file lies and who holds it: save_slot.h.
//
// Layout, L the name's length and n the number of treasures:
//   name (L bytes), LF, seed (int64), the 1024 x 1024 cell images (80 bytes
//   each, row 0 first), x, y, tick (int32 each), lingli, atk, hp, defence
//   (128-bit each), n (uint64), then n treasures of kind (int64) and amount
//   (128-bit). All little-endian; L + 83,886,173 + 24n bytes in all.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/files.h"
#include "base/int128.h"
#include "persistence/result.h"
#include "persistence/save_slot.h"
#include "world/game.h"

namespace persistence {

inline constexpr std::uint64_t kCellImageBytes = sizeof(game::point);
inline constexpr std::uint64_t kRowBytes = kCellImageBytes * game::kWorldSize;
inline constexpr std::uint64_t kCellBlockBytes = kRowBytes * game::kWorldSize;
inline constexpr std::uint64_t kSeedBytes = 8;

// The player's part of the file, after the cells.
struct Trailer {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t tick = 0;
  int128 lingli = 0;
  int128 atk = 0;
  int128 hp = 0;
  int128 defence = 0;
  std::uint64_t treasure_count = 0;
};

// Hands every field of `trailer` to `visit` in the file's order, with the part
// of the file it fills. The writer, the reader and the problems all take the
// trailer's layout from here. A field takes as many bytes in the file as in
// memory.
template <typename SomeTrailer, typename Visit>
constexpr void for_each_trailer_field(SomeTrailer& trailer, Visit&& visit) {
  visit(FilePart::kPosition, trailer.x);
  visit(FilePart::kPosition, trailer.y);
  visit(FilePart::kTick, trailer.tick);
  visit(FilePart::kLingli, trailer.lingli);
  visit(FilePart::kAtk, trailer.atk);
  visit(FilePart::kHp, trailer.hp);
  visit(FilePart::kDefence, trailer.defence);
  visit(FilePart::kTreasureCount, trailer.treasure_count);
}

constexpr std::uint64_t trailer_bytes() {
  Trailer trailer;
  std::uint64_t bytes = 0;
  for_each_trailer_field(trailer, [&](FilePart, const auto& field) { bytes += sizeof field; });
  return bytes;
}
inline constexpr std::uint64_t kTrailerBytes = trailer_bytes();

inline constexpr std::uint64_t kTreasureBytes = 8 + 16;
// Everything but the name and the treasures: the line end, the seed, the cells
// and the trailer.
inline constexpr std::uint64_t kFixedBytes = 1 + kSeedBytes + kCellBlockBytes + kTrailerBytes;
static_assert(kFixedBytes == 83'886'173);

// No one types a longer world name; the limit keeps a hostile file from
// making the loader hold a name of gigabytes.
inline constexpr std::size_t kLongestWorldName = 65536;

// The problem of an operation cut short by an exception: memory ran out, or
// else `kind` with the exception's words.
Result failure_after(const std::exception& error, Problem::Kind kind, std::string_view shown_file) noexcept;

// The file-system steps of one save, in order: create the directory, claim
// the file's lock, clean up after games that died, create the temporary file,
// write, sync, close, keep the old save as the backup (a new world's first
// save), replace the save with it, sync the directory; `discard` cleans up
// after a failure. Each step is virtual so that a test can make it fail.
class SaveSteps {
 public:
  virtual ~SaveSteps() = default;
  virtual bool create_directory(const std::filesystem::path& directory, std::string& why);
  virtual Result claim(SaveSlot& slot);
  virtual void clean_up(const std::filesystem::path& directory);
  virtual bool create_new(const std::filesystem::path& file, std::string& why);
  virtual bool write(const void* bytes, std::size_t size, std::string& why);
  virtual bool sync(std::string& why);
  virtual bool close(std::string& why);
  virtual bool keep_backup(const std::filesystem::path& target, const std::filesystem::path& backup, std::string& why);
  virtual bool replace(const std::filesystem::path& source, const std::filesystem::path& target, std::string& why);
  virtual bool sync_directory(const std::filesystem::path& directory, std::string& why);
  // Closes the file if it is still open and removes it; says nothing.
  virtual void discard(const std::filesystem::path& file);

 private:
  std::optional<base::File> file_;
};

// Writes `world` to the slot's file through a temporary file, so that the old
// save stays whole until the new one replaces it in one step. Refused while
// another game holds the file.
Result save_world(const game& world, SaveSlot& slot, SaveSteps& steps);
// The same for the file of `savename`, claimed for the time of the save.
Result save_world(const game& world, std::string_view savename, SaveSteps& steps);
// The same through the file system's own steps.
Result save_world(const game& world, SaveSlot& slot);

// The bytes of a save file, from its start.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::optional<std::uint64_t> size(std::string& why) = 0;
  // Reads up to `size` bytes and sets `got`; fewer only at the end.
  virtual bool read(void* into, std::size_t size, std::size_t& got, std::string& why) = 0;
};

// Reads a whole save into `world`, a freshly constructed game, checking every
// value the game relies on. On failure `world` holds part of the file and
// must not be played; `shown_name` names the file in the problem.
Result load_world(game& world, ByteSource& source, std::string_view shown_name);
// The same from the slot's file, which must be a plain file.
Result load_world(game& world, const SaveSlot& slot);

}  // namespace persistence
