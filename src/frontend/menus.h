#pragma once
// The three menus: Chinese (`show`), English (`show_en`) and the developer
// prompt (`show_dev`). Each draws itself, reads one key and either plays a
// world itself or tells the menu loop what to do next.

#include <string>

namespace frontend {

// Menu results. A positive result is a playthrough's error code.
inline constexpr int kShowIntroduction = -1;
inline constexpr int kBackFromPlaythrough = -2;
inline constexpr int kChooseLanguage = -3;
inline constexpr int kShowDebugInfo = -4;
inline constexpr int kQuit = 0;

int show();
int show_en();
int show_dev();

// What the menus do with their key, besides drawing. The playthrough plays on
// a freshly constructed game and gives the play method's result.
struct MenuKeyTable {
  int (*playthrough)();
  void (*farewell_on_quit_key)();   // after "3"; nullptr for none
  void (*farewell_on_other_key)();  // after any unlisted key; nullptr for none
};

// The menu result for `key`. End of input counts as the quit key "3".
int act_on_menu_key(int key, const MenuKeyTable& table);

// 0 takes the player back to the menu; a positive code clears the screen,
// reports "Error:" and its message on standard error and becomes the result.
int menu_result_after_playthrough(int playthrough_result);

// The message text of a playthrough error code.
std::string error_message(int code);

}  // namespace frontend
