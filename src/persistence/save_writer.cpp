#include <exception>
#include <string>
#include <system_error>

#include "persistence/little_endian.h"
#include "persistence/save_file.h"
#include "persistence/save_name.h"

namespace persistence {

Result failure_after(const std::exception& error, std::string_view what_failed, std::string_view savename) noexcept {
  try {
    return Result{false, std::string(what_failed) + " " + save_path_shown(savename) + ": " + error.what()};
  } catch (const std::exception&) {
    return Result{false, "out of memory"};  // short enough to need no memory
  }
}

bool SaveSteps::create_directory(const std::filesystem::path& directory, std::string& why) {
  return base::create_directories(directory, why);
}

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

bool SaveSteps::replace(const std::filesystem::path& source, const std::filesystem::path& target, std::string& why) {
  return base::replace_file(source, target, why);
}

bool SaveSteps::sync_directory(const std::filesystem::path& directory, std::string& why) {
  return base::sync_directory(directory, why);
}

void SaveSteps::discard(const std::filesystem::path& file) {
  file_.reset();
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
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
  for_each_trailer_field(trailer, [&](std::string_view, const auto& field) { little_endian::put(tail, field); });
  for (const auto& [kind, amount] : player.baowu) {
    little_endian::put_int64(tail, kind);
    little_endian::put_int128(tail, amount);
  }
  return steps.write(tail.data(), tail.size(), why);
}

// A name the world could not be read back under is refused before anything
// is written: the first LF ends the name in the file.
std::optional<std::string> unsaveable_name(const std::string& worldname) {
  if (worldname.find('\n') != std::string::npos) return "the world name holds a line break";
  if (worldname.size() > kLongestWorldName) return world_name_too_long();
  return std::nullopt;
}

}  // namespace

Result save_world(const game& world, std::string_view savename, SaveSteps& steps) {
  const auto cannot_write = [&](const std::string& why) {
    return Result{false, "cannot write " + save_path_shown(savename) + ": " + why};
  };
  if (!world.has_world()) return cannot_write("there is no world");
  if (const std::optional<std::string> why = unsaveable_name(world.worldname)) return cannot_write(*why);

  const std::optional<std::filesystem::path> directory = base::path_of_name(kSaveDirectory);
  const std::optional<std::filesystem::path> target = save_file_path(savename);
  // Not ending in ".dat" and starting with a dot, the temporary file is never
  // listed; the process id keeps two games that save at once apart.
  const std::optional<std::filesystem::path> temporary =
      path_in_save_directory(".save-" + std::to_string(base::process_id()) + ".tmp");
  if (!directory || !target || !temporary) return cannot_write("the name makes no file name here");

  std::string why;
  if (!steps.create_directory(*directory, why)) {
    return Result{false, "cannot create the directory " + std::string(kSaveDirectory) + ": " + why};
  }
  // One left by a run of ours that was killed while saving is no one's now.
  steps.discard(*temporary);
  if (!steps.create_new(*temporary, why)) return cannot_write(why);
  const bool replaced = write_world(world, steps, why) && steps.sync(why) && steps.close(why) &&
                        steps.replace(*temporary, *target, why);
  if (!replaced) {
    steps.discard(*temporary);
    return cannot_write(why);
  }
  if (!steps.sync_directory(*directory, why)) {
    return Result{false, save_path_shown(savename) + " is written but may not be on the disk yet: " + why};
  }
  return Result{};
}

}  // namespace persistence

persistence::Result game::save(std::string savename) {
  try {
    persistence::SaveSteps steps;
    return persistence::save_world(*this, savename, steps);
  } catch (const std::exception& error) {
    // Memory for a path or a line ran out; the old save is still whole.
    return persistence::failure_after(error, "cannot write", savename);
  }
}
