#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#include "base/files.h"
#include "base/text_encoding.h"

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

}  // namespace

bool file_names_follow_windows_rules() { return false; }

bool file_names_are_utf8() { return locale_is_utf8(); }

std::optional<std::filesystem::path> path_of_name(std::string_view name) {
  return std::filesystem::path(std::string(name));
}

std::optional<std::string> name_of_path(const std::filesystem::path& file_name) { return file_name.native(); }

int process_id() { return static_cast<int>(::getpid()); }

std::optional<File> File::open_for_reading(const std::filesystem::path& path, std::string& why) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    fail(why);
    return std::nullopt;
  }
  return File(descriptor);
}

std::optional<File> File::create_new(const std::filesystem::path& path, std::string& why) {
  // O_EXCL also refuses a symbolic link planted under the name.
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    fail(why);
    return std::nullopt;
  }
  return File(descriptor);
}

File::File(File&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = std::exchange(other.descriptor_, -1);
  }
  return *this;
}

File::~File() {
  if (descriptor_ >= 0) ::close(descriptor_);
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

bool File::write(const void* bytes, std::size_t size, std::string& why) {
  const auto* next = static_cast<const char*>(bytes);
  while (size > 0) {
    const ssize_t result = ::write(descriptor_, next, std::min<std::size_t>(size, SSIZE_MAX));
    if (result < 0 && errno == EINTR) continue;
    if (result < 0) return fail(why);
    next += result;
    size -= static_cast<std::size_t>(result);
  }
  return true;
}

bool File::sync(std::string& why) { return ::fsync(descriptor_) == 0 || fail(why); }

bool File::close(std::string& why) {
  // The descriptor is gone whatever close says, so it is never closed twice.
  const int descriptor = std::exchange(descriptor_, -1);
  return ::close(descriptor) == 0 || fail(why);
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
  return ::rename(source.c_str(), target.c_str()) == 0 || fail(why);
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
