#pragma once
// A terminal's screen in memory, libvterm's: the bytes written to it show as
// a terminal of that size would show them, its alternate screen included.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct VTerm;

namespace e2e {

struct Cursor {
  int row = 0;
  int column = 0;
  bool visible = true;
};

class VtermScreen {
 public:
  VtermScreen(int rows, int columns, bool utf8);
  ~VtermScreen();
  VtermScreen(const VtermScreen&) = delete;
  VtermScreen& operator=(const VtermScreen&) = delete;

  void write(std::string_view bytes);
  void resize(int rows, int columns);
  // Receives what the terminal answers to queries (the cursor's position,
  // device attributes), which a real one types into the program's input.
  void on_reply(std::function<void(std::string_view)> reply) { reply_ = std::move(reply); }

  // A row as UTF-8 without trailing blanks.
  std::string row(int index) const;
  std::vector<std::string> rows(int first, int count) const;
  std::string screen_text() const;  // every row, each followed by '\n'
  Cursor cursor() const;
  std::string title() const { return title_; }
  // Every row as its cells' characters and colours (RGB, the default ones
  // resolved), for comparing two screens as the eye sees them: a blank's
  // foreground colour, which shows nowhere, is left out.
  std::vector<std::string> cells_with_colours() const;
  // The text attributes of one cell: "b" bold, "u" underline, "r" reverse,
  // in that order; "" for plain text.
  std::string attributes(int row, int column) const;

 private:
  friend struct ScreenCallbacks;

  VTerm* vterm_ = nullptr;
  std::function<void(std::string_view)> reply_;
  std::string title_;
  bool cursor_visible_ = true;
};

}  // namespace e2e
