// The program's environment on POSIX systems: arguments and variables are
// bytes, the player's files go where the desktop's custom puts them.
#include <fcntl.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "console/program_environment.h"

namespace console {
namespace {

// $HOME, or the home the user database gives when HOME is unset.
std::optional<std::filesystem::path> home_directory() {
  const std::optional<std::string> home = environment_variable("HOME");
  if (home) return std::filesystem::path(*home);
  const passwd* user = ::getpwuid(::getuid());
  if (user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] != '\0') return std::filesystem::path(user->pw_dir);
  return std::nullopt;
}

#ifdef __APPLE__
constexpr const char* kNoHome = "HOME is not set";

// Where macOS keeps the files of each application.
std::optional<std::filesystem::path> own_data_directory() {
  const std::optional<std::filesystem::path> home = home_directory();
  if (!home) return std::nullopt;
  return *home / "Library" / "Application Support" / "Lanternvale";
}
#else
constexpr const char* kNoHome = "neither XDG_DATA_HOME nor HOME is set";

// The XDG data directory; a relative XDG_DATA_HOME is invalid and is ignored,
// as the XDG rules ask.
std::optional<std::filesystem::path> own_data_directory() {
  const std::optional<std::string> data_home = environment_variable("XDG_DATA_HOME");
  if (data_home && std::filesystem::path(*data_home).is_absolute()) {
    return std::filesystem::path(*data_home) / "lanternvale";
  }
  const std::optional<std::filesystem::path> home = home_directory();
  if (!home) return std::nullopt;
  return *home / ".local" / "share" / "lanternvale";
}
#endif

std::string system_name(const utsname& names) {
  const std::string kernel = names.sysname;
  return kernel == "Darwin" ? "macOS" : kernel;
}

}  // namespace

void open_closed_standard_streams() {
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number: this one, as those below it are open by now.
    const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

std::vector<std::string> command_line_arguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int index = 1; index < argc; ++index) arguments.emplace_back(argv[index]);
  return arguments;
}

// An empty value counts as unset, as the shell's `VAR= command` intends.
std::optional<std::string> environment_variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] == '\0') return std::nullopt;
  return std::string(value);
}

std::optional<std::filesystem::path> user_data_directory(std::string& why) {
  std::optional<std::filesystem::path> directory = own_data_directory();
  if (!directory) why = kNoHome;
  return directory;
}

bool tells_of_ignored_arguments() { return true; }

bool runs_in_windows_console() { return false; }

std::string platform_description() {
  utsname names{};
  if (::uname(&names) != 0) return "unknown system";
  return system_name(names) + " " + names.machine;
}

void write_plain_text(StandardStream stream, std::string_view text) {
  std::FILE* file = stream == StandardStream::kOutput ? stdout : stderr;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fflush(file);
}

}  // namespace console
