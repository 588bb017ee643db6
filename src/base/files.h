#pragma once
// Files as the system gives them: how a name reaches its file system, and
// whole-file reading and writing in large pieces with the system's own error
// words. Defined by files_posix.cpp, files_windows.cpp and files_web.cpp;
// everything above this layer stays free of system headers.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace base {

// Whether file names here follow Windows' rules: "\" separates too, some
// characters and the device names (CON, NUL, ...) are refused.
bool file_names_follow_windows_rules();

// Names are given here as bytes: UTF-8 where the system's names are Unicode
// (Windows), the bytes on disk where they are bytes (POSIX).

// The path of a relative name given in those bytes ("/" separates its parts);
// nothing when the name has no path (bytes that are not UTF-8 where names are
// Unicode).
std::optional<std::filesystem::path> path_of_name(std::string_view name);
// The bytes of one file name; nothing when the name has no such bytes (a
// Windows name that is not valid UTF-16).
std::optional<std::string> name_of_path(const std::filesystem::path& file_name);

// Whether a file named `name` can be made in `directory` (or, while that is
// missing, in the nearest folder above it that exists): the name's length, in
// the units its file system counts, within that file system's limit for one
// name.
bool file_name_fits(const std::filesystem::path& directory, std::string_view name);

// One open file. Every failing call fills `why` with the system's English
// words for it, for instance "No space left on device".
class File {
 public:
  // Opens without waiting, whatever the file is: a FIFO or a device opens at
  // once too, and is_regular() then says false (reading one could block).
  static std::optional<File> open_for_reading(const std::filesystem::path& path, std::string& why);
  // Creates a file that must not exist yet, for writing.
  static std::optional<File> create_new(const std::filesystem::path& path, std::string& why);

  File(File&& other) noexcept { take(other); }
  File& operator=(File&& other) noexcept {
    if (this != &other) {
      close_quietly();
      take(other);
    }
    return *this;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { close_quietly(); }

  // A plain file, not a FIFO, a device or a directory.
  bool is_regular() const { return regular_; }
  // The size in bytes, or nothing when the system cannot tell.
  std::optional<std::uint64_t> size(std::string& why);
  // Reads up to `size` bytes into `into` and sets `got`; fewer only at the end.
  bool read(void* into, std::size_t size, std::size_t& got, std::string& why);
  // Writes all `size` bytes or fails. In a file made by create_new, where
  // the file system keeps holes, the zeros that would fill a 4 KiB block of
  // the file are not written: the block is left a hole, which reads back as
  // zeros and takes no room on the disk.
  bool write(const void* bytes, std::size_t size, std::string& why);
  // Returns once the written bytes are on the disk.
  bool sync(std::string& why);
  bool close(std::string& why);

 private:
  File(int descriptor, bool regular) : descriptor_(descriptor), regular_(regular) {}
  void take(File& other) noexcept {
    descriptor_ = std::exchange(other.descriptor_, -1);
    regular_ = other.regular_;
    written_to_ = other.written_to_;
    file_end_ = other.file_end_;
  }
  // Closes the descriptor if it is still open, saying nothing (by the
  // system's own call, in files_posix.cpp or files_windows.cpp).
  void close_quietly() noexcept;
  bool write_all(const char* bytes, std::size_t size, std::string& why);
  // Gives the file its full size when it ends in a hole (POSIX only).
  bool reach_written_size(std::string& why);

  int descriptor_ = -1;
  bool regular_ = true;
  std::uint64_t written_to_ = 0;  // where the next write goes
  std::uint64_t file_end_ = 0;    // how far the bytes written so far reach
};

// A lock on one file that no other process can take while it is held, and
// that the system drops when the process dies, so a killed game leaves no
// stale lock. The file is made when missing and removed when the lock is let
// go. (POSIX: flock, which another open of the file in this same process
// cannot take either. Windows: a handle that shares nothing and deletes the
// file when it closes. A browser: a Web Lock named by the path, which every
// tab of the page shares and a closed tab lets go; no file is made.)
class FileLock {
 public:
  enum class Outcome { kLocked, kHeldElsewhere, kFailed };
  // Takes the lock without waiting; `why` says what failed on kFailed.
  static Outcome acquire(const std::filesystem::path& path, std::optional<FileLock>& lock, std::string& why);

  FileLock(FileLock&& other) noexcept : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, -1)) {}
  FileLock& operator=(FileLock&& other) noexcept {
    if (this != &other) {
      release();
      path_ = std::move(other.path_);
      handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock() { release(); }  // removes the file, then lets the lock go

 private:
  FileLock(std::filesystem::path path, std::intptr_t handle) : path_(std::move(path)), handle_(handle) {}
  void release();  // by the system's own means, in files_posix.cpp or files_windows.cpp

  std::filesystem::path path_;
  std::intptr_t handle_ = -1;  // a descriptor, or a Windows handle
};

// The directory the game was started in, named as the shell that started it
// names it: $PWD where that is an absolute name of this very directory, so
// that a symbolic link on the way stays in the name and ".." leaves through
// it, as `cd ..` does; otherwise the system's own name for it. Nothing, with
// the reason in `why`, when it has no name (it was removed).
std::optional<std::filesystem::path> working_directory(std::string& why);
// Whether the game could enter `directory`, making it and the directories
// above it first where they are missing, as far as looking without changing
// anything tells. `exists` says whether something is at `directory` already;
// on false, `why` says what is in the way (a file where a directory should be).
bool directory_reachable(const std::filesystem::path& directory, bool& exists, std::string& why);
// Whether `directory`, or the nearest folder above it that exists, is on a
// file system that nothing can be written to.
bool on_read_only_file_system(const std::filesystem::path& directory);
// One entry of a directory: its name, and whether it is a plain file (a
// symbolic link counts as what it points to).
struct DirectoryEntry {
  std::filesystem::path name;
  bool regular_file = false;
};
// The entries of `directory` in the order the system gives them, without "."
// and ".."; nothing when it is no directory or cannot be read. An error
// while reading it ends the list there.
std::optional<std::vector<DirectoryEntry>> list_directory(const std::filesystem::path& directory);
// Removes the file at `file`; a file that is not there is no failure.
bool remove_file(const std::filesystem::path& file, std::string& why);

// Creates `directory` and any missing parents; an existing one is fine.
bool create_directories(const std::filesystem::path& directory, std::string& why);
// Makes `directory` the working directory.
bool enter_directory(const std::filesystem::path& directory, std::string& why);
// Renames `source` to `target`, replacing any file there in one step.
bool replace_file(const std::filesystem::path& source, const std::filesystem::path& target, std::string& why);
// Keeps the file at `existing` under the name `backup` as well, in place of
// any earlier backup: a hard link, or where the file system has none a rename
// (`existing` is then missing until it is replaced). No `existing`, or a
// directory there: nothing to keep, which is no failure.
bool keep_as_backup(const std::filesystem::path& existing, const std::filesystem::path& backup, std::string& why);
// Makes a rename within `directory` last across a crash (POSIX syncs the
// directory; Windows has nothing to do).
bool sync_directory(const std::filesystem::path& directory, std::string& why);

}  // namespace base
