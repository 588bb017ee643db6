// Files on Windows: names reach the system as UTF-16 (from UTF-8), so a
// Chinese world name is the same characters on disk whatever the code page.
#include <windows.h>

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#include "base/files.h"
#include "base/text_encoding_windows.h"

namespace base {
namespace {

// The C runtime's words are English whatever the language of Windows.
bool fail(std::string& why) {
  why = std::strerror(errno);
  return false;
}

// Windows' own messages come in the language of the system, and the line they
// end up in must be ASCII: the common ones are named, the rest numbered.
std::string words_of_windows_error(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED: return "Access is denied";
    case ERROR_SHARING_VIOLATION: return "The file is in use by another program";
    case ERROR_DISK_FULL: return "No space left on device";
    case ERROR_PATH_NOT_FOUND: return "No such file or directory";
    default: return "Windows error " + std::to_string(error);
  }
}

// What NTFS and FAT32 allow, for a volume that says nothing.
constexpr DWORD kUsualLongestName = 255;

// The root of the volume that holds `folder`, an absolute path.
std::optional<std::wstring> volume_of(const std::filesystem::path& folder) {
  std::wstring volume(folder.native().size() + 2, L'\0');
  if (GetVolumePathNameW(folder.c_str(), volume.data(), static_cast<DWORD>(volume.size())) == 0) return std::nullopt;
  volume.resize(volume.find(L'\0'));
  return volume;
}

}  // namespace

bool file_names_follow_windows_rules() { return true; }

std::optional<std::filesystem::path> path_of_name(std::string_view name) {
  try {
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(name.data()), name.size()));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<std::string> name_of_path(const std::filesystem::path& file_name) { return utf8_of(file_name.native()); }

bool file_name_fits(const std::filesystem::path& directory, std::string_view name) {
  const std::optional<std::filesystem::path> file_name = path_of_name(name);
  if (!file_name) return false;
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::absolute(directory, error);
  if (error) return false;
  DWORD longest = kUsualLongestName;
  if (const std::optional<std::wstring> volume = volume_of(folder)) {
    GetVolumeInformationW(volume->c_str(), nullptr, 0, nullptr, &longest, nullptr, nullptr, 0);
  }
  // The C runtime's calls take no path longer than MAX_PATH, whatever the
  // file system would hold.
  return file_name->native().size() <= longest && (folder / *file_name).native().size() < MAX_PATH;
}

std::optional<File> File::open_for_reading(const std::filesystem::path& path, std::string& why) {
  const int descriptor = _wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (descriptor < 0) {
    fail(why);
    return std::nullopt;
  }
  struct _stat64 status {};
  const bool regular = _fstat64(descriptor, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
  return File(descriptor, regular);
}

std::optional<File> File::create_new(const std::filesystem::path& path, std::string& why) {
  const int descriptor =
      _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) {
    fail(why);
    return std::nullopt;
  }
  return File(descriptor, true);
}

void File::close_quietly() noexcept {
  if (descriptor_ >= 0) _close(std::exchange(descriptor_, -1));
}

std::optional<std::uint64_t> File::size(std::string& why) {
  const __int64 length = _filelengthi64(descriptor_);
  if (length < 0) {
    fail(why);
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(length);
}

bool File::read(void* into, std::size_t size, std::size_t& got, std::string& why) {
  got = 0;
  auto* bytes = static_cast<char*>(into);
  while (got < size) {
    const auto piece = static_cast<unsigned>(std::min<std::size_t>(size - got, INT_MAX));
    const int result = _read(descriptor_, bytes + got, piece);
    if (result < 0) return fail(why);
    if (result == 0) break;
    got += static_cast<std::size_t>(result);
  }
  return true;
}

// Every byte is written: holes would need the file marked sparse first, and a
// save's size on Windows is not worth that.
bool File::write(const void* bytes, std::size_t size, std::string& why) {
  return write_all(static_cast<const char*>(bytes), size, why);
}

bool File::write_all(const char* next, std::size_t size, std::string& why) {
  while (size > 0) {
    const auto piece = static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX));
    const int result = _write(descriptor_, next, piece);
    if (result < 0) return fail(why);
    if (result == 0) {
      why = "No space left on device";
      return false;
    }
    next += result;
    size -= static_cast<std::size_t>(result);
    written_to_ += static_cast<std::uint64_t>(result);
  }
  return true;
}

