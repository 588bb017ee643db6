#pragma once
// What the system hands the program before the terminal is touched: its
// arguments and environment, where the player's own files belong, and plain
// text on the standard streams. Defined by program_environment_posix.cpp and
// program_environment_windows.cpp.
//
// Text here is in the encoding of file names (files.h): UTF-8 on Windows,
// whatever the console's code page, and the bytes as given on POSIX systems.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace console {

// The very first thing the program does: standard input, output and error
// are made open, on the null device where one was closed. Otherwise the next
// file opened would take its number, and the game would wait for keys on its
// own wake-up pipe or write its frames into a save; a closed input now reads
// as the end of input.
void open_closed_standard_streams();

// The arguments after the program's name. Windows reads them from the system
// as Unicode, so a directory named in Chinese arrives whole.
std::vector<std::string> command_line_arguments(int argc, char** argv);

// The value of an environment variable, or nothing when it is unset.
std::optional<std::string> environment_variable(const char* name);

// The player's own directory for the game's files, as the system's custom
// places it (an XDG data directory, Application Support, the local
// application data). Nothing, with the reason in `why`, when the system does
// not say where the player's home is.
std::optional<std::filesystem::path> user_data_directory(std::string& why);

// Whether the words the game ignores on its command line are worth a line on
// standard error: in a Unix shell they are. On Windows, where a file dropped
// on the program or opened with it arrives as such a word in a console of its
// own, they are ignored silently.
bool tells_of_ignored_arguments();

// Whether the game draws in the Windows console, which shows 24-bit colour
// whatever the variables of a Unix terminal say.
bool runs_in_windows_console();

// The system and processor the program was built for, e.g. "Linux x86_64".
std::string platform_description();

enum class StandardStream { kOutput, kError };
// Writes text as it is, without escape sequences or the game's GBK, for the
// answers given before the terminal is set up (help, version, errors).
void write_plain_text(StandardStream stream, std::string_view text);

}  // namespace console
