#pragma once
// A playthrough's hold on a save file: the list of saves, each entry with the
// file it was found as; the file a world is kept in, with the lock that keeps
// every other game off it while the playthrough lasts; the hidden files beside
// it; and the world names a file can be made for.
//
// Beside each save file F in saves/ lie, hidden (they start with a dot) and
// never listed (they do not end in ".dat"):
//   .F.lock  held by the one game that has the world open;
//   .F.tmp   the next content of F while a save writes it, under that lock;
//   .F.bak   the save a new world of the same name replaced (one generation).
// A lock file is a plain file under a lock the system drops when its process
// dies, not a lock on F itself: F is replaced by a rename at every save, and
// a lock on F's old file would guard nothing after it. Its holder removes it
// before letting go, and a game that wins a lock checks that the name still
// names the file it locked (base::FileLock), so two games never both hold a
// world. A save first removes what games that died left: every .K.tmp and
// .K.lock of a name the game makes whose lock nobody holds. Other hidden
// files in saves/ are not the game's, and are left alone.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/files.h"
#include "persistence/result.h"

namespace persistence {

// One save of the list.
struct SaveEntry {
  std::filesystem::path file;  // the file it was found as
  std::string save_name;       // the file's stem as the player reads it, GBK
  std::string world_name;      // the file's first line
};

// Every readable plain file in saves/ whose name ends in ".dat", in the
// directory's order.
std::vector<SaveEntry> list_saves();

// Whether a new world may take a name.
enum class NameCheck { kFine, kEmpty, kTooLong };
// kEmpty: its file ".dat" would never be listed. kTooLong: its file, and the
// hidden files beside it, would not fit the file system's limit for a name.
NameCheck check_world_name(std::string_view world_name);

class SaveSlot {
 public:
  // The file of the save `save_name`; nothing when the name makes no file
  // name here.
  static std::optional<SaveSlot> of_name(std::string_view save_name);
  // A new world's file: as of_name, and whatever file its first save
  // replaces is kept as the backup.
  static std::optional<SaveSlot> of_new_world(std::string_view world_name);
  // The file a listed save was found as: a world opened from it is saved back
  // to it.
  static SaveSlot of_entry(const SaveEntry& entry);

  const std::filesystem::path& file() const { return file_; }
  // "saves/" + save name + ".dat", for what the player is told.
  const std::string& shown() const { return shown_; }
  std::filesystem::path lock_file() const;
  std::filesystem::path temporary_file() const;
  std::filesystem::path backup_file() const;
  // The files beside it as the player is told of them, like shown().
  std::string lock_file_shown() const;
  std::string temporary_file_shown() const;
  std::string backup_file_shown() const;

  // Locks the file against every other game until release(), or the end of
  // the process. Refused with kInUse while another game holds it, and with
  // what is in the way when the lock can't be taken (saves/ can't be made,
  // the lock file can't be made or opened): a world is never played unlocked
  // where a save could be made. On a read-only file system nobody can save,
  // so there the world is played without the lock, and each save tries again.
  Result claim();
  bool claimed() const { return lock_.has_value(); }
  void release() { lock_.reset(); }

  // Whether the next save is to keep the file it replaces.
  bool keeps_backup() const { return keeps_backup_; }
  void backup_kept() { keeps_backup_ = false; }

 private:
  SaveSlot(std::filesystem::path file, std::string shown);

  std::filesystem::path file_;
  std::string shown_;
  // The name of the hidden files beside the file, between their dot and
  // their suffix (in the bytes of base::name_of_path): the file's own name
  // where that fits the file system.
  std::string companion_key_;
  std::string shown_companion_key_;  // the same as the player is told of it
  std::optional<base::FileLock> lock_;
  bool keeps_backup_ = false;
};

// Removes, in `directory`, the temporary and lock files of games that died:
// those whose lock nobody holds.
void remove_what_dead_games_left(const std::filesystem::path& directory);

}  // namespace persistence
