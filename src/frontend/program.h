#pragma once
// Start-up and the menu loop: everything main does.

namespace frontend {

// The whole run: prepares the terminal and the game's tables, watches for the
// developer key, runs the menus until the player quits, gives the terminal
// back, and returns the process exit code.
int run_program();

// Start-up's short window for the developer key: 20000 keyboard checks in a
// row. A Tab among the keys read turns developer mode on; every key read here
// is consumed.
void watch_for_developer_key();

// Shows menus and screens until a menu quits; returns 0 after a quit, or a
// playthrough's error code. The cursor is visible again on return.
int run_menu_loop();

// A process exit status for a menu loop result: an error code that does not
// fit an exit status is capped, so that it can't read as success.
int exit_status_for(int menu_loop_result);

}  // namespace frontend
