#pragma once
// Files as the system gives them: how a name reaches its file system, and
// whole-file reading and writing in large pieces with the system's own error
// words. Defined by files_posix.cpp and files_windows.cpp; everything above
// this layer stays free of system headers.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace base {

// Whether file names here follow Windows' rules: "\" separates too, some
// characters and the device names (CON, NUL, ...) are refused.
bool file_names_follow_windows_rules();

// Whether names on disk are UTF-8 text. Windows names are Unicode and are
// reached through UTF-8 here; a POSIX system stores bytes, which are UTF-8
// when the locale says so and are otherwise taken as they come.
bool file_names_are_utf8();

// The path of a relative name given in the byte encoding above ("/"
// separates its parts); nothing when the name has no path (bytes that are
// not UTF-8 where names are Unicode).
std::optional<std::filesystem::path> path_of_name(std::string_view name);
// The bytes of one file name in that encoding; nothing when the name has no
// such bytes (a Windows name that is not valid UTF-16).
std::optional<std::string> name_of_path(const std::filesystem::path& file_name);

// This process's id, to keep the temporary files of two running games apart.
int process_id();

// One open file. Every failing call fills `why` with the system's English
// words for it, for instance "No space left on device".
class File {
 public:
  static std::optional<File> open_for_reading(const std::filesystem::path& path, std::string& why);
  // Creates a file that must not exist yet, for writing.
  static std::optional<File> create_new(const std::filesystem::path& path, std::string& why);

  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();  // closes quietly if still open

  // The size in bytes, or nothing when the system cannot tell.
  std::optional<std::uint64_t> size(std::string& why);
  // Reads up to `size` bytes into `into` and sets `got`; fewer only at the end.
  bool read(void* into, std::size_t size, std::size_t& got, std::string& why);
  // Writes all `size` bytes or fails.
  bool write(const void* bytes, std::size_t size, std::string& why);
  // Returns once the written bytes are on the disk.
  bool sync(std::string& why);
  bool close(std::string& why);

 private:
  explicit File(int descriptor) : descriptor_(descriptor) {}
  int descriptor_ = -1;
};

// Creates `directory` and any missing parents; an existing one is fine.
bool create_directories(const std::filesystem::path& directory, std::string& why);
// Makes `directory` the working directory.
bool enter_directory(const std::filesystem::path& directory, std::string& why);
// Renames `source` to `target`, replacing any file there in one step.
bool replace_file(const std::filesystem::path& source, const std::filesystem::path& target, std::string& why);
// Makes a rename within `directory` last across a crash (POSIX syncs the
// directory; Windows has nothing to do).
bool sync_directory(const std::filesystem::path& directory, std::string& why);

}  // namespace base
