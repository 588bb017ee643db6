#pragma once
// The command line, read before anything touches the terminal. Reading it is
// a pure function of the arguments and the two variables that stand in for
// options, so every case can be tried without starting the game.

#include <optional>
#include <string>
#include <vector>

#include "console/colour_mode.h"

namespace frontend {

// --color and LANTERNVALE_COLOR: a colour mode, or nothing for auto, which
// takes what the terminal says.
using ColourChoice = std::optional<console::ColourMode>;

// What the run is asked to do.
enum class Request { kPlay, kHelp, kVersion, kShowPaths, kUsageError };

// Which directory the game runs in, and so where saves/ is, and who chose it.
enum class SaveHome {
  kCurrentDirectory,  // nothing chose: where the game was started
  kDirOption,         // --dir DIR
  kDirVariable,       // LANTERNVALE_DIR
  kUserDirectory,     // --user-dir: the player's own data directory
};

// The variables that stand in for options; an option given wins over them.
// An empty variable is read as unset.
struct OptionVariables {
  std::optional<std::string> directory;      // LANTERNVALE_DIR
  std::optional<std::string> colour;         // LANTERNVALE_COLOR
  std::optional<std::string> no_delay;       // LANTERNVALE_NO_DELAY: 1 or 0
  std::optional<std::string> screen_reader;  // LANTERNVALE_SCREEN_READER: 1 or 0
};

struct CommandLine {
  Request request = Request::kPlay;
  SaveHome save_home = SaveHome::kCurrentDirectory;
  std::string directory;  // the DIR of --dir or LANTERNVALE_DIR
  ColourChoice colour;
  bool no_delay = false;       // --no-delay: no pause anywhere
  bool screen_reader = false;  // --screen-reader: the map told in sentences too
  std::string problem;    // what is wrong, for kUsageError
  // Words that are no options, and everything after "--": the game takes no
  // file or other word, as it never did, so they are ignored. (A file dropped
  // on the program, or opened with it, arrives as one.)
  std::vector<std::string> ignored;
};

inline constexpr int kUsageErrorStatus = 2;
// A directory that can't be created or entered.
inline constexpr int kDirectoryErrorStatus = 1;
inline constexpr const char* kProgramName = "lanternvale";

// --help answers at once, whatever follows it; any other mistake in the
// options or the variables makes a usage error.
CommandLine parse_command_line(const std::vector<std::string>& arguments, const OptionVariables& variables);

// The help text of --help, also shown after a usage error.
std::string usage_text();

// The line that says which words were ignored.
std::string ignored_words_text(const std::vector<std::string>& ignored);

// The word of --color for a choice ("auto", "24bit", "none", ...).
const char* colour_choice_name(ColourChoice choice);

}  // namespace frontend