// _commit is FlushFileBuffers on the file's handle.
bool File::sync(std::string& why) { return _commit(descriptor_) == 0 || fail(why); }

bool File::close(std::string& why) {
  const int descriptor = std::exchange(descriptor_, -1);
  return _close(descriptor) == 0 || fail(why);
}

std::optional<std::filesystem::path> working_directory(std::string& why) {
  std::error_code error;
  std::filesystem::path here = std::filesystem::current_path(error);
  if (!error) return here;
  why = error.default_error_condition().message();
  return std::nullopt;
}

// Windows' own calls make no difference between a missing directory and a
// file on the way to it, so the nearest path that exists is looked at.
bool directory_reachable(const std::filesystem::path& directory, bool& exists, std::string& why) {
  std::error_code error;
  exists = std::filesystem::exists(std::filesystem::status(directory, error));
  std::filesystem::path nearest = directory;
  while (!std::filesystem::exists(std::filesystem::status(nearest, error))) {
    const std::filesystem::path above = nearest.parent_path();
    if (above.empty() || above == nearest) return true;
    nearest = above;
  }
  if (std::filesystem::is_directory(nearest, error)) return true;
  why = std::strerror(ENOTDIR);
  return false;
}

bool on_read_only_file_system(const std::filesystem::path& directory) {
  std::error_code error;
  const std::optional<std::wstring> volume = volume_of(std::filesystem::absolute(directory, error));
  DWORD flags = 0;
  return !error && volume &&
         GetVolumeInformationW(volume->c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) != 0 &&
         (flags & FILE_READ_ONLY_VOLUME) != 0;
}

std::optional<std::vector<DirectoryEntry>> list_directory(const std::filesystem::path& directory) {
  std::error_code error;
  std::filesystem::directory_iterator entry(directory, error);
  if (error) return std::nullopt;
  std::vector<DirectoryEntry> entries;
  for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    std::error_code ignored;
    entries.push_back(DirectoryEntry{entry->path().filename(), entry->is_regular_file(ignored)});
  }
  return entries;
}

bool remove_file(const std::filesystem::path& file, std::string& why) {
  std::error_code error;
  std::filesystem::remove(file, error);
  if (error) why = error.default_error_condition().message();
  return !error;
}

bool create_directories(const std::filesystem::path& directory, std::string& why) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  // The portable condition's words come from the C runtime, in English.
  if (error) why = error.default_error_condition().message();
  return !error;
}

bool enter_directory(const std::filesystem::path& directory, std::string& why) {
  return _wchdir(directory.c_str()) == 0 || fail(why);
}

bool replace_file(const std::filesystem::path& source, const std::filesystem::path& target, std::string& why) {
  if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  why = words_of_windows_error(GetLastError());
  return false;
}

bool keep_as_backup(const std::filesystem::path& existing, const std::filesystem::path& backup, std::string& why) {
  // A directory is no save to keep; replacing it fails, and says so.
  const DWORD attributes = GetFileAttributesW(existing.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
  if (DeleteFileW(backup.c_str()) == 0 && GetLastError() != ERROR_FILE_NOT_FOUND) {
    why = words_of_windows_error(GetLastError());
    return false;
  }
  if (CreateHardLinkW(backup.c_str(), existing.c_str(), nullptr) != 0) return true;
  DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND) return true;
  // FAT and some network shares have no hard links.
  if (error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED) {
    if (MoveFileExW(existing.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
      return true;
    }
    error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return true;
  }
  why = words_of_windows_error(error);
  return false;
}

bool sync_directory(const std::filesystem::path&, std::string&) { return true; }

FileLock::Outcome FileLock::acquire(const std::filesystem::path& path, std::optional<FileLock>& lock,
                                    std::string& why) {
  // Shared with nobody: another open of the file, in any process, fails
  // with a sharing violation until this handle closes, and closing it (by
  // the system too, when the process dies) deletes the file.
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION) return Outcome::kHeldElsewhere;
    why = words_of_windows_error(error);
    return Outcome::kFailed;
  }
  lock.emplace(FileLock(path, reinterpret_cast<std::intptr_t>(handle)));
  return Outcome::kLocked;
}

// Closing the handle deletes the file.
void FileLock::release() {
  if (handle_ == -1) return;
  CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle_, -1)));
}

}  // namespace base
