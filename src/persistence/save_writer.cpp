#include <exception>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "persistence/little_endian.h"
#include "persistence/save_file.h"
#include "persistence/save_name.h"

namespace persistence {

Result failure_after(const std::exception& error, Problem::Kind kind, std::string_view shown_file) noexcept {
  try {
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) kind = Problem::Kind::kOutOfMemory;
    return Result::refused(kind, std::string(shown_file), error.what());
  } catch (const std::exception&) {
    // No memory even for the file's name.
    return Result::refused(Problem::Kind::kOutOfMemory, {});
  }
}

bool SaveSteps::create_directory(const std::filesystem::path& directory, std::string& why) {
  return base::create_directories(directory, why);
}

Result SaveSteps::claim(SaveSlot& slot) { return slot.claim(); }

void SaveSteps::clean_up(const std::filesystem::path& directory) { remove_what_dead_games_left(directory); }

bool SaveSteps::create_new(const std::filesystem::path& file, std::string& why) {
  file_ = base::File::create_new(file, why);
  return file_.has_value();
}

bool SaveSteps::write(const void* bytes, std::size_t size, std::string& why) { return file_->write(bytes, size, why); }

bool SaveSteps::sync(std::string& why) { return file_->sync(why); }

bool SaveSteps::close(std::string& why) {
  const bool closed = file_->close(why);
  file_.reset();
  return closed;
}

bool SaveSteps::keep_backup(const std::filesystem::path& target, const std::filesystem::path& backup,
                            std::string& why) {
  return base::keep_as_backup(target, backup, why);
}

bool SaveSteps::replace(const std::filesystem::path& source, const std::filesystem::path& target, std::string& why) {
  return base::replace_file(source, target, why);
}

bool SaveSteps::sync_directory(const std::filesystem::path& directory, std::string& why) {
  return base::sync_directory(directory, why);
}

void SaveSteps::discard(const std::filesystem::path& file) {
  file_.reset();
  std::string ignored;
  base::remove_file(file, ignored);
}

namespace {

// The line, the seed and the cells, then the player: the file's order.
bool write_world(const game& world, SaveSteps& steps, std::string& why) {
  std::string head = world.worldname + '\n';
  little_endian::put_int64(head, world.worldseed);
  if (!steps.write(head.data(), head.size(), why)) return false;

  // A row in memory is its 80-byte cell images in file order: game.h asserts
  // the layout and a little-endian host, so whole rows go out as they are.
  for (const game::point* row : world.world) {
    if (!steps.write(row, kRowBytes, why)) return false;
  }

  const game::player& player = world.localplayer;
  const Trailer trailer{.x = player.x,
                        .y = player.y,
                        .tick = world.tick,
                        .lingli = player.lingli,
                        .atk = player.atk,
                        .hp = player.hp,
                        .defence = player.defence,
                        .treasure_count = player.baowu.size()};
  std::string tail;
  tail.reserve(kTrailerBytes + kTreasureBytes * player.baowu.size());
  for_each_trailer_field(trailer, [&](FilePart, const auto& field) { little_endian::put(tail, field); });
  for (const auto& [kind, amount] : player.baowu) {
    little_endian::put_int64(tail, kind);
    little_endian::put_int128(tail, amount);
  }
  return steps.write(tail.data(), tail.size(), why);
}

// A name the world could not be read back under is refused before anything
// is written: the first LF ends the name in the file.
std::optional<Problem::Kind> unsaveable_name(const std::string& worldname) {
  if (worldname.find('\n') != std::string::npos) return Problem::Kind::kNameHasLineBreak;
  if (worldname.size() > kLongestWorldName) return Problem::Kind::kNameTooLong;
  return std::nullopt;
}

// The temporary file, written whole and on the disk, takes the save's place;
// a new world's first save keeps the file it replaces as the backup. A
// failure names the file in the way: the temporary file when it can't be
// made, the backup when the old save can't be kept as it, else the save.
Result write_in_place(const game& world, SaveSlot& slot, SaveSteps& steps) {
  const std::filesystem::path temporary = slot.temporary_file();
  std::string why;
  // Under the slot's lock a temporary file can only be one a game died with.
  // Without it (nothing can be written here) it may be another game's.
  if (slot.claimed()) steps.discard(temporary);
  if (!steps.create_new(temporary, why)) {
    return Result::refused(Problem::Kind::kCannotWrite, slot.temporary_file_shown(), why);
  }
  std::string failed_file = slot.shown();
  bool replaced = write_world(world, steps, why) && steps.sync(why) && steps.close(why);
  if (replaced && slot.keeps_backup() && !steps.keep_backup(slot.file(), slot.backup_file(), why)) {
    replaced = false;
    failed_file = slot.backup_file_shown();
  }
  if (replaced && steps.replace(temporary, slot.file(), why)) return Result{};
  steps.discard(temporary);
  return Result::refused(Problem::Kind::kCannotWrite, std::move(failed_file), why);
}

}  // namespace

Result save_world(const game& world, SaveSlot& slot, SaveSteps& steps) {
  if (!world.has_world()) return Result::refused(Problem::Kind::kNoWorld, slot.shown());
  if (const std::optional<Problem::Kind> kind = unsaveable_name(world.worldname)) {
    Result refused = Result::refused(*kind, slot.shown());
    if (*kind == Problem::Kind::kNameTooLong) refused.problem.count = kLongestWorldName;
    return refused;
  }
  const std::filesystem::path directory = slot.file().parent_path();
  std::string why;
  if (!steps.create_directory(directory, why)) {
    return Result::refused(Problem::Kind::kCannotCreateDirectory, std::string(kSaveDirectory), why);
  }
  if (Result claimed = steps.claim(slot); !claimed) return claimed;
  steps.clean_up(directory);
  if (Result written = write_in_place(world, slot, steps); !written) return written;
  slot.backup_kept();
  if (!steps.sync_directory(directory, why)) return Result::refused(Problem::Kind::kNotOnDiskYet, slot.shown(), why);
  return Result{};
}

Result save_world(const game& world, SaveSlot& slot) {
  try {
    SaveSteps steps;
    return save_world(world, slot, steps);
  } catch (const std::exception& error) {
    // Memory for a path or a line ran out; the old save is still whole.
    return failure_after(error, Problem::Kind::kCannotWrite, slot.shown());
  }
}

Result save_world(const game& world, std::string_view savename, SaveSteps& steps) {
  std::optional<SaveSlot> slot = SaveSlot::of_name(savename);
  if (!slot) return Result::refused(Problem::Kind::kNoFileName, save_path_shown(savename));
  return save_world(world, *slot, steps);
}

}  // namespace persistence

persistence::Result game::save(std::string savename) {
  try {
    persistence::SaveSteps steps;
    return persistence::save_world(*this, savename, steps);
  } catch (const std::exception& error) {
    return persistence::failure_after(error, persistence::Problem::Kind::kCannotWrite,
                                      persistence::save_path_shown(savename));
  }
}
