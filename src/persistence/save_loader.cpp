#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "persistence/little_endian.h"
#include "persistence/save_file.h"
#include "persistence/save_name.h"

namespace persistence {
namespace {

// Where each part of a file lies, once the name's length is known.
struct Layout {
  std::uint64_t name_length;

  std::uint64_t seed() const { return name_length + 1; }
  std::uint64_t cells() const { return seed() + kSeedBytes; }
  std::uint64_t trailer() const { return cells() + kCellBlockBytes; }
  std::uint64_t treasures() const { return name_length + kFixedBytes; }

  // Where the file ends when it ends at `offset`.
  Problem ends_at(std::uint64_t offset) const {
    Problem problem;
    problem.kind = Problem::Kind::kEndsInside;
    problem.offset = offset;
    problem.part = part_at(offset);
    if (problem.part == FilePart::kTreasure) problem.count = (offset - treasures()) / kTreasureBytes + 1;
    return problem;
  }

 private:
  FilePart part_at(std::uint64_t offset) const {
    if (offset < seed()) return FilePart::kWorldName;
    if (offset < cells()) return FilePart::kSeed;
    if (offset < trailer()) return FilePart::kCells;
    if (offset >= treasures()) return FilePart::kTreasure;
    // Inside the trailer, since the treasures start where it ends.
    std::optional<FilePart> part;
    std::uint64_t end = trailer();
    Trailer fields;
    for_each_trailer_field(fields, [&](FilePart field_part, const auto& field) {
      end += sizeof field;
      if (!part && offset < end) part = field_part;
    });
    return part.value_or(FilePart::kTreasureCount);
  }
};

// Reads a save from its start: the name through a small buffer, since it ends
// wherever its LF is, and everything after straight to where it belongs.
class SaveReader {
 public:
  enum class Line { kRead, kNoLineEnd, kTooLong, kFailed };

  explicit SaveReader(ByteSource& source) : source_(source) {}

  std::uint64_t offset() const { return offset_; }
  const std::string& why() const { return why_; }
  bool failed() const { return !why_.empty(); }

  // The bytes before the first LF, which is consumed too.
  Line read_line(std::string& line, std::size_t longest) {
    for (;;) {
      const auto* begin = buffer_.data() + buffered_from_;
      const auto* end = buffer_.data() + buffered_to_;
      const auto* line_end = std::find(begin, end, '\n');
      const std::size_t taken = std::min<std::size_t>(line_end - begin, longest + 1 - line.size());
      line.append(begin, begin + taken);
      consume(taken);
      if (line.size() > longest) return Line::kTooLong;
      if (line_end != end) {
        consume(1);
        return Line::kRead;
      }
      if (!refill()) return failed() ? Line::kFailed : Line::kNoLineEnd;
    }
  }

  // Exactly `size` bytes; false when the file ends first or cannot be read.
  bool read_exact(void* into, std::size_t size) {
    auto* bytes = static_cast<char*>(into);
    const std::size_t from_buffer = std::min(size, buffered_to_ - buffered_from_);
    std::memcpy(bytes, buffer_.data() + buffered_from_, from_buffer);
    consume(from_buffer);
    std::size_t got = 0;
    if (from_buffer < size && !source_.read(bytes + from_buffer, size - from_buffer, got, why_)) return false;
    offset_ += got;
    return from_buffer + got == size;
  }

 private:
  void consume(std::size_t count) {
    buffered_from_ += count;
    offset_ += count;
  }

  bool refill() {
    std::size_t got = 0;
    if (!source_.read(buffer_.data(), buffer_.size(), got, why_)) return false;
    buffered_from_ = 0;
    buffered_to_ = got;
    return got > 0;
  }

