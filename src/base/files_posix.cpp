#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "base/files.h"

namespace base {
namespace {

// The error's words in English whatever the user's locale: they end up in a
// line the game prints as GBK, so they must be plain ASCII.
std::string words_of(int error) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  if (c_locale != locale_t{}) return strerror_l(error, c_locale);
  return "system error " + std::to_string(error);
}

bool fail(std::string& why) {
  why = words_of(errno);
  return false;
}

// A file system that keeps holes keeps them in blocks of at least this size.
constexpr std::size_t kBlockBytes = 4096;

// Whether the `size` bytes at `bytes`, at most a block, are all zeros.
bool is_zero(const char* bytes, std::size_t size) {
  static const char zeros[kBlockBytes] = {};
  return std::memcmp(bytes, zeros, size) == 0;
}

// The common limit, for a file system that names none.
constexpr long kUsualLongestName = 255;

// The nearest folder at or above `directory` that exists.
std::filesystem::path existing_folder(std::filesystem::path directory) {
  std::error_code error;
  while (!directory.empty() && !std::filesystem::is_directory(directory, error)) directory = directory.parent_path();
  return directory.empty() ? std::filesystem::path(".") : directory;
}

bool same_file(const struct stat& one, const struct stat& other) {
  return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// Whether `name` is a name of the working directory a shell would keep in
// $PWD: absolute, without "." or ".." parts.
bool names_working_directory(const std::filesystem::path& name) {
  if (!name.is_absolute()) return false;
  for (const std::filesystem::path& part : name) {
    if (part == "." || part == "..") return false;
  }
  struct stat named {};
  struct stat here {};
  return ::stat(name.c_str(), &named) == 0 && ::stat(".", &here) == 0 && same_file(named, here);
}

// Whether `path` still names the file open as `descriptor`.
bool names_this_file(const std::filesystem::path& path, int descriptor) {
  struct stat opened {};
  struct stat named {};
  return ::fstat(descriptor, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && same_file(opened, named);
}

// The file open as `descriptor`, whose name is gone, is closed on a thread of
// its own: its last close gives its blocks back, and for a save of thousands
// of holes on a disk mounted with discard that takes a third of a second,
// which nobody need wait for.
void close_in_background(int descriptor) {
  try {
    std::thread([descriptor] { ::close(descriptor); }).detach();
  } catch (const std::system_error&) {
    ::close(descriptor);
  }
}

// Opens whatever file `path` names, to keep it from being freed when its name
// goes; -1 when there is none (or it can't be opened: it is then freed at once).
int hold_file_at(const std::filesystem::path& path) {
  return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
}

}  // namespace

bool file_names_follow_windows_rules() { return false; }

std::optional<std::filesystem::path> path_of_name(std::string_view name) {
  return std::filesystem::path(std::string(name));
}

std::optional<std::string> name_of_path(const std::filesystem::path& file_name) { return file_name.native(); }

bool file_name_fits(const std::filesystem::path& directory, std::string_view name) {
  errno = 0;
  long longest = ::pathconf(existing_folder(directory).c_str(), _PC_NAME_MAX);
  if (longest < 0) longest = errno == 0 ? LONG_MAX : kUsualLongestName;  // no limit, or none known
  return name.size() <= static_cast<unsigned long>(longest);
}

std::optional<File> File::open_for_reading(const std::filesystem::path& path, std::string& why) {
  // O_NONBLOCK: opening a FIFO would otherwise wait for a writer.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    fail(why);
    return std::nullopt;
  }
  struct stat status {};
  if (::fstat(descriptor, &status) != 0) {
    fail(why);
    ::close(descriptor);
    return std::nullopt;
  }
  const bool regular = S_ISREG(status.st_mode);
  // A plain file is read as usual; anything else stays non-blocking, so that
  // even a read by mistake could not hang.
  if (regular) ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  return File(descriptor, regular);
}

std::optional<File> File::create_new(const std::filesystem::path& path, std::string& why) {
  // O_EXCL also refuses a symbolic link planted under the name.
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    fail(why);
    return std::nullopt;
  }
  return File(descriptor, true);
}

