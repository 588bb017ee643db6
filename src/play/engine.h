#pragma once
// The one engine of the three playthroughs: choose or create a world, then
// the frame loop with its encounters, until Escape or death. A voice says how
// each step is shown.

#include <optional>
#include <string>
#include <string_view>

#include "persistence/result.h"
#include "persistence/save_slot.h"
#include "play/voice.h"
#include "world/game.h"

namespace play {

// One playthrough on a freshly constructed game. Returns 0 at every end but
// one: kWorldNotSaved when the player was gone (the terminal closed, a
// termination request, the end of piped input) and the world could not be
// saved, which nobody could then be told in the game.
inline constexpr int kWorldNotSaved = 1;
int playthrough(game& world, const Voice& voice);

// The pieces the playthrough is made of, each in its own file.

// Lists the saves, reads the answers and creates or opens the world, which
// the returned slot holds (locked) for the rest of the playthrough. Nothing
// when there is nothing to play: input ended at a prompt, another game has
// the world, or the save could not be opened.
std::optional<persistence::SaveSlot> choose_world(game& world, const Voice& voice);

// Runs frames until Escape, the end of input or death; the world is saved to
// `slot`, and the result is the playthrough's. A frame is written as what
// changed on the screen; kEverything writes each one whole, as a reference
// for the tests.
enum class Redraw { kChanges, kEverything };
int run_frame_loop(game& world, const Voice& voice, persistence::SaveSlot& slot, Redraw redraw = Redraw::kChanges);

// How an encounter, or a key, leaves the playthrough.
enum class Next { kGoOn, kLeave, kDied };

// The treasure on the player's cell: told, taken, and a key awaited. kLeave
// when input ended at that wait.
Next pick_up_treasure(game& world, const Voice& voice);

// The fight on the player's cell. A stalemate leaves the monster alive and
// is told in one line; the caller keeps it from starting again at once.
enum class FightEnd { kWon, kStalemate, kDied };
FightEnd fight_monster(game& world, const Voice& voice);

// The same for a screen reader, each in one line for the caller to show:
// the treasure taken; the fight fought, its summary in `summary`.
std::string take_treasure_told(game& world, const Voice& voice);
FightEnd fight_monster_told(game& world, const Voice& voice, std::string& summary);

// Escape: the world is saved to its slot, and if that fails the player is
// told why, once the program has ended too when the player is gone. True
// when it was saved.
bool save_at_escape(game& world, const Voice& voice, persistence::SaveSlot& slot);

// Shared output steps.
// Written and flushed at once.
void say(std::string_view text);
void clear_to_top_left();
// `text` with every control byte shown as '?', so a name or a message read
// from a file cannot move the cursor or send the terminal a command.
std::string printable(std::string_view text);
// One line about a failed save or load, in the voice's words; waits for a key.
void tell_and_wait(const std::string& lead_in, const persistence::Problem& problem, const Voice& voice);

}  // namespace play
