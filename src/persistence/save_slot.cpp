#include "persistence/save_slot.h"

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "persistence/save_file.h"
#include "persistence/save_name.h"

namespace persistence {
namespace {

constexpr std::string_view kLockSuffix = ".lock";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::string_view kBackupSuffix = ".bak";

std::string hidden_name(std::string_view key, std::string_view suffix) {
  std::string name(".");
  name.append(key).append(suffix);
  return name;
}

// The file "." + key + suffix in `directory`. A key comes from a name the
// system gave or took, so it always has a path.
std::filesystem::path hidden_file(const std::filesystem::path& directory, std::string_view key,
                                  std::string_view suffix) {
  return directory / base::path_of_name(hidden_name(key, suffix)).value_or(std::filesystem::path());
}

// A short stand-in for a file name too long to carry a suffix: 64 bits of
// FNV-1a, in hex.
std::string hashed_key(std::string_view name) {
  std::uint64_t hash = 0xcbf29ce484222325;
  for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3;
  constexpr std::string_view kDigits = "0123456789abcdef";
  std::string key(16, '0');
  for (char& digit : key) {
    digit = kDigits[hash >> 60];
    hash <<= 4;
  }
  return key;
}

// K for a hidden ".K.tmp" or ".K.lock", the files a game leaves when it dies.
std::optional<std::string> key_of_left_file(const std::string& name) {
  if (name.size() < 2 || name[0] != '.') return std::nullopt;
  for (const std::string_view suffix : {kTemporarySuffix, kLockSuffix}) {
    if (name.size() > suffix.size() + 1 && name.ends_with(suffix)) return name.substr(1, name.size() - 1 - suffix.size());
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> save_directory() { return base::path_of_name(kSaveDirectory); }

}  // namespace

NameCheck check_world_name(std::string_view world_name) {
  if (world_name.empty()) return NameCheck::kEmpty;
  if (world_name.size() > kLongestWorldName) return NameCheck::kTooLong;
  std::string file_name = stem_on_disk(world_name, running_file_naming());
  file_name.append(kSaveExtension);
  const std::optional<std::filesystem::path> directory = save_directory();
  // The longest of the files beside it is the lock's.
  const bool fits = directory && base::path_of_name(file_name) &&
                    base::file_name_fits(*directory, hidden_name(file_name, kLockSuffix));
  return fits ? NameCheck::kFine : NameCheck::kTooLong;
}

SaveSlot::SaveSlot(std::filesystem::path file, std::string shown) : file_(std::move(file)), shown_(std::move(shown)) {
  const std::string name = base::name_of_path(file_.filename()).value_or(std::string());
  const bool fits = base::file_name_fits(file_.parent_path(), hidden_name(name, kLockSuffix));
  companion_key_ = fits ? name : hashed_key(name);
}

std::optional<SaveSlot> SaveSlot::of_name(std::string_view save_name) {
  std::optional<std::filesystem::path> file = save_file_path(save_name);
  if (!file) return std::nullopt;
  return SaveSlot(std::move(*file), save_path_shown(save_name));
}

std::optional<SaveSlot> SaveSlot::of_new_world(std::string_view world_name) {
  std::optional<SaveSlot> slot = of_name(world_name);
  if (slot) slot->keeps_backup_ = true;
  return slot;
}

SaveSlot SaveSlot::of_entry(const SaveEntry& entry) { return SaveSlot(entry.file, save_path_shown(entry.save_name)); }

std::filesystem::path SaveSlot::lock_file() const {
  return hidden_file(file_.parent_path(), companion_key_, kLockSuffix);
}

std::filesystem::path SaveSlot::temporary_file() const {
  return hidden_file(file_.parent_path(), companion_key_, kTemporarySuffix);
}

std::filesystem::path SaveSlot::backup_file() const {
  return hidden_file(file_.parent_path(), companion_key_, kBackupSuffix);
}

Result SaveSlot::claim() {
  if (lock_) return Result{};
  std::string why;
  base::create_directories(file_.parent_path(), why);
  if (base::FileLock::acquire(lock_file(), lock_, why) == base::FileLock::Outcome::kHeldElsewhere) {
    return Result::refused(Problem::Kind::kInUse, shown_);
  }
  return Result{};
}

void remove_what_dead_games_left(const std::filesystem::path& directory) {
  std::set<std::string> keys;
  const auto entries = base::list_directory(directory);
  for (const base::DirectoryEntry& entry : entries.value_or(std::vector<base::DirectoryEntry>())) {
    const std::optional<std::string> name = base::name_of_path(entry.name);
    if (!name) continue;
    if (std::optional<std::string> key = key_of_left_file(*name)) keys.insert(std::move(*key));
  }
  for (const std::string& key : keys) {
    // Held: its game is alive (this very game included), and so is its
    // temporary file. A game that opens the world in the instant its lock is
    // held here is told the world is in use, and may try again.
    std::optional<base::FileLock> lock;
    std::string why;
    if (base::FileLock::acquire(hidden_file(directory, key, kLockSuffix), lock, why) !=
        base::FileLock::Outcome::kLocked) {
      continue;
    }
    base::remove_file(hidden_file(directory, key, kTemporarySuffix), why);
  }  // each lock, let go, takes its file with it
}

}  // namespace persistence
