// The platform on the Windows console. Keys are read as the console's key
// events and text is written with its wide calls, so neither depends on the
// console's code pages nor on what the C runtime's console functions make of
// a console; the screen is cleared with the console's own functions, as
// "cls" clears it, but without a child process that could change the
// console's state behind the game's back.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "base/text_encoding.h"
#include "base/text_encoding_windows.h"
#include "console/console_keys.h"
#include "console/escape_sequences.h"
#include "console/platform.h"
#include "console/terminal_output.h"

namespace console {
namespace {

// GBK: Chinese shows on a console of any language.
constexpr UINT kGbkCodePage = 936;
// Long-path names ("\\?\...") reach 32767 characters.
constexpr DWORD kLongestPath = 32768;
// Older consoles refuse a single write much beyond 64 KiB; a frame is far less.
constexpr std::size_t kLargestWrite = 16 * 1024;

// The console as the game found it, given back at every end: the console
// keeps its code pages and modes after the program is gone.
struct FoundConsole {
  UINT input_code_page = 0;  // 0: nothing to give back
  UINT output_code_page = 0;
  std::optional<DWORD> input_mode;
  std::optional<DWORD> output_mode;
};
FoundConsole found;
volatile LONG given_back = 0;

std::optional<DWORD> mode_of(HANDLE handle) {
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode) == 0) return std::nullopt;
  return mode;
}

bool is_console(HANDLE handle) { return mode_of(handle).has_value(); }

HANDLE standard_output() { return GetStdHandle(STD_OUTPUT_HANDLE); }
HANDLE standard_input() { return GetStdHandle(STD_INPUT_HANDLE); }

// Hands `text` over piece by piece, as much as each write takes. Errors are
// ignored: there is nowhere left to report them.
template <typename Text, typename Write>
void write_in_pieces(Text text, Write write) {
  while (!text.empty()) {
    DWORD written = 0;
    const auto piece = static_cast<DWORD>(std::min(text.size(), kLargestWrite));
    if (!write(text.data(), piece, &written) || written == 0) return;
    text.remove_prefix(written);
  }
}

void write_file(HANDLE handle, std::string_view bytes) {
  write_in_pieces(bytes, [handle](const char* data, DWORD size, DWORD* written) {
    return WriteFile(handle, data, size, written, nullptr) != 0;
  });
}

void write_console(HANDLE handle, std::wstring_view text) {
  write_in_pieces(text, [handle](const wchar_t* data, DWORD size, DWORD* written) {
    return WriteConsoleW(handle, data, size, written, nullptr) != 0;
  });
}

