// The platform on the Windows console, where most services are one console or
// C runtime call: the console itself decodes keys and clears the screen.
#include <windows.h>

#include <conio.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>
#include <string_view>

#include "base/text_encoding.h"
#include "base/text_encoding_windows.h"
#include "console/escape_sequences.h"
#include "console/platform.h"
#include "console/terminal_output.h"

namespace console {
namespace {

// GBK: Chinese shows on a console of any language.
constexpr UINT kGbkCodePage = 936;
// Long-path names ("\\?\...") reach 32767 characters.
constexpr DWORD kLongestPath = 32768;

// The code pages found at start; the console keeps its code pages after the
// program ends, so they must be given back. 0: nothing to give back.
UINT found_input_code_page = 0;
UINT found_output_code_page = 0;
volatile LONG given_back = 0;

// Older consoles refuse a single write much beyond 64 KiB; a frame is far less.
constexpr std::size_t kLargestWrite = 32 * 1024;

// A resize makes no console event the game can wait on: a wait without time
// limit looks at the window's size this often.
constexpr DWORD kSizeCheckMs = 250;
// The rest between two looks at input that is there but makes no key yet.
constexpr DWORD kRestMs = 4;

bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// Errors are ignored: there is nowhere left to report them.
void write_all(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const auto piece = static_cast<DWORD>(std::min(bytes.size(), kLargestWrite));
    if (WriteFile(handle, bytes.data(), piece, &written, nullptr) == 0 || written == 0) return;
    bytes.remove_prefix(written);
  }
}

// What one flush of std::cout hands over: in one write, so the console shows a
// frame whole, with the line ends of a text-mode stream ("\r\n").
void write_standard_output(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (const char c : bytes) {
    if (c == '\n') out += '\r';
    out += c;
  }
  write_all(GetStdHandle(STD_OUTPUT_HANDLE), out);
}

bool is_modifier(WORD virtual_key) {
  switch (virtual_key) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
      return true;
    default:
      return false;
  }
}

// Called when the input handle is signalled but _kbhit sees no key: the
// events waiting (focus, mouse, keys released, Shift pressed) would keep the
// handle signalled, so they are taken out of the way when none of them can
// still become a key. Otherwise, or on input that is no console, a short
// rest keeps the wait from spinning.
void drop_events_without_keys(HANDLE input) {
  INPUT_RECORD events[64];
  DWORD count = 0;
  if (PeekConsoleInputW(input, events, 64, &count) == 0 || count == 0) {
    Sleep(kRestMs);
    return;
  }
  for (DWORD i = 0; i < count; ++i) {
    const bool key_down = events[i].EventType == KEY_EVENT && events[i].Event.KeyEvent.bKeyDown;
    if (key_down && !is_modifier(events[i].Event.KeyEvent.wVirtualKeyCode)) {
      Sleep(kRestMs);
      return;
    }
  }
  ReadConsoleInputW(input, events, count, &count);
}

// Safe from the console's control thread too: no streams, only console calls.
void give_console_back() {
  if (InterlockedExchange(&given_back, 1) != 0) return;
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (is_console(output)) {
    write_all(output, kResetColours);
    write_all(output, kShowCursor);
  }
  if (found_input_code_page != 0) SetConsoleCP(found_input_code_page);
  if (found_output_code_page != 0) SetConsoleOutputCP(found_output_code_page);
}

// Ctrl+C, Ctrl+Break and closing the window end the process without running
// the C runtime's exit handlers; the code pages are given back here first.
BOOL WINAPI on_console_control(DWORD) {
  give_console_back();
  return FALSE;  // the default handler ends the process
}

class WindowsPlatform final : public Platform {
 public:
  void start() override {
    if (started_) return;
    started_ = true;
    start_clock_ = std::clock();
    found_input_code_page = GetConsoleCP();
    found_output_code_page = GetConsoleOutputCP();
    SetConsoleCP(kGbkCodePage);
    SetConsoleOutputCP(kGbkCodePage);
    set_terminal_encoding(TerminalEncoding::kGbk);
    SetConsoleCtrlHandler(on_console_control, TRUE);
    std::atexit(restore_at_exit);
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
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    GetConsoleMode(output, &mode);
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return;
    mode |= ENABLE_VIRTUAL_TERMINAL_PROCESSING;
    SetConsoleMode(output, mode);
  }

  // start() already stopped the streams' synchronisation with stdio, before it
  // replaced the output's buffer; doing it now would replace it again.
  void untie_streams() override { std::cin.tie(nullptr); }

  bool key_waiting() override { return _kbhit() != 0; }
  int read_key() override { return _getch(); }

  // The console has no way to wait on _kbhit itself: the input handle is
  // signalled by any console event (mouse, focus, resize), so wait on it and
  // ask _kbhit again until a key is there or the time is up. Without a time
  // limit, a change of the window's size ends the wait too.
  bool wait_for_key(int timeout_ms) override {
    const bool without_limit = timeout_ms < 0;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(without_limit ? 0 : timeout_ms);
    const std::optional<WindowSize> size = window_size();
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    for (;;) {
      if (_kbhit() != 0) return true;
      DWORD slice = kSizeCheckMs;
      if (!without_limit) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        slice = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kSizeCheckMs));
      }
      if (WaitForSingleObject(input, slice) == WAIT_OBJECT_0 && _kbhit() == 0) drop_events_without_keys(input);
      if (without_limit && window_size() != size) {
        note_screen_change();
        return false;
      }
    }
  }

  // The console hands whole keys: nothing is ever half received.
  void settle_typed_keys() override {}

  // Closing the console window ends the process through the control
  // handler; the console's input itself never ends.
  bool input_ended() override { return false; }

  std::optional<WindowSize> window_size() override {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) == 0) return std::nullopt;
    return WindowSize{info.srWindow.Bottom - info.srWindow.Top + 1, info.srWindow.Right - info.srWindow.Left + 1};
  }
  void sleep_ms(int milliseconds) override { Sleep(static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds)); }

  // The runtime's clock() counts wall-clock time since the process started.
  std::int32_t clock_ms() override {
    const std::clock_t elapsed = std::clock() - start_clock_;
    return static_cast<std::int32_t>(static_cast<long long>(elapsed) * 1000 / CLOCKS_PER_SEC);
  }

  void clear_screen() override {
    std::cout.flush();
    std::system("cls");
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
  static void connect_output() {
    // Stopping the synchronisation replaces the streams' buffers, so it comes first.
    std::ios::sync_with_stdio(false);
    std::cout.rdbuf(new TerminalOutputBuffer(write_standard_output, TerminalEncoding::kGbk));
  }

  bool started_ = false;
  std::clock_t start_clock_ = 0;
};

}  // namespace

Platform& native_platform() {
  // Never destroyed: the exit handler may still use it after static destructors.
  static WindowsPlatform* const instance = new WindowsPlatform();
  return *instance;
}

}  // namespace console
