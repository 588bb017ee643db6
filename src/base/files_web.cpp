// Files in a web browser: the page keeps them in the origin private file
// system (OPFS) where the browser has it, otherwise in IndexedDB
// (web/src/storage.js), under the same absolute paths the game would use on
// a desktop ("/saves/abc.dat"). Each call waits, through Asyncify, for the
// storage to answer; the page's side is Module.host (web/src/game_host.js).
// Emscripten's own file system in memory only holds the directories, so that
// the working directory can be changed and relative paths made absolute.
#include <emscripten.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#include "base/files.h"
#include "base/text_encoding.h"

namespace base {
namespace {

// What asking for a lock answers when it gives none (GameHost.lock); a lock
// given is its id, above 0.
constexpr int kHeldElsewhere = -1;
// A read of bytes that the page has not fetched yet (GameHost.readFetched).
constexpr int kNotFetched = -2;

// clang-format off
EM_JS(int, lv_reply_size, (), { return Module.host.replySize(); });
EM_JS(void, lv_take_reply, (char* into, int size), { Module.host.takeReply(HEAPU8.subarray(into, into + size)); });
EM_ASYNC_JS(int, lv_open_for_reading, (const char* path), {
  return await Module.host.openForReading(UTF8ToString(path));
});
EM_JS(double, lv_file_size, (int file), { return Module.host.fileSize(file); });
EM_JS(int, lv_read_fetched, (int file, char* into, int size), {
  return Module.host.readFetched(file, HEAPU8.subarray(into, into + size));
});
EM_ASYNC_JS(int, lv_fetch, (int file), { return await Module.host.fetch(file); });
EM_ASYNC_JS(int, lv_create_new, (const char* path), { return await Module.host.createNew(UTF8ToString(path)); });
EM_JS(bool, lv_append, (int file, const char* bytes, int size), {
  return Module.host.append(file, HEAPU8.subarray(bytes, bytes + size));
});
EM_ASYNC_JS(int, lv_flush, (int file, bool all), { return await Module.host.flush(file, all); });
EM_ASYNC_JS(int, lv_close, (int file), { return await Module.host.close(file); });
EM_JS(void, lv_abandon, (int file), { Module.host.abandon(file); });
EM_ASYNC_JS(int, lv_make_directories, (const char* path), {
  return await Module.host.makeDirectories(UTF8ToString(path));
});
EM_ASYNC_JS(int, lv_rename, (const char* from, const char* to, bool missing_is_fine), {
  return await Module.host.rename(UTF8ToString(from), UTF8ToString(to), missing_is_fine);
});
EM_ASYNC_JS(int, lv_remove, (const char* path), { return await Module.host.remove(UTF8ToString(path)); });
EM_ASYNC_JS(int, lv_list, (const char* path), { return await Module.host.list(UTF8ToString(path)); });
EM_ASYNC_JS(int, lv_lock, (const char* name), { return await Module.host.lock(UTF8ToString(name)); });
EM_JS(void, lv_unlock, (int lock), { Module.host.unlock(lock); });
// clang-format on

// What the page left for the game: a failure's words, or a directory's list.
std::string reply() {
  std::string text(static_cast<std::size_t>(lv_reply_size()), '\0');
  lv_take_reply(text.data(), static_cast<int>(text.size()));
  return text;
}

// A call's answer: a failure (below 0) fills `why`.
bool succeeded(int answer, std::string& why) {
  if (answer >= 0) return true;
  why = reply();
  return false;
}

// The path the storage knows the file by: absolute, without "." and "..".
std::string storage_path(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error).lexically_normal();
  if (!absolute.has_filename() && absolute.has_parent_path() && absolute != absolute.root_path()) {
    absolute = absolute.parent_path();
  }
  return absolute.string();
}

// Whether `name` is Unicode text as UTF-8: the storage names files by text.
bool is_utf8(std::string_view name) { return gbk_to_utf8(utf8_to_gbk(name)) == name; }

// The longest file name of the desktop file systems: a save made here can be
// downloaded and kept there under its own name.
constexpr std::size_t kLongestName = 255;

// Bytes go to the page in pieces no larger than this, so a piece always fits
// an int.
constexpr std::size_t kLargestPiece = 1 << 30;

}  // namespace

bool file_names_follow_windows_rules() { return false; }

std::optional<std::filesystem::path> path_of_name(std::string_view name) {
  if (!is_utf8(name)) return std::nullopt;
  return std::filesystem::path(std::string(name));
}

std::optional<std::string> name_of_path(const std::filesystem::path& file_name) { return file_name.native(); }

bool file_name_fits(const std::filesystem::path&, std::string_view name) { return name.size() <= kLongestName; }

std::optional<File> File::open_for_reading(const std::filesystem::path& path, std::string& why) {
  const int file = lv_open_for_reading(storage_path(path).c_str());
  if (!succeeded(file, why)) return std::nullopt;
  // The storage holds plain files and directories, and a directory does not open.
  return File(file, true);
}

std::optional<File> File::create_new(const std::filesystem::path& path, std::string& why) {
  const int file = lv_create_new(storage_path(path).c_str());
  if (!succeeded(file, why)) return std::nullopt;
  return File(file, true);
}