// The line ends of a text-mode stream.
std::string with_text_mode_line_ends(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (const char c : bytes) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::wstring wide(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

bool running_under_wine() {
  HMODULE system_library = GetModuleHandleW(L"ntdll.dll");
  return system_library != nullptr && GetProcAddress(system_library, "wine_get_version") != nullptr;
}

// Wine's console in a Unix terminal interprets no escape sequence: it keeps
// every character written, the bytes of a sequence among them, in a screen
// buffer of its own, and copies what changed there to the terminal, which
// then interprets the sequences. To the console a row of the map is some 450
// characters, so in a window 100 wide it breaks the row, with a line feed,
// every 100 characters, inside colour sequences as well. In a terminal 100
// columns wide, under wine 8,
//     for (int i = 0; i < 21; ++i) WriteConsoleA(out, "\x1b[38;2;192;192;192mAB", 21, &n, nullptr);
// shows "92mABAB..." and the like at the starts of the lines that follow.
// It also shows its own cursor after every write, whatever the sequences
// said. Windows interprets the sequences in the console itself. Under wine
// the console is made to hand the game's output to the terminal untouched:
// its buffer is made far wider than any write, so it breaks no line; its own
// cursor is hidden, so the game's sequences alone show and hide the cursor;
// and a write starts at the buffer's top-left corner, so the console never
// scrolls, with the terminal's cursor kept at the end of each write
// (kSaveCursor) and taken back (kRestoreCursor) after the console has moved it
// to that corner. When something else moved the console's cursor since (its
// echo of a typed line, a clear), the write simply goes on from there.
class WineConsolePassage {
 public:
  void start(HANDLE output) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!running_under_wine() || GetConsoleScreenBufferInfo(output, &info) == 0) return;
    CONSOLE_CURSOR_INFO cursor;
    if (GetConsoleCursorInfo(output, &cursor) != 0) {
      cursor.bVisible = FALSE;
      SetConsoleCursorInfo(output, &cursor);
    }
    SetConsoleScreenBufferSize(output, COORD{kBufferColumns, info.dwSize.Y});
    active_ = true;
  }

  bool active() const { return active_; }

  void write(HANDLE output, std::wstring_view text) {
    while (!text.empty()) {
      const std::size_t length = piece_length(text);
      write_piece(output, text.substr(0, length));
      text.remove_prefix(length);
    }
  }

 private:
  // Far more than a piece: the console never reaches the buffer's edge.
  static constexpr SHORT kBufferColumns = 16384;
  static constexpr std::size_t kLongestPiece = 4096;

  // A piece ends before an escape sequence, so none is cut, and before a
  // carriage return that is no line end: the console would write what
  // follows over what the piece wrote before it on the same row, and then
  // send the row's cells, not the bytes as they came.
  static std::size_t piece_length(std::wstring_view text) {
    std::size_t cut = 0;
    for (std::size_t at = 1; at < text.size(); ++at) {
      const bool bare_return = text[at] == L'\r' && (at + 1 == text.size() || text[at + 1] != L'\n');
      if (bare_return) return at;
      if (text[at] == L'\x1b') {
        if (at > kLongestPiece && cut != 0) return cut;
        cut = at;
      }
    }
    return text.size() > kLongestPiece && cut != 0 ? cut : text.size();
  }

  void write_piece(HANDLE output, std::wstring_view piece) {
    std::wstring text;
    // A carriage return goes on along the row it returns to.
    if (saved_ && piece.front() != L'\r' && same_place(console_cursor(output), left_at_)) {
      SetConsoleCursorPosition(output, COORD{0, 0});
      text = wide(kRestoreCursor);
    }
    text += piece;
    text += wide(kSaveCursor);
    write_console(output, text);
    saved_ = true;
    left_at_ = console_cursor(output);
  }

  static std::optional<COORD> console_cursor(HANDLE output) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(output, &info) == 0) return std::nullopt;
    return info.dwCursorPosition;
  }

  static bool same_place(const std::optional<COORD>& a, const std::optional<COORD>& b) {
    return a && b && a->X == b->X && a->Y == b->Y;
  }

  bool active_ = false;
  bool saved_ = false;
  std::optional<COORD> left_at_;
};

WineConsolePassage wine_passage;

// What one flush of std::cout hands over: in one write, so the console shows a
// frame whole, with the line ends of a text-mode stream ("\r\n"). A console
// gets the text as UTF-16; a file or a pipe the game's GBK bytes. Once the
// console is given back (Ctrl+C, the window closing, on the console's own
// thread), the game writes nothing more: a frame still on its way would hide
// the cursor again.
void write_to_console(std::string_view utf8) {
  if (given_back != 0) return;
  const std::wstring text = base::utf16_of(with_text_mode_line_ends(utf8));
  if (wine_passage.active()) {
    wine_passage.write(standard_output(), text);
  } else {
    write_console(standard_output(), text);
  }
}

void write_to_file(std::string_view gbk) {
  if (given_back == 0) write_file(standard_output(), with_text_mode_line_ends(gbk));
}

// Safe from the console's control thread too: no streams, only console calls.
void give_console_back() {
  if (InterlockedExchange(&given_back, 1) != 0) return;
  HANDLE output = standard_output();
  if (is_console(output)) {
    std::wstring reset = wide(kResetColours);
    reset += wide(kShowCursor);
    write_console(output, reset);
  }
  if (found.input_mode) SetConsoleMode(standard_input(), *found.input_mode);
  if (found.output_mode) SetConsoleMode(output, *found.output_mode);
  if (found.input_code_page != 0) SetConsoleCP(found.input_code_page);
  if (found.output_code_page != 0) SetConsoleOutputCP(found.output_code_page);
}

// Ctrl+C, Ctrl+Break and closing the window end the process without running
// the C runtime's exit handlers; the console is given back here first.
BOOL WINAPI on_console_control(DWORD) {
  give_console_back();
  return FALSE;  // the default handler ends the process
}

// The keys of the console's key events, one code at a time: the codes of a
// key that has more than one wait here for the following reads.
class ConsoleKeys {
 public:
  void start(HANDLE input) {
    input_ = input;
    console_ = is_console(input);
    // Wine's console begins to read its terminal at the first question about
    // the input, not at a wait: asked now, a key typed before the start is
    // there for the start-up window.
    DWORD waiting = 0;
    if (console_) GetNumberOfConsoleInputEvents(input, &waiting);
  }

