#pragma once
// The codes the console gives each key that has no character of its own
// (arrows, editing and function keys), alone and held with Shift, Ctrl or
// Alt. A terminal's escape sequences (key_decoder.cpp) and the Windows
// console's key events (console_keys.cpp) name such a key; these tables say
// what the game reads for it.

#include "base/key_codes.h"
#include "console/key_decoder.h"

namespace console {

// The modifiers held with a key, weakest first: when several are held the
// console gives the strongest one's code (Alt over Ctrl over Shift).
enum class Modifier : std::uint8_t { kNone, kShift, kCtrl, kAlt };

inline Modifier stronger(Modifier a, Modifier b) { return a > b ? a : b; }

// The codes the console gives for one key alone and with each modifier.
struct KeyForms {
  int lead;
  int plain;
  int shift;
  int ctrl;
  int alt_lead;
  int alt;

  KeyPress with(Modifier modifier) const {
    switch (modifier) {
      case Modifier::kNone: return KeyPress::extended(lead, plain);
      case Modifier::kShift: return KeyPress::extended(lead, shift);
      case Modifier::kCtrl: return KeyPress::extended(lead, ctrl);
      case Modifier::kAlt: return KeyPress::extended(alt_lead, alt);
    }
    return KeyPress::extended(lead, plain);
  }
};

// Arrows and editing keys: Shift changes nothing, Alt leads with 0.
constexpr KeyForms editing_key(int plain, int ctrl, int alt) {
  return {base::kLeadExtended, plain, plain, ctrl, base::kLeadZero, alt};
}

inline constexpr KeyForms kUpKey = editing_key(base::kUpArrow, base::kCtrlUpArrow, base::kAltUpArrow);
inline constexpr KeyForms kDownKey = editing_key(base::kDownArrow, base::kCtrlDownArrow, base::kAltDownArrow);
inline constexpr KeyForms kLeftKey = editing_key(base::kLeftArrow, base::kCtrlLeftArrow, base::kAltLeftArrow);
inline constexpr KeyForms kRightKey = editing_key(base::kRightArrow, base::kCtrlRightArrow, base::kAltRightArrow);
inline constexpr KeyForms kHomeKey = editing_key(base::kHome, base::kCtrlHome, base::kAltHome);
inline constexpr KeyForms kEndKey = editing_key(base::kEnd, base::kCtrlEnd, base::kAltEnd);
inline constexpr KeyForms kPageUpKey = editing_key(base::kPageUp, base::kCtrlPageUp, base::kAltPageUp);
inline constexpr KeyForms kPageDownKey = editing_key(base::kPageDown, base::kCtrlPageDown, base::kAltPageDown);
inline constexpr KeyForms kInsertKey = editing_key(base::kInsert, base::kCtrlInsert, base::kAltInsert);
inline constexpr KeyForms kDeleteKey = editing_key(base::kDelete, base::kCtrlDelete, base::kAltDelete);
inline constexpr KeyForms kF11Key = {base::kLeadExtended, base::kF11, base::kShiftF11, base::kCtrlF11,
                                     base::kLeadExtended, base::kAltF11};
inline constexpr KeyForms kF12Key = {base::kLeadExtended, base::kF12, base::kShiftF12, base::kCtrlF12,
                                     base::kLeadExtended, base::kAltF12};

// F1 (0) to F10 (9).
constexpr KeyForms function_key(int index) {
  return {base::kLeadZero, base::kF1 + index, base::kShiftF1 + index, base::kCtrlF1 + index, base::kLeadZero,
          base::kAltF1 + index};
}

}  // namespace console
