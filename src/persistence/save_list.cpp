#include <array>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/files.h"
#include "persistence/save_file.h"
#include "persistence/save_name.h"
#include "persistence/save_slot.h"

namespace persistence {
namespace {

// The first line of a plain file, up to its first LF or CR; only the first
// bytes are read, so listing costs the same for a world of any size. Nothing
// when the file cannot be read, or is no plain file (a FIFO put in place of a
// save would block the read).
std::optional<std::string> first_line_of(const std::filesystem::path& path) {
  std::string why;
  std::optional<base::File> file = base::File::open_for_reading(path, why);
  if (!file || !file->is_regular()) return std::nullopt;
  std::string line;
  std::array<char, 256> piece{};
  while (line.size() < kLongestWorldName) {
    std::size_t got = 0;
    if (!file->read(piece.data(), piece.size(), got, why)) return std::nullopt;
    const std::string_view text(piece.data(), got);
    const std::size_t line_end = text.find_first_of("\n\r");
    line.append(text.substr(0, line_end));
    if (line_end != std::string_view::npos || got < piece.size()) break;
  }
  if (line.size() > kLongestWorldName) line.resize(kLongestWorldName);
  return line;
}

std::optional<SaveEntry> save_entry_of(const std::filesystem::path& directory, const base::DirectoryEntry& entry,
                                       const FileNaming& naming) {
  if (!entry.regular_file) return std::nullopt;
  const std::optional<std::string> file_name = base::name_of_path(entry.name);
  if (!file_name) return std::nullopt;
  const std::optional<std::string_view> stem = stem_of_save_file(*file_name);
  if (!stem) return std::nullopt;
  const std::filesystem::path file = directory / entry.name;
  std::optional<std::string> world_name = first_line_of(file);
  if (!world_name) return std::nullopt;
  return SaveEntry{file, shown_name_of_stem(*stem, naming), std::move(*world_name)};
}

}  // namespace

std::vector<SaveEntry> list_saves() {
  std::vector<SaveEntry> saves;
  try {
    const FileNaming naming = running_file_naming();
    const std::optional<std::filesystem::path> directory = base::path_of_name(kSaveDirectory);
    // No saves/, or a plain file by that name: no saves. The list keeps the
    // directory's order.
    const std::optional<std::vector<base::DirectoryEntry>> entries =
        directory ? base::list_directory(*directory) : std::nullopt;
    if (!entries) return saves;
    for (const base::DirectoryEntry& entry : *entries) {
      if (std::optional<SaveEntry> save = save_entry_of(*directory, entry, naming)) saves.push_back(std::move(*save));
    }
  } catch (const std::exception&) {
    // Memory ran out: the saves found so far are still right.
  }
  return saves;
}

}  // namespace persistence

std::vector<std::pair<std::string, std::string>> game::findDatFiles() {
  std::vector<std::pair<std::string, std::string>> pairs;
  try {
    for (persistence::SaveEntry& save : persistence::list_saves()) {
      pairs.emplace_back(std::move(save.save_name), std::move(save.world_name));
    }
  } catch (const std::exception&) {
    // Memory ran out: the saves found so far are still right.
  }
  return pairs;
}