  bool key_waiting() {
    if (!waiting_codes_.empty() || !console_) return true;
    // The handle is signalled while events wait: a look at it is far cheaper
    // than asking the console, and the start-up window asks 20000 times.
    if (WaitForSingleObject(input_, 0) != WAIT_OBJECT_0) return false;
    INPUT_RECORD event;
    DWORD count = 0;
    while (PeekConsoleInputW(input_, &event, 1, &count) != 0 && count == 1) {
      if (key_of(event)) return true;
      // Events that make no key (keys let go, Shift pressed, the mouse, the
      // focus) would keep the input signalled: they go.
      take();
    }
    return false;
  }

  int read_key() {
    if (waiting_codes_.empty() && !read_keys()) return base::kEndOfInput;
    const int code = waiting_codes_.front();
    waiting_codes_.pop_front();
    return code;
  }

  // Sleeps on the console's input until a key comes or the time is up. A
  // wait without limit also ends when the window changed its size.
  bool wait_for_key(int timeout_ms) {
    const bool without_limit = timeout_ms < 0;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(without_limit ? 0 : timeout_ms);
    const std::uint64_t changes = screen_changes();
    for (;;) {
      if (key_waiting()) return true;
      if (without_limit && screen_changes() != changes) return false;
      DWORD wait = INFINITE;
      if (!without_limit) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        wait = static_cast<DWORD>(deadline - now);
      }
      if (WaitForSingleObject(input_, wait) == WAIT_FAILED) return true;  // the input is gone
    }
  }

  bool input_ended() const { return ended_ || !console_; }

 private:
  static std::optional<KeyPress> key_of(const INPUT_RECORD& event) {
    if (event.EventType != KEY_EVENT) return std::nullopt;
    const KEY_EVENT_RECORD& key = event.Event.KeyEvent;
    ConsoleKeyEvent console_event;
    console_event.key_down = key.bKeyDown != 0;
    console_event.virtual_key = key.wVirtualKeyCode;
    const wchar_t character = key.uChar.UnicodeChar;
    // Half a surrogate pair is no character the game could hold.
    if (character != 0 && (character < 0xD800 || character > 0xDFFF)) {
      console_event.gbk_character = base::utf8_to_gbk(base::utf8_of(std::wstring_view(&character, 1)).value_or("?"));
    }
    const DWORD held = key.dwControlKeyState;
    console_event.shift = (held & SHIFT_PRESSED) != 0;
    console_event.ctrl = (held & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
    console_event.alt = (held & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0;
    return key_of_console_event(console_event);
  }

  // Takes one event out of the console's input; true if it made a key.
  bool take() {
    INPUT_RECORD event;
    DWORD count = 0;
    if (ReadConsoleInputW(input_, &event, 1, &count) == 0 || count != 1) {
      ended_ = true;
      return false;
    }
    if (event.EventType == WINDOW_BUFFER_SIZE_EVENT) note_screen_change();
    const std::optional<KeyPress> key = key_of(event);
    if (!key) return false;
    for (int index = 0; index < key->size; ++index) {
      waiting_codes_.push_back(key->codes[static_cast<std::size_t>(index)]);
    }
    return true;
  }

  // Waits for the next key and puts its codes in waiting_codes_; false once
  // the input is gone.
  bool read_keys() {
    if (!console_) return false;
    while (!ended_) {
      if (take()) return true;
    }
    return false;
  }

  HANDLE input_ = nullptr;
  bool console_ = false;
  std::deque<int> waiting_codes_;
  bool ended_ = false;
};

class WindowsPlatform final : public Platform {
 public:
  void start() override {
    if (started_) return;
    started_ = true;
    start_clock_ = std::clock();
    HANDLE input = standard_input();
    HANDLE output = standard_output();
    found.input_code_page = GetConsoleCP();
    found.output_code_page = GetConsoleOutputCP();
    found.input_mode = mode_of(input);
    found.output_mode = mode_of(output);
    SetConsoleCP(kGbkCodePage);
    SetConsoleOutputCP(kGbkCodePage);
    set_terminal_encoding(TerminalEncoding::kGbk);
    SetConsoleCtrlHandler(on_console_control, TRUE);
    std::atexit(restore_at_exit);
    output_is_console_ = found.output_mode.has_value();
    if (output_is_console_) wine_passage.start(output);
    // A change of the window's size comes as an event: waits end at it.
    if (found.input_mode) SetConsoleMode(input, *found.input_mode | ENABLE_WINDOW_INPUT);
    keys_.start(input);
    connect_output();
  }

  // The console keeps what the game wrote last after the game has ended.
  void keep_after_exit(const std::string&) override {}

  void restore() override {
    if (!started_) return;
    std::cout.flush();
    std::cerr.flush();
    give_console_back();
  }

  void enable_escape_sequences() override {
    HANDLE output = standard_output();
    DWORD mode = 0;
    GetConsoleMode(output, &mode);
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return;
    mode |= ENABLE_VIRTUAL_TERMINAL_PROCESSING;
    SetConsoleMode(output, mode);
  }

  // start() already stopped the streams' synchronisation with stdio, before it
  // replaced the output's buffer; doing it now would replace it again.
  void untie_streams() override { std::cin.tie(nullptr); }

  bool key_waiting() override { return keys_.key_waiting(); }
  int read_key() override { return keys_.read_key(); }
  bool wait_for_key(int timeout_ms) override { return keys_.wait_for_key(timeout_ms); }

  // The console hands whole keys: nothing is ever half received.
  void settle_typed_keys() override {}

  // Closing the console window ends the process through the control
  // handler; input that is no console gives no keys at all.
  bool input_ended() override { return keys_.input_ended(); }

  std::optional<WindowSize> window_size() override {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(standard_output(), &info) == 0) return std::nullopt;
    return WindowSize{info.srWindow.Bottom - info.srWindow.Top + 1, info.srWindow.Right - info.srWindow.Left + 1};
  }
  void sleep_ms(int milliseconds) override { Sleep(static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds)); }

  // The runtime's clock() counts wall-clock time since the process started.
  std::int32_t clock_ms() override {
    const std::clock_t elapsed = std::clock() - start_clock_;
    return static_cast<std::int32_t>(static_cast<long long>(elapsed) * 1000 / CLOCKS_PER_SEC);
  }

  // As "cls" clears a console: every cell of the buffer blank, its lines
  // scrolled out of sight among them, the cursor at the top-left corner.
  void clear_screen() override {
    std::cout.flush();
    HANDLE output = standard_output();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(output, &info) != 0) {
      const COORD corner{0, 0};
      const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
      DWORD written = 0;
      FillConsoleOutputCharacterW(output, L' ', cells, corner, &written);
      FillConsoleOutputAttribute(output, info.wAttributes, cells, corner, &written);
      SetConsoleCursorPosition(output, corner);
    } else {
      // A file or a pipe: the sequences a terminal is cleared with.
      std::cout << kCursorHome << kEraseScreen << std::flush;
    }
    note_screen_change();
  }

  void set_title(const std::string& gbk_title) override { SetConsoleTitleA(gbk_title.c_str()); }

  // GetModuleFileNameA would give the path in the system's ANSI code page,
  // which shows as garbage on a console switched to 936 wherever that page is
  // not 936 itself: the wide path is converted to GBK instead.
  std::string program_path() override {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD size = static_cast<DWORD>(path.size());
      const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
      if (length == 0) return "";
      if (length < size) {
        path.resize(length);
        const std::optional<std::string> utf8 = base::utf8_of(path);
        return utf8 ? base::utf8_to_gbk(*utf8) : "";
      }
      // Cut to fit: try again with room for the longest path Windows has.
      if (size >= kLongestPath) return "";
      path.resize(kLongestPath);
    }
  }

 private:
  static void restore_at_exit() { native_platform().restore(); }

  // The C runtime's stream would hand a frame to the console in 512-byte
  // pieces, each drawn at once: the map would flicker as it is redrawn. The
  // buffer is never freed: the streams flush it once more at exit.
  void connect_output() {
    connect_standard_streams(output_is_console_
                                 ? new TerminalOutputBuffer(write_to_console, TerminalEncoding::kUtf8)
                                 : new TerminalOutputBuffer(write_to_file, TerminalEncoding::kGbk));
  }

  bool started_ = false;
  bool output_is_console_ = false;
  std::clock_t start_clock_ = 0;
  ConsoleKeys keys_;
};

}  // namespace

Platform& native_platform() {
  // Never destroyed: the exit handler may still use it after static destructors.
  static WindowsPlatform* const instance = new WindowsPlatform();
  return *instance;
}

}  // namespace console
