#include "console/platform.h"

namespace console {
namespace {
Platform* installed = nullptr;
}

Platform& platform() { return installed ? *installed : native_platform(); }

void set_platform(Platform* replacement) { installed = replacement; }

}  // namespace console
