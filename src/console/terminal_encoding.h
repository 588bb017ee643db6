#pragma once
// What the terminal's bytes are, decided once at start-up from the locale's
// name and used both ways: by the output's encoder, by the key decoder and by
// the widths the line editor echoes with. Only the name counts: a UTF-8 locale
// that is not installed, the C locale and no locale at all are still read by
// what is almost always a UTF-8 terminal, and the conversion needs no
// installed locale. Windows has its console's code page instead.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace console {

enum class TerminalEncoding : std::uint8_t {
  kGbk,   // the game's GBK bytes pass unchanged
  kUtf8,  // each GBK character is written, and read, as UTF-8
};

// The variables that decide it (an empty one is read as unset).
struct EncodingEnvironment {
  std::optional<std::string> asked;  // LANTERNVALE_ENCODING: utf-8 or gbk
  std::optional<std::string> lc_all, lc_ctype, lang;
};

// GBK when LANTERNVALE_ENCODING says gbk, or else when the first of LC_ALL,
// LC_CTYPE and LANG that is set names a GBK codeset (GBK, GB2312, GB18030,
// CP936, EUC-CN), installed or not; UTF-8 for everything else.
TerminalEncoding choose_terminal_encoding(const EncodingEnvironment& environment);
// This process's variables.
EncodingEnvironment encoding_environment();

// The encoding of the terminal in use: UTF-8 until start-up sets it.
TerminalEncoding terminal_encoding();
void set_terminal_encoding(TerminalEncoding encoding);

// The one rule of widths: the columns one character (its GBK bytes) takes on
// such a terminal. A GBK terminal gives every two- or four-byte character two
// columns; a UTF-8 one gives two to the East Asian wide and full-width
// characters (from a table of their ranges, not from an installed locale) and
// one to the rest.
int character_columns(std::string_view gbk_character, TerminalEncoding encoding);

// GBK text cut to the characters that fit in `columns` columns of the
// terminal in use.
std::string cut_to_columns(std::string_view gbk, int columns);

}  // namespace console
