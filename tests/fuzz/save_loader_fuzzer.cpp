// libFuzzer target for the save loader. A real save is 80 MiB, nearly all of
// it cells, so the harness builds one around the fuzzer's bytes and short
// inputs still reach the trailer and the treasure list:
//   input  = c (1 byte), then the file's own bytes
//   stream = name, LF, seed and c cell images from the input; zero (empty)
//            images for the rest of the grid; then the rest of the input.
// An input that ends before its c images is the whole file, cut short. The
// format itself is untouched: the loader reads a real save's bytes.
// Built and run by scripts/fuzz.sh.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "persistence/save_file.h"
#include "world/game.h"

namespace {

using persistence::kCellBlockBytes;
using persistence::kCellImageBytes;

// The three pieces of the stream, read in order.
class SynthesisedSave final : public persistence::ByteSource {
 public:
  SynthesisedSave(std::string_view head, std::uint64_t zeros, std::string_view tail)
      : head_(head), zeros_(zeros), tail_(tail) {}

  std::optional<std::uint64_t> size(std::string&) override { return head_.size() + zeros_ + tail_.size(); }

  bool read(void* into, std::size_t size, std::size_t& got, std::string&) override {
    auto* out = static_cast<char*>(into);
    got = 0;
    while (got < size) {
      const std::size_t before = got;
      if (at_ < head_.size()) {
        got += copy_from(head_.substr(at_), out + got, size - got);
      } else if (at_ < head_.size() + zeros_) {
        const std::size_t count = std::min<std::uint64_t>(size - got, head_.size() + zeros_ - at_);
        std::memset(out + got, 0, count);
        got += count;
      } else {
        got += copy_from(tail_.substr(std::min<std::uint64_t>(at_ - head_.size() - zeros_, tail_.size())), out + got,
                         size - got);
      }
      at_ += got - before;
      if (got == before) break;  // the end
    }
    return true;
  }

 private:
  static std::size_t copy_from(std::string_view piece, char* out, std::size_t room) {
    const std::size_t count = std::min(piece.size(), room);
    if (count > 0) std::memcpy(out, piece.data(), count);  // an empty piece may have no data
    return count;
  }

  std::string_view head_;
  std::uint64_t zeros_;
  std::string_view tail_;
  std::uint64_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // One game for every input: constructing 80 MiB each time would leave
  // little time for fuzzing, and a load overwrites whatever it reads.
  static game* const world = new game;
  const std::uint64_t given_images = data[0];
  const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t line_end = file.find('\n');
  const std::uint64_t head_size = line_end + 1 + persistence::kSeedBytes + given_images * kCellImageBytes;
  const bool whole = line_end != std::string_view::npos && head_size <= file.size();
  SynthesisedSave save(whole ? file.substr(0, head_size) : file,
                       whole ? kCellBlockBytes - given_images * kCellImageBytes : 0,
                       whole ? file.substr(head_size) : std::string_view());
  const persistence::Result loaded = persistence::load_world(*world, save, "saves/fuzz.dat");
  if (loaded.ok != (loaded.problem.kind == persistence::Problem::Kind::kNone)) std::abort();
  const game::player& player = world->localplayer;
  if (loaded.ok && (player.x < -512 || player.x > 511 || player.y < -512 || player.y > 511)) std::abort();
  return 0;
}
