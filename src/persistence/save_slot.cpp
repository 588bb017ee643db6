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

constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr std::size_t kHashedKeyLength = 16;
// The temporary files of games from before the lock: ".save-<process id>.tmp".
constexpr std::string_view kOldTemporaryPrefix = "save-";

// A short stand-in for a file name too long to carry a suffix: 64 bits of
// FNV-1a, in hex.
std::string hashed_key(std::string_view name) {
  std::uint64_t hash = 0xcbf29ce484222325;
  for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3;
  std::string key(kHashedKeyLength, '0');
  for (char& digit : key) {
    digit = kHexDigits[hash >> 60];
    hash <<= 4;
  }
  return key;
}

bool consists_of(std::string_view text, std::string_view characters) {
  return !text.empty() && text.find_first_not_of(characters) == std::string_view::npos;
}

// Whether K is one the game makes hidden files with: a save's file name
// ("<name>.dat"), the stand-in for one too long, or an old temporary name.
bool is_games_key(std::string_view key) {
  if (stem_of_save_file(key)) return true;
  if (key.size() == kHashedKeyLength && consists_of(key, kHexDigits)) return true;
  return key.starts_with(kOldTemporaryPrefix) && consists_of(key.substr(kOldTemporaryPrefix.size()), "0123456789");
}

// K for a hidden ".K.tmp" or ".K.lock" of the game's, the files a game leaves
// when it dies.
std::optional<std::string> key_of_left_file(const std::string& name) {
  if (name.size() < 2 || name[0] != '.') return std::nullopt;
  for (const std::string_view suffix : {kTemporarySuffix, kLockSuffix}) {
    if (!name.ends_with(suffix)) continue;
    std::string key = name.substr(1, name.size() - 1 - suffix.size());
    if (is_games_key(key)) return key;
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
  // shown() is "saves/" and the file's name as the player reads it.
  shown_companion_key_ = fits ? shown_.substr(path_shown_in_save_directory("").size()) : companion_key_;
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

std::string SaveSlot::lock_file_shown() const {
  return path_shown_in_save_directory(hidden_name(shown_companion_key_, kLockSuffix));
}

std::string SaveSlot::temporary_file_shown() const {
  return path_shown_in_save_directory(hidden_name(shown_companion_key_, kTemporarySuffix));
}

std::string SaveSlot::backup_file_shown() const {
  return path_shown_in_save_directory(hidden_name(shown_companion_key_, kBackupSuffix));
}

Result SaveSlot::claim() {
  if (lock_) return Result{};
  const std::filesystem::path directory = file_.parent_path();
  std::string why;
  const bool directory_made = base::create_directories(directory, why);
  if (directory_made) {
    switch (base::FileLock::acquire(lock_file(), lock_, why)) {
      case base::FileLock::Outcome::kLocked: return Result{};
      case base::FileLock::Outcome::kHeldElsewhere: return Result::refused(Problem::Kind::kInUse, shown_);
      case base::FileLock::Outcome::kFailed: break;
    }
  }
  // Where nobody can save, no game can lose a save to another.
  if (base::on_read_only_file_system(directory)) return Result{};
  if (!directory_made) return Result::refused(Problem::Kind::kCannotCreateDirectory, std::string(kSaveDirectory), why);
  // Something that is no lock of ours lies where the lock goes (a directory,
  // a link, a file of another user), or nothing could be made there.
  std::error_code error;
  const bool in_the_way = std::filesystem::symlink_status(lock_file(), error).type() != std::filesystem::file_type::not_found;
  return Result::refused(in_the_way ? Problem::Kind::kCannotLock : Problem::Kind::kCannotWrite, lock_file_shown(), why);
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
