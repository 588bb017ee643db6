#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/command_line.h"

namespace {

using frontend::CommandLine;
using frontend::OptionVariables;
using frontend::Request;
using frontend::SaveHome;

// A parse result in one line: "error: <problem>", or the request, where the
// game runs, the colours, the switches on and the words ignored, e.g.
// "play dir:saves 256 no-delay [a]".
std::string outcome(const CommandLine& line) {
  if (line.request == Request::kUsageError) return "error: " + line.problem;
  const char* requests[] = {"play", "help", "version", "show-paths"};
  const std::string homes[] = {"here", "dir:" + line.directory, "variable:" + line.directory, "user"};
  std::string text = std::string(requests[static_cast<int>(line.request)]) + " " +
                     homes[static_cast<int>(line.save_home)] + " " + frontend::colour_choice_name(line.colour);
  if (line.no_delay) text += " no-delay";
  if (line.screen_reader) text += " screen-reader";
  for (const std::string& word : line.ignored) text += " [" + word + "]";
  return text;
}

struct Case {
  std::vector<std::string> arguments;
  OptionVariables variables;
  std::string outcome;
};

const OptionVariables kNone;
const OptionVariables kDirVariable = [] {
  OptionVariables variables;
  variables.directory = "v";
  return variables;
}();
OptionVariables colour_variable(const char* value) {
  OptionVariables variables;
  variables.colour = value;
  return variables;
}
OptionVariables switch_variables(const char* no_delay, const char* screen_reader) {
  OptionVariables variables;
  if (no_delay != nullptr) variables.no_delay = no_delay;
  if (screen_reader != nullptr) variables.screen_reader = screen_reader;
  return variables;
}

TEST(CommandLine, EachArgumentListGivesItsRequestOrItsUsageError) {
  const std::string colour_words = "auto, 24bit, 256, 16 or none";
  const std::vector<Case> cases = {
      {{}, kNone, "play here auto"},
      {{"-h"}, kNone, "help here auto"},
      // Help answers whatever follows it; a mistake before it still counts.
      {{"--help", "--bogus", "--dir"}, kNone, "help here auto"},
      {{"--bogus", "--help"}, kNone, "error: unknown option '--bogus'"},
      {{"-V"}, kNone, "version here auto"},
      {{"--show-paths", "--version", "--color=16"}, kNone, "version here 16"},
      {{"-Vh"}, kNone, "help here auto"},
      {{"-Vx"}, kNone, "error: unknown option '-x'"},
      {{"--version=1"}, kNone, "error: option '--version' takes no value"},
      {{"--versions"}, kNone, "error: unknown option '--versions'"},
      // Words that are no options are ignored (a file dropped on the game);
      // "--" ends the options.
      {{"saves/abc.dat"}, kNone, "play here auto [saves/abc.dat]"},
      {{"a", "--color=16", "--", "--help", "-V"}, kNone, "play here 16 [a] [--help] [-V]"},
      {{"-", "--", "--"}, kNone, "play here auto [-] [--]"},
      // Where the game runs: --dir over --user-dir over LANTERNVALE_DIR.
      {{"--dir", "世界"}, kNone, "play dir:世界 auto"},
      {{"--dir=-x", "--show-paths"}, kDirVariable, "show-paths dir:-x auto"},
      {{"--dir", "--help"}, kNone, "play dir:--help auto"},
      {{"--dir", "a", "--dir", "b"}, kNone, "play dir:b auto"},
      {{"--user-dir"}, kDirVariable, "play user auto"},
      {{}, kDirVariable, "play variable:v auto"},
      {{"--dir"}, kNone, "error: option '--dir' needs a directory"},
      {{"--dir="}, kNone, "error: option '--dir' needs a directory"},
      {{"--user-dir", "--dir", "a"}, kNone, "error: --dir and --user-dir can't be used together"},
      // Colours: every word, the option over the variable, nothing else.
      {{"--color=24bit"}, kNone, "play here 24bit"},
      {{"--color", "256"}, kNone, "play here 256"},
      {{"--color=none"}, colour_variable("256"), "play here none"},
      {{"--color=auto"}, colour_variable("nonsense"), "play here auto"},
      {{}, colour_variable("16"), "play here 16"},
      {{"--color=8"}, kNone, "error: invalid colour '8' for --color: use " + colour_words},
      {{"--color"}, kNone, "error: option '--color' needs one of " + colour_words},
      {{"-V"}, colour_variable("TrueColor"), "error: invalid LANTERNVALE_COLOR 'TrueColor': use " + colour_words},
      // The switches: on by the option whatever the variable says, else by
      // the variable's 1; 0 is off; anything else is a mistake.
      {{"--no-delay", "--screen-reader"}, kNone, "play here auto no-delay screen-reader"},
      {{"--screen-reader"}, switch_variables("0", "0"), "play here auto screen-reader"},
      {{}, switch_variables("1", "0"), "play here auto no-delay"},
      {{}, switch_variables(nullptr, "1"), "play here auto screen-reader"},
      {{"--no-delay=1"}, kNone, "error: option '--no-delay' takes no value"},
      {{"--no-delay"}, switch_variables(nullptr, "yes"), "error: invalid LANTERNVALE_SCREEN_READER 'yes': use 1 or 0"},
  };
  for (const Case& expected : cases) {
    std::string arguments;
    for (const std::string& argument : expected.arguments) arguments += " [" + argument + "]";
    EXPECT_EQ(outcome(frontend::parse_command_line(expected.arguments, expected.variables)), expected.outcome)
        << "arguments:" << arguments;
  }
}

}  // namespace
