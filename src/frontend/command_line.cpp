#include "frontend/command_line.h"

#include <array>
#include <string_view>
#include <utility>

namespace frontend {
namespace {

constexpr const char* kAutoColour = "auto";
constexpr const char* kColourWordList = "auto, 24bit, 256, 16 or none";

// The choice a word of --color makes; nothing when the word is none of them.
std::optional<ColourChoice> colour_of(std::string_view word) {
  if (word == kAutoColour) return ColourChoice();
  const ColourChoice mode = console::colour_mode_named(word);
  if (!mode) return std::nullopt;
  return mode;
}

CommandLine usage_error(std::string problem) {
  CommandLine line;
  line.request = Request::kUsageError;
  line.problem = std::move(problem);
  return line;
}

CommandLine help() {
  CommandLine line;
  line.request = Request::kHelp;
  return line;
}

// What the options said, before the variables fill the gaps.
struct Given {
  bool version = false;
  bool show_paths = false;
  bool user_directory = false;
  bool no_delay = false;
  bool screen_reader = false;
  std::optional<std::string> directory;
  std::optional<ColourChoice> colour;
};

// The outcome of one argument: nothing to do yet, or the answer already.
using Step = std::optional<CommandLine>;

Step take_short_options(std::string_view letters, Given& given) {
  for (const char letter : letters) {
    if (letter == 'h') return help();
    if (letter != 'V') return usage_error("unknown option '-" + std::string(1, letter) + "'");
    given.version = true;
  }
  return std::nullopt;
}

// An option's value: after "=" in the same argument, or the next argument.
std::optional<std::string> take_value(const std::vector<std::string>& arguments, std::size_t& at,
                                      std::optional<std::string> attached) {
  if (attached) return attached;
  if (at + 1 >= arguments.size()) return std::nullopt;
  return arguments[++at];
}

Step take_valued_option(const std::string& name, std::optional<std::string> value, Given& given) {
  if (name == "--dir") {
    if (!value || value->empty()) return usage_error("option '--dir' needs a directory");
    given.directory = std::move(value);
    return std::nullopt;
  }
  if (!value) return usage_error(std::string("option '--color' needs one of ") + kColourWordList);
  given.colour = colour_of(*value);
  if (!given.colour) return usage_error("invalid colour '" + *value + "' for --color: use " + kColourWordList);
  return std::nullopt;
}

// The options that take no value, and the one each sets; --help sets none,
// it answers at once.
struct Flag {
  std::string_view name;
  bool Given::*sets;
};
constexpr std::array<Flag, 6> kFlags = {{{"--help", nullptr},
                                         {"--version", &Given::version},
                                         {"--show-paths", &Given::show_paths},
                                         {"--user-dir", &Given::user_directory},
                                         {"--no-delay", &Given::no_delay},
                                         {"--screen-reader", &Given::screen_reader}}};

const Flag* flag_named(std::string_view name) {
  for (const Flag& flag : kFlags) {
    if (flag.name == name) return &flag;
  }
  return nullptr;
}

// An option that is on or off: on when given, else as its variable says.
// Nothing when the variable says neither.
std::optional<bool> switch_of(bool given, const std::optional<std::string>& variable) {
  if (given || !variable) return given;
  if (*variable == "1") return true;
  if (*variable == "0") return false;
  return std::nullopt;
}

Step take_long_option(const std::vector<std::string>& arguments, std::size_t& at, Given& given) {
  const std::string& argument = arguments[at];
  const std::size_t equals = argument.find('=');
  const std::string name = argument.substr(0, equals);
  std::optional<std::string> attached;
  if (equals != std::string::npos) attached = argument.substr(equals + 1);

  if (name == "--dir" || name == "--color") return take_valued_option(name, take_value(arguments, at, attached), given);
  if (const Flag* flag = flag_named(name)) {
    if (attached) return usage_error("option '" + name + "' takes no value");
    if (flag->sets == nullptr) return help();
    given.*(flag->sets) = true;
    return std::nullopt;
  }
  return usage_error("unknown option '" + name + "'");
}

// The variables fill in what no option said; then the request is settled.
CommandLine settle(const Given& given, const OptionVariables& variables, std::vector<std::string> ignored) {
  if (given.directory && given.user_directory) return usage_error("--dir and --user-dir can't be used together");
  CommandLine line;
  line.ignored = std::move(ignored);
  if (given.colour) {
    line.colour = *given.colour;
  } else if (variables.colour) {
    const std::optional<ColourChoice> colour = colour_of(*variables.colour);
    if (!colour) return usage_error("invalid LANTERNVALE_COLOR '" + *variables.colour + "': use " + kColourWordList);
    line.colour = *colour;
  }
  const std::optional<bool> no_delay = switch_of(given.no_delay, variables.no_delay);
  if (!no_delay) return usage_error("invalid LANTERNVALE_NO_DELAY '" + *variables.no_delay + "': use 1 or 0");
  const std::optional<bool> screen_reader = switch_of(given.screen_reader, variables.screen_reader);
  if (!screen_reader) {
    return usage_error("invalid LANTERNVALE_SCREEN_READER '" + *variables.screen_reader + "': use 1 or 0");
  }
  line.no_delay = *no_delay;
  line.screen_reader = *screen_reader;
  if (given.directory) {
    line.save_home = SaveHome::kDirOption;
    line.directory = *given.directory;
  } else if (given.user_directory) {
    line.save_home = SaveHome::kUserDirectory;
  } else if (variables.directory) {
    line.save_home = SaveHome::kDirVariable;
    line.directory = *variables.directory;
  }
  if (given.version) {
    line.request = Request::kVersion;
  } else if (given.show_paths) {
    line.request = Request::kShowPaths;
  }
  return line;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& arguments, const OptionVariables& variables) {
  Given given;
  std::vector<std::string> ignored;
  bool options_ended = false;
  for (std::size_t at = 0; at < arguments.size(); ++at) {
    const std::string& argument = arguments[at];
    Step step;
    if (argument == "--" && !options_ended) {
      options_ended = true;
    } else if (options_ended || argument.size() < 2 || argument[0] != '-') {
      ignored.push_back(argument);
    } else if (argument[1] != '-') {
      step = take_short_options(std::string_view(argument).substr(1), given);
    } else {
      step = take_long_option(arguments, at, given);
    }
    if (step) return std::move(*step);
  }
  return settle(given, variables, std::move(ignored));
}

std::string usage_text() {
  return std::string("Usage: ") + kProgramName +
         " [OPTION]...\n"
         "Lanternvale: Silent Rivers, a text-mode sandbox game with cultivation elements.\n"
         "With no option it runs in the current directory and keeps its worlds in saves/ there.\n"
         "\n"
         "  -h, --help        show this help and exit\n"
         "  -V, --version     show the version, the platform and the colours, and exit\n"
         "      --dir DIR     run in DIR (created when missing): saves go to DIR/saves\n"
         "      --user-dir    run in the player's own data directory\n"
         "      --color=WHEN  colours: auto (what the terminal says), 24bit, 256, 16 or none\n"
         "      --show-paths  show where saves go and why, and exit\n"
         "      --no-delay    no pauses: menus drawn at once, fights told without waiting\n"
         "      --screen-reader\n"
         "                    for a screen reader: after each step a line says where you\n"
         "                    are and what is near, L says it again, S reads your\n"
         "                    statistics (implies --no-delay)\n"
         "\n"
         "LANTERNVALE_DIR stands for --dir, LANTERNVALE_COLOR for --color, and\n"
         "LANTERNVALE_NO_DELAY=1 and LANTERNVALE_SCREEN_READER=1 for --no-delay and\n"
         "--screen-reader; the options win.\n"
         "Words that are not options are ignored; \"--\" ends the options.\n"
         "Exit status: 0 after a quit, 1 when the directory can't be used, 2 for a usage error.\n";
}

std::string ignored_words_text(const std::vector<std::string>& ignored) {
  std::string text = std::string(kProgramName) + ": ignored";
  for (std::size_t at = 0; at < ignored.size(); ++at) text += (at == 0 ? " '" : ", '") + ignored[at] + "'";
  return text + ": the game takes no arguments but its options\n";
}

const char* colour_choice_name(ColourChoice choice) {
  return choice ? console::colour_mode_name(*choice) : kAutoColour;
}

}  // namespace frontend
