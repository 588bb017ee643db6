#pragma once
// What the player asked for to play without waiting or without sight
// (--no-delay, --screen-reader): settled once at start-up, before the
// platform starts, and asked by whatever paces or tells the game.

namespace console {

struct Accessibility {
  // No pause anywhere: a box is drawn at once, a fight told without pauses.
  bool no_delay = false;
  // The map is also told in sentences, for a screen reader; no_delay too.
  bool screen_reader = false;
};

const Accessibility& accessibility();
void set_accessibility(const Accessibility& wanted);

// A pause that paces what the player watches (a box line, a blow): none
// when the player asked for no delay.
void pause_for_the_eye(int milliseconds);

}  // namespace console