void File::close_quietly() noexcept {
  if (descriptor_ >= 0) ::close(std::exchange(descriptor_, -1));
}

std::optional<std::uint64_t> File::size(std::string& why) {
  struct stat status {};
  if (::fstat(descriptor_, &status) != 0) {
    fail(why);
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(status.st_size);
}

bool File::read(void* into, std::size_t size, std::size_t& got, std::string& why) {
  got = 0;
  auto* bytes = static_cast<char*>(into);
  while (got < size) {
    const ssize_t result = ::read(descriptor_, bytes + got, std::min<std::size_t>(size - got, SSIZE_MAX));
    if (result < 0 && errno == EINTR) continue;
    if (result < 0) return fail(why);
    if (result == 0) break;
    got += static_cast<std::size_t>(result);
  }
  return true;
}

// The bytes go out in runs, block by block of the file (counted from its
// start, the first and last perhaps in part): a run of blocks with data in
// one write at its place, a run of blocks of zeros skipped. A block written
// in part is filled with zeros by the file system.
bool File::write(const void* bytes, std::size_t size, std::string& why) {
  const auto* next = static_cast<const char*>(bytes);
  const auto piece_at = [&](std::size_t at) {
    // Less than a block: the remainder fits any size_t, which may be narrower
    // than the file's offsets (32-bit systems).
    const auto to_block_end = static_cast<std::size_t>(kBlockBytes - (written_to_ + at) % kBlockBytes);
    return std::min(size - at, to_block_end);
  };
  while (size > 0) {
    const bool hole = is_zero(next, piece_at(0));
    std::size_t run = 0;
    while (run < size && is_zero(next + run, piece_at(run)) == hole) run += piece_at(run);
    if (hole) {
      written_to_ += run;
    } else if (!write_all(next, run, why)) {
      return false;
    }
    next += run;
    size -= run;
  }
  return true;
}

bool File::write_all(const char* bytes, std::size_t size, std::string& why) {
  while (size > 0) {
    const ssize_t result =
        ::pwrite(descriptor_, bytes, std::min<std::size_t>(size, SSIZE_MAX), static_cast<off_t>(written_to_));
    if (result < 0 && errno == EINTR) continue;
    if (result < 0) return fail(why);
    bytes += result;
    size -= static_cast<std::size_t>(result);
    written_to_ += static_cast<std::uint64_t>(result);
  }
  file_end_ = std::max(file_end_, written_to_);
  return true;
}

// A file that ends in a hole still has its full size: set once, when it is
// synced or closed, rather than after every write that ends in zeros.
bool File::reach_written_size(std::string& why) {
  if (file_end_ >= written_to_) return true;
  if (::ftruncate(descriptor_, static_cast<off_t>(written_to_)) != 0) return fail(why);
  file_end_ = written_to_;
  return true;
}

bool File::sync(std::string& why) { return reach_written_size(why) && (::fsync(descriptor_) == 0 || fail(why)); }

bool File::close(std::string& why) {
  const bool sized = reach_written_size(why);
  // The descriptor is gone whatever close says, so it is never closed twice.
  const int descriptor = std::exchange(descriptor_, -1);
  return (::close(descriptor) == 0 || fail(why)) && sized;
}

std::optional<std::filesystem::path> working_directory(std::string& why) {
  const char* shell_name = std::getenv("PWD");
  if (shell_name != nullptr && names_working_directory(shell_name)) return std::filesystem::path(shell_name);
  std::error_code error;
  std::filesystem::path here = std::filesystem::current_path(error);
  if (!error) return here;
  why = words_of(error.value());
  return std::nullopt;
}

bool directory_reachable(const std::filesystem::path& directory, bool& exists, std::string& why) {
  struct stat status {};
  exists = ::stat(directory.c_str(), &status) == 0;
  if (exists && S_ISDIR(status.st_mode)) return true;
  if (exists) {
    why = words_of(ENOTDIR);
    return false;
  }
  // Missing, and so made on the way; a file on the way there says ENOTDIR.
  return errno == ENOENT || fail(why);
}

bool on_read_only_file_system(const std::filesystem::path& directory) {
  struct statvfs status {};
  return ::statvfs(existing_folder(directory).c_str(), &status) == 0 && (status.f_flag & ST_RDONLY) != 0;
}

std::optional<std::vector<DirectoryEntry>> list_directory(const std::filesystem::path& directory) {
  DIR* const stream = ::opendir(directory.c_str());
  if (stream == nullptr) return std::nullopt;
  std::vector<DirectoryEntry> entries;
  // A read error ends the list as its end does.
  while (const dirent* entry = ::readdir(stream)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat status {};
    const bool regular = ::fstatat(::dirfd(stream), entry->d_name, &status, 0) == 0 && S_ISREG(status.st_mode);
    entries.push_back(DirectoryEntry{std::filesystem::path(std::string(name)), regular});
  }
  ::closedir(stream);
  return entries;
}

bool remove_file(const std::filesystem::path& file, std::string& why) {
  return ::unlink(file.c_str()) == 0 || errno == ENOENT || fail(why);
}

bool create_directories(const std::filesystem::path& directory, std::string& why) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) why = words_of(error.value());
  return !error;
}

