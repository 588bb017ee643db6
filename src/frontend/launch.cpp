#include "frontend/launch.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "base/files.h"
#include "console/accessibility.h"
#include "console/colour_mode.h"
#include "console/program_environment.h"
#include "frontend/command_line.h"
#include "frontend/globals.h"
#include "frontend/program.h"
#include "persistence/save_name.h"

namespace frontend {
namespace {

namespace fs = std::filesystem;
using console::StandardStream;

// The directory the game runs in, and why it was chosen.
struct SaveHomePlace {
  std::optional<fs::path> directory;  // nothing: stay where the game was started
  const char* reason = "";
};

void say(StandardStream stream, const std::string& text) { console::write_plain_text(stream, text); }

int complain(int status, const std::string& problem, const std::string& more = "") {
  say(StandardStream::kError, std::string(kProgramName) + ": " + problem + "\n" + more);
  return status;
}

std::string text_of(const fs::path& path) {
  const std::optional<std::string> name = base::name_of_path(path);
  return name ? *name : "(a name this system can't show)";
}

std::optional<SaveHomePlace> place_of(const CommandLine& line, std::string& problem) {
  switch (line.save_home) {
    case SaveHome::kCurrentDirectory:
      return SaveHomePlace{std::nullopt, "no --dir, --user-dir or LANTERNVALE_DIR was given (the current directory)"};
    case SaveHome::kUserDirectory: {
      std::string why;
      const std::optional<fs::path> directory = console::user_data_directory(why);
      if (!directory) {
        problem = "the player's own data directory is unknown: " + why;
        return std::nullopt;
      }
      return SaveHomePlace{directory, "of --user-dir (the player's own data directory)"};
    }
    case SaveHome::kDirOption:
    case SaveHome::kDirVariable:
      break;
  }
  const std::optional<fs::path> directory = base::path_of_name(line.directory);
  if (!directory) {
    problem = "'" + line.directory + "' is not a name a directory can have";
    return std::nullopt;
  }
  return SaveHomePlace{directory, line.save_home == SaveHome::kDirOption ? "of --dir" : "of LANTERNVALE_DIR"};
}

// The directory the game runs in as an absolute path without "." and ".."
// parts, read as a shell's cd reads it: from the working directory as the
// shell named it, so ".." leaves through a symbolic link as it came in.
std::optional<fs::path> absolute_home(const std::optional<fs::path>& directory, std::string& problem) {
  fs::path home;
  if (directory && directory->is_absolute()) {
    home = *directory;
  } else {
    std::string why;
    const std::optional<fs::path> here = base::working_directory(why);
    if (!here) {
      problem = "can't find the current directory: " + why;
      return std::nullopt;
    }
    home = directory ? *here / *directory : *here;
  }
  home = home.lexically_normal();
  if (!home.has_filename()) home = home.parent_path();
  return home;
}

std::string cannot(const char* act, const fs::path& directory, const std::string& why) {
  return std::string("can't ") + act + " the directory " + text_of(directory) + ": " + why;
}

// Where saves go, and why, as the game would find it: an absolute path, or
// the problem the game would meet on its way there.
int show_paths(const SaveHomePlace& place) {
  std::string problem;
  const std::optional<fs::path> home = absolute_home(place.directory, problem);
  if (!home) return complain(kDirectoryErrorStatus, problem);
  bool exists = false;
  std::string why;
  if (place.directory && !base::directory_reachable(*home, exists, why)) {
    return complain(kDirectoryErrorStatus, cannot(exists ? "enter" : "create", *place.directory, why));
  }
  const fs::path saves = *home / std::string(persistence::kSaveDirectory);
  say(StandardStream::kOutput, "saves go to " + text_of(saves) + "\nbecause " + place.reason + "\n");
  return 0;
}

std::string version_text(console::ColourMode colours) {
  return std::string(kProgramName) + " " + std::string(version) + "\nplatform: " + console::platform_description() +
         "\ncolours: " + console::colour_mode_name(colours) + "\n";
}

// The missing directories on the way to `directory`, deepest first.
std::vector<fs::path> missing_directories(const fs::path& directory) {
  std::vector<fs::path> missing;
  std::error_code error;
  for (fs::path at = directory; at.has_relative_path(); at = at.parent_path()) {
    if (fs::symlink_status(at, error).type() != fs::file_type::not_found) break;
    missing.push_back(at);
  }
  return missing;
}

// Creates the directory when missing and enters it. A failure leaves nothing
// behind: the directories made on the way are removed again.
bool enter_save_home(const fs::path& directory, std::string& problem) {
  const std::optional<fs::path> target = absolute_home(directory, problem);
  if (!target) return false;
  const std::vector<fs::path> missing = missing_directories(*target);
  std::vector<fs::path> made;
  std::string why;
  for (auto next = missing.rbegin(); next != missing.rend() && why.empty(); ++next) {
    if (base::create_directories(*next, why)) made.push_back(*next);
  }
  if (!why.empty()) {
    problem = cannot("create", directory, why);
  } else if (!base::enter_directory(*target, why)) {
    problem = cannot("enter", directory, why);
  } else {
    return true;
  }
  std::error_code ignored;
  for (auto last = made.rbegin(); last != made.rend(); ++last) fs::remove(*last, ignored);
  return false;
}

}  // namespace

int launch(const std::vector<std::string>& arguments) {
  const OptionVariables variables{
      console::environment_variable("LANTERNVALE_DIR"), console::environment_variable("LANTERNVALE_COLOR"),
      console::environment_variable("LANTERNVALE_NO_DELAY"), console::environment_variable("LANTERNVALE_SCREEN_READER")};
  const CommandLine line = parse_command_line(arguments, variables);
  const console::ColourMode colours = console::choose_colour_mode(console::colour_environment(line.colour));
  switch (line.request) {
    case Request::kUsageError:
      return complain(kUsageErrorStatus, line.problem, usage_text());
    case Request::kHelp:
      say(StandardStream::kOutput, usage_text());
      return 0;
    case Request::kVersion:
      say(StandardStream::kOutput, version_text(colours));
      return 0;
    case Request::kShowPaths:
    case Request::kPlay:
      break;
  }
  std::string problem;
  const std::optional<SaveHomePlace> place = place_of(line, problem);
  if (!place) return complain(kDirectoryErrorStatus, problem);
  if (line.request == Request::kShowPaths) return show_paths(*place);
  if (!line.ignored.empty() && console::tells_of_ignored_arguments()) {
    say(StandardStream::kError, ignored_words_text(line.ignored));
  }
  if (place->directory && !enter_save_home(*place->directory, problem)) {
    return complain(kDirectoryErrorStatus, problem);
  }
  console::set_colour_mode(colours);
  console::set_accessibility({line.no_delay, line.screen_reader});
  return run_program();
}

}  // namespace frontend
