#include "console/accessibility.h"

#include "console/platform.h"

namespace console {
namespace {
Accessibility in_force;
}  // namespace

const Accessibility& accessibility() { return in_force; }

void set_accessibility(const Accessibility& wanted) {
  in_force = wanted;
  // A listener can't wait out pauses meant for the eye either.
  if (in_force.screen_reader) in_force.no_delay = true;
}

void pause_for_the_eye(int milliseconds) {
  if (!in_force.no_delay) platform().sleep_ms(milliseconds);
}

}  // namespace console
