#pragma once
// The answer of a save-file operation: whether it worked, and if not, what
// failed, as data: a kind and its details. Each voice of the game words it in
// its own language; nothing here is a sentence for the player.

#include <cstdint>
#include <string>
#include <utility>

namespace persistence {

// The parts of a save file in the file's order, to say where a file ends.
enum class FilePart { kWorldName, kSeed, kCells, kPosition, kTick, kLingli, kAtk, kHp, kDefence, kTreasureCount, kTreasure };

struct Problem {
  enum class Kind {
    kNone,
    // The system refused; `system_words` says why.
    kCannotCreateDirectory,  // `file` is the directory
    kCannotWrite,
    kNotOnDiskYet,  // written and in place, but the directory could not be synced
    kCannotOpen,
    kCannotRead,
    // Refused here.
    kNotRegularFile,    // a FIFO, a device or a directory where a save should be
    kInUse,             // another running game has the world open
    kCannotLock,        // `file`, where the world's lock file goes, can't be used as one; `system_words` says why
    kNoFileName,        // the name makes no file name on this system
    kNoWorld,           // the game has no grid to save or to read into
    kOutOfMemory,
    kNameHasLineBreak,  // the first LF ends the name in the file
    kNameTooLong,       // longer than `count` bytes
    // A damaged file, and where.
    kEndsInside,           // the file ends at byte `offset`, inside `part` (treasure number `count`)
    kCellType,             // cell (x, y) has type `value`
    kCellLevel,            // cell (x, y) of type `type` has level `value`
    kTreasureKind,         // treasure cell (x, y) has kind `value`
    kPositionOutside,      // the player's position (x, y) is outside the world
    kTooManyTreasures,     // the treasure count `count` needs more than the `room` bytes after it
    kBytesAfterTreasures,  // `count` bytes follow the last treasure
  };

  Kind kind = Kind::kNone;
  // The file as the player knows it: "saves/" + save name + ".dat", the name
  // as GBK text.
  std::string file;
  std::string system_words;  // the system's own words, English
  FilePart part = FilePart::kWorldName;
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::int64_t type = 0;
  std::int64_t value = 0;
  std::uint64_t offset = 0;
  std::uint64_t count = 0;
  std::uint64_t room = 0;

  bool operator==(const Problem&) const = default;
};

struct Result {
  bool ok = true;
  Problem problem;

  static Result failure(Problem problem) { return Result{false, std::move(problem)}; }
  // A refusal of the system: `kind` with its words about `file`.
  static Result refused(Problem::Kind kind, std::string file, std::string system_words = {}) {
    Problem problem;
    problem.kind = kind;
    problem.file = std::move(file);
    problem.system_words = std::move(system_words);
    return failure(std::move(problem));
  }
  explicit operator bool() const { return ok; }
};

}  // namespace persistence
