// The frame loop: the map around the player, the encounters on the player's
// cell, at most one key, and the status lines, frame after frame; for a
// screen reader, below them, what happened said in sentences.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/key_codes.h"
#include "console/accessibility.h"
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
                                              : console::FrameScreen::Mode::kChanges) {
    if (console::accessibility().screen_reader && voice.reads_for_screen_readers()) {
      reader_.emplace();
      tell_surroundings();
      tell(voice.reader_keys);
      // Nothing of the prompts stays beside the sentences, for the eye or
      // for a screen reader's review.
      layout_changed_ = true;
    }
  }

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
    if (std::exchange(step_to_tell_, false)) tell_surroundings();
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
    finish(canvas);
    present(canvas);
    if (!key_was_waiting && screen_.known()) platform.wait_for_key(console::kNoTimeLimit);
    return Next::kGoOn;
  }

  // Below the view: the status lines, then what the screen reader is told.
  void finish(console::Canvas& canvas) {
    if (!shape_) return;
    canvas.write(compose_status(world_.localplayer, voice_, f3_, status_width_));
    if (!reader_) return;
    if (f3_) canvas.write("\n");  // the status lines shown end without one
    reader_->compose(canvas);
  }

  void present(const console::Canvas& canvas) {
    screen_.present(canvas, size_, layout_changed_);
    layout_changed_ = false;
    for (const std::string& line : to_announce_) console::platform().announce(line);
    to_announce_.clear();
  }

  // A line for the screen reader, shown with the next frame.
  void tell(std::string line) {
    to_announce_.push_back(line);
    reader_->add(std::move(line));
  }

  void tell_surroundings() { tell(voice_.surroundings(look_around(world_, kFullView.rows / 2))); }

  // The frame as far as it goes, on the screen for the player to read what
  // it tells, then a key: its first code.
  int show_and_wait(const console::Canvas& canvas) {
    console::Canvas shown = canvas;
    finish(shown);
    present(shown);
    return console::platform().read_key();
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
    const int reader_rows = reader_ ? kReaderRows : 0;
    const std::optional<ViewShape> shape = view_shape_for(voice_, size_, reader_rows);
    if (shape != shape_) layout_changed_ = true;
    shape_ = shape;
    status_width_ = size_ ? size_->columns : kAnyWidth;
    console::Canvas canvas = canvas_for(size_, reader_rows);
    if (shape) {
      compose_view(world_, voice_, *shape, canvas);
    } else {
      compose_too_small(voice_, *size_, canvas, reader_rows);
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
    if (reader_) return tell_what_is_here(canvas, type, here);
    present(canvas);
    told = true;
    if (type == kTreasureCell) return pick_up_treasure(world_, voice_);
    return after_fight(fight_monster(world_, voice_), here);
  }

  Next after_fight(FightEnd end, Position here) {
    // The monster of a stalemate stays; it is fought again once the player
    // comes back.
    if (end == FightEnd::kStalemate) stalemate_at_ = here;
    return end == FightEnd::kDied ? Next::kDied : Next::kGoOn;
  }

  // The encounter for a screen reader: its line goes below the status
  // lines with the frame. A treasure, and a death, wait for a key once it
  // is on the screen (where a sighted player has a pause to read it).
  Next tell_what_is_here(const console::Canvas& canvas, int type, Position here) {
    if (type == kTreasureCell) {
      tell(take_treasure_told(world_, voice_) + voice_.press_a_key);
      return show_and_wait(canvas) == base::kEndOfInput ? Next::kLeave : Next::kGoOn;
    }
    std::string summary;
    const FightEnd end = fight_monster_told(world_, voice_, summary);
    if (end != FightEnd::kDied) {
      tell(summary);
      return after_fight(end, here);
    }
    tell(summary + voice_.press_a_key);
    // The whole key: the menu comes next, where the second code of an arrow
    // would quit the game.
    const int key = show_and_wait(canvas);
    if (key == base::kLeadZero || key == base::kLeadExtended) console::platform().read_key();
    return Next::kDied;
  }

  // One key, or a lead code and its second code.
  Next handle_key() {
    console::Platform& platform = console::platform();
    const int key = platform.read_key();
    if (key == base::kEndOfInput || key == base::kEscape) return Next::kLeave;
    if (key == base::kCtrlL) screen_.forget();
    if (reader_ && base::is_letter_key(key, base::kLookKey)) tell_surroundings();
    if (reader_ && base::is_letter_key(key, base::kStatusKey)) tell(status_sentences(world_.localplayer, voice_));
    if (key != base::kLeadZero && key != base::kLeadExtended) return Next::kGoOn;
    const int second = platform.read_key();
    if (second == base::kEndOfInput) return Next::kLeave;
    switch (second) {
      case base::kUpArrow:
        step(Direction::kUp);
        break;
      case base::kDownArrow:
        step(Direction::kDown);
        break;
      case base::kLeftArrow:
        step(Direction::kLeft);
        break;
      case base::kRightArrow:
        step(Direction::kRight);
        break;
      case base::kF3:
        f3_ = !f3_;
        break;
      default:
        break;
    }
    return Next::kGoOn;
  }

  // A step, or a step refused, is told to a screen reader as where the
  // player stands after it, with the next frame, whose view shows it.
  void step(Direction direction) {
    move_player(world_, direction, voice_.refuses_moves_onto_monsters);
    step_to_tell_ = reader_.has_value();
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
  // What a screen reader is told, when the player asked for it.
  std::optional<ReaderPage> reader_;
  std::vector<std::string> to_announce_;  // told since the last frame was shown
  bool step_to_tell_ = false;
};

}  // namespace

int run_frame_loop(game& world, const Voice& voice, persistence::SaveSlot& slot, Redraw redraw) {
  return FrameLoop(world, voice, slot, redraw).run();
}

}  // namespace play
