// The frame loop: the map around the player, the encounters on the player's
// cell, at most one key, and the status lines, frame after frame.
#include <optional>
#include <string>

#include "base/key_codes.h"
#include "console/platform.h"
#include "console/canvas.h"
#include "play/engine.h"
#include "play/frame.h"
#include "play/rules.h"

namespace play {
namespace {

struct Position {
  int x = 0;
  int y = 0;
  bool operator==(const Position&) const = default;
};

class FrameLoop {
 public:
  FrameLoop(game& world, const Voice& voice, persistence::SaveSlot& slot, Redraw redraw)
      : world_(world),
        voice_(voice),
        slot_(slot),
        screen_(redraw == Redraw::kEverything ? console::FrameScreen::Mode::kEverything
                                              : console::FrameScreen::Mode::kChanges) {}

  int run() {
    for (;;) {
      switch (play_frame()) {
        case Next::kGoOn:
          break;
        case Next::kLeave:
          if (const std::optional<int> end = leave()) return *end;
          break;
        case Next::kDied:
          return 0;
      }
    }
  }

 private:
  // The view, the encounters on the player's cell, at most one key and the
  // status lines; then, if no key was waiting, asleep until a key comes or
  // the screen changes. A frame like the last one writes nothing.
  Next play_frame() {
    console::Canvas canvas = begin_frame();
    bool told = false;
    const Next encounter = meet_what_is_here(canvas, told);
    if (encounter != Next::kGoOn) return encounter;
    console::Platform& platform = console::platform();
    const bool key_was_waiting = platform.key_waiting();
    if (key_was_waiting && handle_key() == Next::kLeave) {
      if (!told) present(canvas);  // without status lines: Escape leaves before them
      return Next::kLeave;
    }
    if (told) {
      // The status lines follow what the encounter told, where it ended;
      // the screen is then no frame's, and the next frame comes at once,
      // whole, as it would with no sleep at all.
      if (shape_) say(compose_status(world_.localplayer, voice_, f3_, status_width_));
      return Next::kGoOn;
    }
    if (shape_) canvas.write(compose_status(world_.localplayer, voice_, f3_, status_width_));
    present(canvas);
    if (!key_was_waiting && screen_.known()) platform.wait_for_key(console::kNoTimeLimit);
    return Next::kGoOn;
  }

  void present(const console::Canvas& canvas) {
    screen_.present(canvas, size_, layout_changed_);
    layout_changed_ = false;
  }

  // Escape saves and ends the playthrough. A save that failed was told; the
  // world is still here, so the player is back in it (and may free some
  // room and press Escape again), unless nobody is there any more.
  std::optional<int> leave() {
    if (save_at_escape(world_, voice_, slot_)) return 0;
    if (console::platform().input_ended()) return kWorldNotSaved;
    clear_to_top_left();
    return std::nullopt;
  }

  Position position() const { return Position{world_.localplayer.x, world_.localplayer.y}; }

  // The view as much of it as the window holds, or in a window too small
  // for the smallest view the line that says so. The screen is cleared when
  // one gives way to another, so nothing of the one before stays; the first
  // full view is drawn over the prompts.
  console::Canvas begin_frame() {
    size_ = console::platform().window_size();
    const std::optional<ViewShape> shape = view_shape_for(voice_, size_);
    if (shape != shape_) layout_changed_ = true;
    shape_ = shape;
    status_width_ = size_ ? size_->columns : kAnyWidth;
    console::Canvas canvas = canvas_for(size_);
    if (shape) {
      compose_view(world_, voice_, *shape, canvas);
    } else {
      compose_too_small(voice_, *size_, canvas);
    }
    return canvas;
  }

  // The treasure first, then the fight. Their messages follow the frame
  // drawn so far, which is put on the screen before them; `told` says they
  // came.
  Next meet_what_is_here(const console::Canvas& canvas, bool& told) {
    const Position here = position();
    if (stalemate_at_ && *stalemate_at_ != here) stalemate_at_.reset();
    if (!in_world(here.x, here.y)) return Next::kGoOn;
    const int type = world_.cell(here.x, here.y).type;
    const bool fight_here = type == kMonsterCell && stalemate_at_ != here;
    if (type != kTreasureCell && !fight_here) return Next::kGoOn;
    present(canvas);
    told = true;
    if (type == kTreasureCell) return pick_up_treasure(world_, voice_);
    switch (fight_monster(world_, voice_)) {
      case FightEnd::kDied:
        return Next::kDied;
      case FightEnd::kStalemate:
        // The monster stays; it is fought again once the player comes back.
        stalemate_at_ = here;
        break;
      case FightEnd::kWon:
        break;
    }
    return Next::kGoOn;
  }

  // One key, or a lead code and its second code.
  Next handle_key() {
    console::Platform& platform = console::platform();
    const int key = platform.read_key();
    if (key == base::kEndOfInput || key == base::kEscape) return Next::kLeave;
    if (key == base::kCtrlL) screen_.forget();
    if (key != base::kLeadZero && key != base::kLeadExtended) return Next::kGoOn;
    const int second = platform.read_key();
    if (second == base::kEndOfInput) return Next::kLeave;
    const bool refuse = voice_.refuses_moves_onto_monsters;
    switch (second) {
      case base::kUpArrow:
        move_player(world_, Direction::kUp, refuse);
        break;
      case base::kDownArrow:
        move_player(world_, Direction::kDown, refuse);
        break;
      case base::kLeftArrow:
        move_player(world_, Direction::kLeft, refuse);
        break;
      case base::kRightArrow:
        move_player(world_, Direction::kRight, refuse);
        break;
      case base::kF3:
        f3_ = !f3_;
        break;
      default:
        break;
    }
    return Next::kGoOn;
  }

  game& world_;
  const Voice& voice_;
  persistence::SaveSlot& slot_;
  console::FrameScreen screen_;
  std::optional<console::WindowSize> size_;  // the window's, as the frame was composed
  bool f3_ = false;
  // The view last drawn; nothing while the window is too small for any.
  std::optional<ViewShape> shape_ = kFullView;
  bool layout_changed_ = false;
  int status_width_ = kAnyWidth;
  // The cell of a fight that nobody could win, while the player stays on it.
  std::optional<Position> stalemate_at_;
};

}  // namespace

int run_frame_loop(game& world, const Voice& voice, persistence::SaveSlot& slot, Redraw redraw) {
  return FrameLoop(world, voice, slot, redraw).run();
}

}  // namespace play