  ByteSource& source_;
  std::array<char, 4096> buffer_{};
  std::size_t buffered_from_ = 0;
  std::size_t buffered_to_ = 0;
  std::uint64_t offset_ = 0;
  std::string why_;
};

// The first value in `row` that the game could not work with, if any: a type
// without a glyph, a level without a colour on a non-empty cell, a treasure
// kind that names no statistic on a treasure cell. Other fields of a cell are
// never read.
std::optional<Problem> fault_in_row(const game::point* row, int row_index) {
  for (int column = 0; column < game::kWorldSize; ++column) {
    const game::point& cell = row[column];
    const bool type_ok = cell.type >= kEmptyCell && cell.type <= kHighestCellType;
    const bool level_ok = cell.type == kEmptyCell || (cell.level >= 0 && cell.level < kLevels);
    const bool kind_ok = cell.type != kTreasureCell || (cell.b.type >= 0 && cell.b.type < kTreasureKinds);
    if (type_ok && level_ok && kind_ok) continue;
    Problem problem;
    problem.x = row_index - game::kWorldHalf;
    problem.y = column - game::kWorldHalf;
    if (!type_ok) {
      problem.kind = Problem::Kind::kCellType;
      problem.value = cell.type;
    } else if (!level_ok) {
      problem.kind = Problem::Kind::kCellLevel;
      problem.type = cell.type;
      problem.value = cell.level;
    } else {
      problem.kind = Problem::Kind::kTreasureKind;
      problem.value = cell.b.type;
    }
    return problem;
  }
  return std::nullopt;
}

bool on_the_grid(std::int32_t coordinate) {
  return coordinate >= -game::kWorldHalf && coordinate < game::kWorldHalf;
}

Trailer decode_trailer(const unsigned char* bytes) {
  Trailer trailer;
  for_each_trailer_field(trailer, [&](FilePart, auto& field) {
    little_endian::get(bytes, field);
    bytes += sizeof field;
  });
  return trailer;
}

// One load: the file's parts in order, each checked before the next is read.
class Load {
 public:
  Load(game& world, ByteSource& source, std::string_view shown_name)
      : world_(world), source_(source), reader_(source), shown_name_(shown_name) {}

  Result run() {
    if (!world_.has_world()) return refuse(kind_only(Problem::Kind::kNoWorld));
    std::string why;
    const std::optional<std::uint64_t> size = source_.size(why);
    if (!size) return Result::refused(Problem::Kind::kCannotRead, shown_name_, why);
    size_ = *size;

    std::string name;
    if (std::optional<Result> refused = read_name(name)) return *refused;
    const Layout layout{name.size()};
    // A short file is refused before its 80 MiB of cells are read.
    if (size_ < layout.treasures()) return refuse(layout.ends_at(size_));

    std::array<unsigned char, kSeedBytes> seed{};
    if (!reader_.read_exact(seed.data(), seed.size())) return cut_short(layout);
    for (int row = 0; row < game::kWorldSize; ++row) {
      // Straight into the game's own row: no second copy of the world.
      if (!reader_.read_exact(world_.world[row], kRowBytes)) return cut_short(layout);
      if (std::optional<Problem> fault = fault_in_row(world_.world[row], row)) return refuse(*fault);
    }
    std::array<unsigned char, kTrailerBytes> trailer_bytes{};
    if (!reader_.read_exact(trailer_bytes.data(), trailer_bytes.size())) return cut_short(layout);
    const Trailer trailer = decode_trailer(trailer_bytes.data());
    if (!on_the_grid(trailer.x) || !on_the_grid(trailer.y)) {
      Problem outside = kind_only(Problem::Kind::kPositionOutside);
      outside.x = trailer.x;
      outside.y = trailer.y;
      return refuse(outside);
    }

    std::vector<std::pair<ll, int128>> treasures;
    if (std::optional<Result> refused = read_treasures(layout, trailer.treasure_count, treasures)) return *refused;

    world_.worldname = std::move(name);
    world_.worldseed = little_endian::get_int64(seed.data());
    game::player& player = world_.localplayer;
    player.x = trailer.x;
    player.y = trailer.y;
    player.lingli = trailer.lingli;
    player.atk = trailer.atk;
    player.hp = trailer.hp;
    player.defence = trailer.defence;
    player.baowu = std::move(treasures);
    world_.tick = trailer.tick;
    return Result{};
  }

 private:
  static Problem kind_only(Problem::Kind kind) {
    Problem problem;
    problem.kind = kind;
    return problem;
  }

  Result refuse(Problem problem) const {
    problem.file = shown_name_;
    return Result::failure(std::move(problem));
  }

