#pragma once
// How a save's name (GBK bytes, as the player typed the world's name) becomes
// the name of its file in saves/ and back.
//
// A name is converted to UTF-8 and kept as it is, whatever the locale (the
// terminal's encoding is not the file system's), except for what a file name
// cannot hold: each such byte becomes "%" and two upper-case hex digits. Those
// are "/" and NUL everywhere; under Windows' rules also "\", ":", "*", "?",
// "<", ">", "|", '"' and the control characters, and the first letter of a
// device name (CON, NUL, COM1, ...). A GBK name that is no clean text keeps
// its bytes from 0x80 up as "%XY". A "%" of the name is written "%25" only
// where it would otherwise read as one of these escapes, so "100%" stays
// "100%". Two different names never share a file, and the same name always
// gives the same file.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace persistence {

// Every save is one file in this directory, under the directory the game runs in.
inline constexpr std::string_view kSaveDirectory = "saves";
inline constexpr std::string_view kSaveExtension = ".dat";

// "saves/" + name + ".dat" as the player knows it (the name's GBK bytes, not
// the file name they were mapped to), for messages.
std::string save_path_shown(std::string_view save_name);
// "saves/" + `file_name`, the name of a file in saves/ as the player is told it.
std::string path_shown_in_save_directory(std::string_view file_name);

// The path of `file_name` in the save directory; nothing when the name has no
// path on this system.
std::optional<std::filesystem::path> path_in_save_directory(std::string_view file_name);
// The path of the file that holds the save `save_name` here.
std::optional<std::filesystem::path> save_file_path(std::string_view save_name);

struct FileNaming {
  bool windows_rules = false;  // the characters and device names Windows refuses
};

// The naming of the running system.
FileNaming running_file_naming();

// The file stem (file name without ".dat") that holds the save `save_name`.
std::string stem_on_disk(std::string_view save_name, FileNaming naming);

// The save name whose stem on disk is `stem`, or nothing when no name maps to
// it (a file named by hand, or by a game that named files otherwise).
std::optional<std::string> save_name_of_stem(std::string_view stem, FileNaming naming);
// The name the save list shows for any stem: its save name, or else the
// stem's text as it stands (UTF-8 text as GBK; bytes that are no UTF-8, as
// the GBK a game in a locale of bytes named its files with).
std::string shown_name_of_stem(std::string_view stem, FileNaming naming);

// The stem of a save file's name: "a.dat" gives "a". Nothing when the name's
// extension is not exactly ".dat"; the extension starts at the last dot, and a
// dot that starts the name starts no extension (".dat" is no save).
std::optional<std::string_view> stem_of_save_file(std::string_view file_name);

}  // namespace persistence