void File::close_quietly() noexcept {
  if (descriptor_ >= 0) lv_abandon(std::exchange(descriptor_, -1));
}

std::optional<std::uint64_t> File::size(std::string&) { return static_cast<std::uint64_t>(lv_file_size(descriptor_)); }

bool File::read(void* into, std::size_t size, std::size_t& got, std::string& why) {
  got = 0;
  auto* bytes = static_cast<char*>(into);
  while (got < size) {
    const int piece = static_cast<int>(std::min(size - got, kLargestPiece));
    int result = lv_read_fetched(descriptor_, bytes + got, piece);
    if (result == kNotFetched) {
      if (!succeeded(lv_fetch(descriptor_), why)) return false;
      result = lv_read_fetched(descriptor_, bytes + got, piece);
    }
    if (result <= 0) break;
    got += static_cast<std::size_t>(result);
  }
  return true;
}

// The bytes wait in the page until enough of them make a piece worth writing.
// There are no holes: the storage keeps every byte.
bool File::write(const void* bytes, std::size_t size, std::string& why) {
  const auto* next = static_cast<const char*>(bytes);
  while (size > 0) {
    const std::size_t piece = std::min(size, kLargestPiece);
    if (lv_append(descriptor_, next, static_cast<int>(piece)) && !succeeded(lv_flush(descriptor_, false), why)) {
      return false;
    }
    next += piece;
    size -= piece;
  }
  return true;
}

bool File::sync(std::string& why) { return succeeded(lv_flush(descriptor_, true), why); }

// The file has its new content once it is closed, in one step.
bool File::close(std::string& why) { return succeeded(lv_close(std::exchange(descriptor_, -1)), why); }

std::optional<std::vector<DirectoryEntry>> list_directory(const std::filesystem::path& directory) {
  const int count = lv_list(storage_path(directory).c_str());
  std::string why;
  if (!succeeded(count, why)) return std::nullopt;
  // Each entry is a letter (f: a plain file, d: a directory), its name and a NUL.
  const std::string listed = reply();
  std::vector<DirectoryEntry> entries;
  for (std::size_t at = 0; at < listed.size();) {
    const std::size_t end = std::min(listed.find('\0', at), listed.size());
    if (end > at + 1) entries.push_back(DirectoryEntry{listed.substr(at + 1, end - at - 1), listed[at] == 'f'});
    at = end + 1;
  }
  return entries;
}

bool remove_file(const std::filesystem::path& file, std::string& why) {
  return succeeded(lv_remove(storage_path(file).c_str()), why);
}

// The page's address has no shell behind it: the working directory is the
// one Emscripten's file system keeps.
std::optional<std::filesystem::path> working_directory(std::string& why) {
  std::error_code error;
  std::filesystem::path here = std::filesystem::current_path(error);
  if (!error) return here;
  why = error.message();
  return std::nullopt;
}

// The directories are kept in Emscripten's file system as well as in the
// storage, so looking at them there tells.
bool directory_reachable(const std::filesystem::path& directory, bool& exists, std::string& why) {
  std::error_code error;
  exists = std::filesystem::exists(directory, error);
  if (!exists || std::filesystem::is_directory(directory, error)) return true;
  why = std::strerror(ENOTDIR);
  return false;
}

// The browser's storage always takes writes, up to its quota.
bool on_read_only_file_system(const std::filesystem::path&) { return false; }

bool create_directories(const std::filesystem::path& directory, std::string& why) {
  if (!succeeded(lv_make_directories(storage_path(directory).c_str()), why)) return false;
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) why = error.message();
  return !error;
}

bool enter_directory(const std::filesystem::path& directory, std::string& why) {
  if (::chdir(directory.c_str()) == 0) return true;
  why = std::strerror(errno);
  return false;
}

bool replace_file(const std::filesystem::path& source, const std::filesystem::path& target, std::string& why) {
  return succeeded(lv_rename(storage_path(source).c_str(), storage_path(target).c_str(), false), why);
}

// The storage has no links: the file is moved to the backup's name, and the
// save that follows puts a file under its own name again.
bool keep_as_backup(const std::filesystem::path& existing, const std::filesystem::path& backup, std::string& why) {
  return succeeded(lv_rename(storage_path(existing).c_str(), storage_path(backup).c_str(), true), why);
}

// Each change is kept by the storage when its call ends.
bool sync_directory(const std::filesystem::path&, std::string&) { return true; }

FileLock::Outcome FileLock::acquire(const std::filesystem::path& path, std::optional<FileLock>& lock,
                                    std::string& why) {
  const int answer = lv_lock(storage_path(path).c_str());
  if (answer == kHeldElsewhere) return Outcome::kHeldElsewhere;
  if (!succeeded(answer, why)) return Outcome::kFailed;
  lock.emplace(FileLock(path, answer));
  return Outcome::kLocked;
}

void FileLock::release() {
  if (handle_ == -1) return;
  lv_unlock(static_cast<int>(std::exchange(handle_, -1)));
}

}  // namespace base