  // A read that came up short: the file shrank since its size was taken, or
  // the system could not read it.
  Result cut_short(const Layout& layout) const {
    if (reader_.failed()) return Result::refused(Problem::Kind::kCannotRead, shown_name_, reader_.why());
    return refuse(layout.ends_at(reader_.offset()));
  }

  std::optional<Result> read_name(std::string& name) {
    switch (reader_.read_line(name, kLongestWorldName)) {
      case SaveReader::Line::kRead: return std::nullopt;
      case SaveReader::Line::kTooLong: {
        Problem too_long = kind_only(Problem::Kind::kNameTooLong);
        too_long.count = kLongestWorldName;
        return refuse(too_long);
      }
      case SaveReader::Line::kFailed: return Result::refused(Problem::Kind::kCannotRead, shown_name_, reader_.why());
      case SaveReader::Line::kNoLineEnd: break;
    }
    return refuse(Layout{reader_.offset()}.ends_at(reader_.offset()));
  }

  // The count is checked against the bytes left before the list is allocated.
  std::optional<Result> read_treasures(const Layout& layout, std::uint64_t count,
                                       std::vector<std::pair<ll, int128>>& treasures) {
    const std::uint64_t room = size_ - layout.treasures();
    if (count > room / kTreasureBytes) {
      Problem too_many = kind_only(Problem::Kind::kTooManyTreasures);
      too_many.count = count;
      too_many.room = room;
      return refuse(too_many);
    }
    if (room != count * kTreasureBytes) {
      Problem beyond = kind_only(Problem::Kind::kBytesAfterTreasures);
      beyond.count = room - count * kTreasureBytes;
      return refuse(beyond);
    }
    treasures.reserve(count);
    std::array<unsigned char, kTreasureBytes * 256> chunk{};
    while (treasures.size() < count) {
      const std::uint64_t in_chunk = std::min<std::uint64_t>(count - treasures.size(), 256);
      if (!reader_.read_exact(chunk.data(), in_chunk * kTreasureBytes)) return cut_short(layout);
      for (std::uint64_t i = 0; i < in_chunk; ++i) {
        const unsigned char* treasure = chunk.data() + i * kTreasureBytes;
        treasures.emplace_back(little_endian::get_int64(treasure), little_endian::get_int128(treasure + 8));
      }
    }
    return std::nullopt;
  }

  game& world_;
  ByteSource& source_;
  SaveReader reader_;
  std::string shown_name_;
  std::uint64_t size_ = 0;
};

// A save file on disk as a byte source.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(base::File file) : file_(std::move(file)) {}
  std::optional<std::uint64_t> size(std::string& why) override { return file_.size(why); }
  bool read(void* into, std::size_t size, std::size_t& got, std::string& why) override {
    return file_.read(into, size, got, why);
  }

 private:
  base::File file_;
};

}  // namespace

Result load_world(game& world, ByteSource& source, std::string_view shown_name) {
  return Load(world, source, shown_name).run();
}

Result load_world(game& world, const SaveSlot& slot) {
  try {
    std::string why;
    std::optional<base::File> file = base::File::open_for_reading(slot.file(), why);
    if (!file) return Result::refused(Problem::Kind::kCannotOpen, slot.shown(), why);
    if (!file->is_regular()) return Result::refused(Problem::Kind::kNotRegularFile, slot.shown());
    FileSource source(std::move(*file));
    return load_world(world, source, slot.shown());
  } catch (const std::exception& error) {
    return failure_after(error, Problem::Kind::kCannotRead, slot.shown());
  }
}

}  // namespace persistence

persistence::Result game::open(std::string savename) {
  try {
    const std::optional<persistence::SaveSlot> slot = persistence::SaveSlot::of_name(savename);
    if (!slot) {
      return persistence::Result::refused(persistence::Problem::Kind::kNoFileName,
                                          persistence::save_path_shown(savename));
    }
    return persistence::load_world(*this, *slot);
  } catch (const std::exception& error) {
    return persistence::failure_after(error, persistence::Problem::Kind::kCannotRead,
                                      persistence::save_path_shown(savename));
  }
}
