#include "console/colour_mode.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>

#include "console/escape_sequences.h"
#include "console/program_environment.h"

namespace console {
namespace {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

// The colours the game uses, with the entries picked for them by eye. In 16
// colours the nearest entries would show silver and sky blue as the same
// white, so silver is the plain white (37), grey the bright black (90), and
// the four other levels take bright green, yellow, cyan and magenta: five
// colours apart on every palette, the Linux console's included. In 256
// colours silver and grey come from the grey ramp, the levels from the
// colour cube, each the entry nearest to it. Without colour the levels keep
// apart by the text attributes every terminal has (NO_COLOR allows them):
// level 0 plain like the frame, then underline, bold, both, and reverse
// video for the strongest. Each sequence starts from plain, so it says all
// there is to the text that follows, like a colour does.
struct PickedColour {
  Rgb rgb;
  int entry_256;
  int sgr_16;  // foreground; the background is 10 more
  std::string_view sgr_none;
};
constexpr std::array<PickedColour, 6> kPickedColours = {{
    {{192, 192, 192}, 250, 37, "0"},    // silver: level 0, the frame
    {{150, 150, 150}, 246, 90, "0"},    // grey: the location of a save
    {{153, 230, 77}, 113, 92, "0;4"},   // level 1
    {{255, 230, 93}, 221, 93, "0;1"},   // level 2
    {{135, 206, 235}, 117, 96, "0;1;4"},  // level 3
    {{138, 43, 226}, 92, 95, "0;7"},    // level 4
}};

// The 16 colours as xterm shows them by default, for colours not picked above.
struct SgrColour {
  Rgb rgb;
  int sgr;
};
constexpr std::array<SgrColour, 16> kSixteenColours = {{
    {{0, 0, 0}, 30},       {{205, 0, 0}, 31},     {{0, 205, 0}, 32},      {{205, 205, 0}, 33},
    {{0, 0, 238}, 34},     {{205, 0, 205}, 35},   {{0, 205, 205}, 36},    {{229, 229, 229}, 37},
    {{127, 127, 127}, 90}, {{255, 0, 0}, 91},     {{0, 255, 0}, 92},      {{255, 255, 0}, 93},
    {{92, 92, 255}, 94},   {{255, 0, 255}, 95},   {{0, 255, 255}, 96},    {{255, 255, 255}, 97},
}};

// The levels of each axis of the 256-colour cube (entries 16 to 231).
constexpr std::array<int, 6> kCubeLevels = {0, 95, 135, 175, 215, 255};
constexpr int kCubeFirst = 16;
constexpr int kGreyFirst = 232;  // 24 greys from 8 to 238, 10 apart
constexpr int kGreys = 24;

struct ModeName {
  ColourMode mode;
  const char* name;
};
constexpr std::array<ModeName, 4> kModeNames = {{
    {ColourMode::kTrueColour, "24bit"},
    {ColourMode::k256, "256"},
    {ColourMode::k16, "16"},
    {ColourMode::kNone, "none"},
}};

ColourMode mode_in_force = ColourMode::kTrueColour;

int distance(const Rgb& a, const Rgb& b) {
  return (a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b);
}

int nearest_cube_index(int value) {
  int best = 0;
  for (int index = 1; index < static_cast<int>(kCubeLevels.size()); ++index) {
    if (std::abs(kCubeLevels[index] - value) < std::abs(kCubeLevels[best] - value)) best = index;
  }
  return best;
}

int nearest_256(const Rgb& rgb) {
  const int r = nearest_cube_index(rgb.r), g = nearest_cube_index(rgb.g), b = nearest_cube_index(rgb.b);
  const Rgb cube{kCubeLevels[r], kCubeLevels[g], kCubeLevels[b]};
  const int grey = std::clamp(((rgb.r + rgb.g + rgb.b) / 3 - 8 + 5) / 10, 0, kGreys - 1);
  const int grey_value = 8 + 10 * grey;
  if (distance(rgb, Rgb{grey_value, grey_value, grey_value}) < distance(rgb, cube)) return kGreyFirst + grey;
  return kCubeFirst + 36 * r + 6 * g + b;
}

int nearest_16(const Rgb& rgb) {
  const auto closer = [&](const SgrColour& a, const SgrColour& b) { return distance(rgb, a.rgb) < distance(rgb, b.rgb); };
  return std::min_element(kSixteenColours.begin(), kSixteenColours.end(), closer)->sgr;
}

const PickedColour* picked(const Rgb& rgb) {
  for (const PickedColour& colour : kPickedColours) {
    if (colour.rgb == rgb) return &colour;
  }
  return nullptr;
}

bool is_one_of(const std::optional<std::string>& value, std::initializer_list<std::string_view> words) {
  return value && std::find(words.begin(), words.end(), *value) != words.end();
}

// xterm-256color, screen-256color, tmux-256color, rxvt-unicode-256color ...
bool names_256_colours(const std::string& term) { return term.find("256col") != std::string::npos; }

// The terminfo names of terminals that take 24-bit colour directly (xterm-direct).
bool names_direct_colour(const std::string& term) { return term.ends_with("-direct"); }

}  // namespace

ColourMode choose_colour_mode(const ColourEnvironment& environment) {
  if (environment.asked) return *environment.asked;
  if (environment.no_color) return ColourMode::kNone;
  if (is_one_of(environment.colorterm, {"truecolor", "24bit"}) || environment.windows_console) {
    return ColourMode::kTrueColour;
  }
  const std::string term = environment.term.value_or("");
  if (names_direct_colour(term)) return ColourMode::kTrueColour;
  return names_256_colours(term) ? ColourMode::k256 : ColourMode::k16;
}

ColourEnvironment colour_environment(std::optional<ColourMode> asked) {
  return ColourEnvironment{asked, environment_variable("NO_COLOR"), environment_variable("COLORTERM"),
                           environment_variable("TERM"), runs_in_windows_console()};
}

const char* colour_mode_name(ColourMode mode) {
  for (const ModeName& entry : kModeNames) {
    if (entry.mode == mode) return entry.name;
  }
  return "24bit";
}

std::optional<ColourMode> colour_mode_named(std::string_view word) {
  for (const ModeName& entry : kModeNames) {
    if (word == entry.name) return entry.mode;
  }
  return std::nullopt;
}

ColourMode colour_mode() { return mode_in_force; }

void set_colour_mode(ColourMode mode) { mode_in_force = mode; }

std::string colour_sequence(ColourMode mode, ColourLayer layer, int r, int g, int b) {
  const bool foreground = layer == ColourLayer::kForeground;
  if (mode == ColourMode::kTrueColour) {
    return std::string(foreground ? kForegroundRgb : kBackgroundRgb) + std::to_string(r) + ';' + std::to_string(g) +
           ';' + std::to_string(b) + 'm';
  }
  const Rgb rgb{std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255)};
  const PickedColour* known = picked(rgb);
  if (mode == ColourMode::kNone) {
    if (known == nullptr || !foreground) return {};
    return std::string(kCsi) + std::string(known->sgr_none) + kGraphicRenditionEnd;
  }
  if (mode == ColourMode::k256) {
    const int entry = known != nullptr ? known->entry_256 : nearest_256(rgb);
    return std::string(foreground ? kForeground256 : kBackground256) + std::to_string(entry) + 'm';
  }
  const int sgr = known != nullptr ? known->sgr_16 : nearest_16(rgb);
  return std::string(kCsi) + std::to_string(foreground ? sgr : sgr + 10) + 'm';
}

}  // namespace console
