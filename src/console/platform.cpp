#include "console/platform.h"

namespace console {
namespace {
Platform* installed = nullptr;
std::uint64_t changes_of_the_screen = 0;
bool frame_writing = false;
}  // namespace

Platform& platform() { return installed ? *installed : native_platform(); }

void set_platform(Platform* replacement) { installed = replacement; }

std::uint64_t screen_changes() { return changes_of_the_screen; }

void note_screen_change() { ++changes_of_the_screen; }

void note_output_written() {
  if (!frame_writing) note_screen_change();
}

FrameWrite::FrameWrite() { frame_writing = true; }

FrameWrite::~FrameWrite() { frame_writing = false; }

}  // namespace console
