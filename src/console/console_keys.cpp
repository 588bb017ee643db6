#include "console/console_keys.h"

#include "base/key_codes.h"
#include "console/key_forms.h"

namespace console {
namespace {

// The Windows virtual-key codes of the keys without a character.
constexpr int kVirtualEscape = 0x1B;
constexpr int kVirtualPageUp = 0x21;
constexpr int kVirtualPageDown = 0x22;
constexpr int kVirtualEnd = 0x23;
constexpr int kVirtualHome = 0x24;
constexpr int kVirtualLeft = 0x25;
constexpr int kVirtualUp = 0x26;
constexpr int kVirtualRight = 0x27;
constexpr int kVirtualDown = 0x28;
constexpr int kVirtualInsert = 0x2D;
constexpr int kVirtualDelete = 0x2E;
constexpr int kVirtualF1 = 0x70;
constexpr int kVirtualF10 = 0x79;
constexpr int kVirtualF11 = 0x7A;
constexpr int kVirtualF12 = 0x7B;

std::optional<KeyForms> forms_of(int virtual_key) {
  switch (virtual_key) {
    case kVirtualUp: return kUpKey;
    case kVirtualDown: return kDownKey;
    case kVirtualLeft: return kLeftKey;
    case kVirtualRight: return kRightKey;
    case kVirtualHome: return kHomeKey;
    case kVirtualEnd: return kEndKey;
    case kVirtualPageUp: return kPageUpKey;
    case kVirtualPageDown: return kPageDownKey;
    case kVirtualInsert: return kInsertKey;
    case kVirtualDelete: return kDeleteKey;
    case kVirtualF11: return kF11Key;
    case kVirtualF12: return kF12Key;
    default: break;
  }
  if (virtual_key >= kVirtualF1 && virtual_key <= kVirtualF10) return function_key(virtual_key - kVirtualF1);
  return std::nullopt;
}

Modifier modifier_of(const ConsoleKeyEvent& event) {
  if (event.alt) return Modifier::kAlt;
  if (event.ctrl) return Modifier::kCtrl;
  return event.shift ? Modifier::kShift : Modifier::kNone;
}

}  // namespace

std::optional<KeyPress> key_of_console_event(const ConsoleKeyEvent& event) {
  if (!event.key_down) return std::nullopt;
  if (!event.gbk_character.empty()) return KeyPress::character(event.gbk_character);
  if (event.virtual_key == kVirtualEscape) {
    const char escape = base::kEscape;
    return KeyPress::character(std::string_view(&escape, 1));
  }
  const std::optional<KeyForms> forms = forms_of(event.virtual_key);
  if (!forms) return std::nullopt;
  return forms->with(modifier_of(event));
}

}  // namespace console
