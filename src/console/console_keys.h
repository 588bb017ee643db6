#pragma once
// The Windows console hands over keys already decoded, as key events: a
// virtual-key code, the character typed (if any) and the modifiers held.
// This turns one such event into the game's key codes (base/key_codes.h), as
// the C runtime's _getch would, without depending on how a console fills in
// the fields that _getch looks at: wine's console gives Escape no character
// and its _getch drops the function keys.

#include <optional>
#include <string>

#include "console/key_decoder.h"

namespace console {

struct ConsoleKeyEvent {
  bool key_down = true;
  int virtual_key = 0;
  // The GBK bytes of the character the key typed; empty when it typed none.
  std::string gbk_character;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// The key the event gives, or nothing for an event that is no key press (a
// key let go, a modifier alone, a key without a code of its own).
std::optional<KeyPress> key_of_console_event(const ConsoleKeyEvent& event);

}  // namespace console
