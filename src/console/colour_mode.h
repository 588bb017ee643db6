#pragma once
// The colours the terminal can show, decided once at start-up and asked by
// everything that writes a colour. A 24-bit terminal gets the game's colours
// exactly; a 256- or 16-colour one gets entries picked so that the map's five
// levels stay five different colours; with no colour, every glyph is still
// drawn, only without colour sequences.

#include <optional>
#include <string>
#include <string_view>

namespace console {

enum class ColourMode { kTrueColour, k256, k16, kNone };

// What decides the mode, as the environment gives it (an empty variable is
// read as unset).
struct ColourEnvironment {
  std::optional<ColourMode> asked;       // --color, else LANTERNVALE_COLOR; nothing for auto
  std::optional<std::string> no_color;   // NO_COLOR
  std::optional<std::string> colorterm;  // COLORTERM
  std::optional<std::string> term;       // TERM
  bool windows_console = false;          // the Windows console shows 24-bit colour
};

// The mode asked for, or else the one the terminal says it can show.
ColourMode choose_colour_mode(const ColourEnvironment& environment);
// This process's environment, with the mode asked for (nothing: auto).
ColourEnvironment colour_environment(std::optional<ColourMode> asked);

// The word of --color and LANTERNVALE_COLOR for a mode ("24bit", "256", "16",
// "none"), and the mode of such a word.
const char* colour_mode_name(ColourMode mode);
std::optional<ColourMode> colour_mode_named(std::string_view word);

// The mode in force: 24-bit until start-up sets it.
ColourMode colour_mode();
void set_colour_mode(ColourMode mode);

enum class ColourLayer { kForeground, kBackground };
// The sequence that sets a colour in `mode`; empty in kNone. In 24-bit the
// numbers are written as given, without range checks.
std::string colour_sequence(ColourMode mode, ColourLayer layer, int r, int g, int b);

}  // namespace console
