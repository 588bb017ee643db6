#pragma once
// The process from its first instruction: the command line is answered
// before anything touches the terminal, then the game runs where it was told.

#include <string>
#include <vector>

namespace frontend {

// Reads the arguments (those after the program's name) and the variables
// that stand in for options; answers --help, --version and --show-paths, or
// makes the chosen directory the working one and runs the game. Returns the
// process exit status.
int launch(const std::vector<std::string>& arguments);

}  // namespace frontend