bool enter_directory(const std::filesystem::path& directory, std::string& why) {
  return ::chdir(directory.c_str()) == 0 || fail(why);
}

bool replace_file(const std::filesystem::path& source, const std::filesystem::path& target, std::string& why) {
  const int replaced = hold_file_at(target);
  const bool renamed = ::rename(source.c_str(), target.c_str()) == 0 || fail(why);
  if (replaced >= 0) close_in_background(replaced);
  return renamed;
}

bool keep_as_backup(const std::filesystem::path& existing, const std::filesystem::path& backup, std::string& why) {
  // A directory is no save to keep; replacing it fails, and says so.
  struct stat status {};
  if (::lstat(existing.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return true;
  const int earlier_backup = hold_file_at(backup);
  const bool removed = ::unlink(backup.c_str()) == 0 || errno == ENOENT || fail(why);
  if (earlier_backup >= 0) close_in_background(earlier_backup);
  if (!removed) return false;
  if (::link(existing.c_str(), backup.c_str()) == 0 || errno == ENOENT) return true;
  if (errno != EPERM && errno != EXDEV && errno != EMLINK && errno != ENOTSUP && errno != ENOSYS) return fail(why);
  return ::rename(existing.c_str(), backup.c_str()) == 0 || errno == ENOENT || fail(why);
}

FileLock::Outcome FileLock::acquire(const std::filesystem::path& path, std::optional<FileLock>& lock,
                                    std::string& why) {
  // A holder removes the file before it lets go, so a lock won on a file no
  // longer at `path` guards nothing: then the file there now is tried.
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    // O_NOFOLLOW: a link planted under the name makes no file elsewhere.
    // Read-only is all flock needs: a lock file that a game run by another
    // user (with sudo) left behind can still be locked once that game is
    // gone, and is removed with the lock.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (descriptor < 0) {
      fail(why);
      return Outcome::kFailed;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(descriptor);
      if (error == EWOULDBLOCK) return Outcome::kHeldElsewhere;
      why = words_of(error);
      return Outcome::kFailed;
    }
    if (names_this_file(path, descriptor)) {
      lock.emplace(FileLock(path, descriptor));
      return Outcome::kLocked;
    }
    ::close(descriptor);
  }
  why = "the lock file keeps being replaced";
  return Outcome::kFailed;
}

void FileLock::release() {
  if (handle_ == -1) return;
  // Removed while still held: whoever opened it meanwhile finds, once the
  // lock is theirs, that the name is gone, and tries again.
  ::unlink(path_.c_str());
  ::close(static_cast<int>(std::exchange(handle_, -1)));
}

bool sync_directory(const std::filesystem::path& directory, std::string& why) {
  const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return fail(why);
  const bool synced = ::fsync(descriptor) == 0;
  const int error = errno;
  ::close(descriptor);
  // A file system that cannot sync a directory says EINVAL: the rename is
  // then as safe as that system makes it, which is not our failure.
  if (synced || error == EINVAL) return true;
  why = words_of(error);
  return false;
}

}  // namespace base
