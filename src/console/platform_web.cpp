// The platform in a web browser: the game runs as WebAssembly in a page whose
// terminal is xterm.js. Keys come from the terminal as the bytes a Unix
// terminal sends and go through the same decoder; output goes to it as UTF-8;
// every wait hands the browser its thread back (Asyncify) until a key comes,
// the time is up or the terminal changed its size, so an idle game costs
// nothing. The page's side of each call is Module.host (web/src/game_host.js).
#include <emscripten.h>

#include <cmath>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "base/text_encoding.h"
#include "console/accessibility.h"
#include "console/escape_sequences.h"
#include "console/key_reader.h"
#include "console/line_editor.h"
#include "console/platform.h"
#include "console/terminal_encoding.h"
#include "console/terminal_output.h"

namespace console {
namespace {

// xterm.js reads and sends UTF-8, and nothing else.
constexpr TerminalEncoding kTerminalEncoding = TerminalEncoding::kUtf8;

// What a wait for input in the page ended with (GameHost.waitForInput).
enum PageWait { kInputCame = 0, kWaitTimedOut = 1, kTerminalResized = 2 };

// clang-format off
EM_JS(int, lv_input_size, (), { return Module.host.inputSize(); });
EM_JS(void, lv_take_input, (char* into, int size), { Module.host.takeInput(HEAPU8.subarray(into, into + size)); });
EM_JS(double, lv_input_clock, (), { return Module.host.inputClock(); });
EM_ASYNC_JS(int, lv_wait_for_input, (int timeout_ms), { return await Module.host.waitForInput(timeout_ms); });
EM_JS(void, lv_waiting_for_player, (), { Module.host.waitingForPlayer(); });
EM_JS(void, lv_write, (const char* bytes, int size), { Module.host.write(HEAPU8.slice(bytes, bytes + size)); });
EM_JS(int, lv_rows, (), { return Module.host.rows(); });
EM_JS(int, lv_columns, (), { return Module.host.columns(); });
EM_JS(void, lv_set_title, (const char* utf8), { Module.host.setTitle(UTF8ToString(utf8)); });
EM_JS(int, lv_program_url_size, (), { return lengthBytesUTF8(Module.host.programUrl()); });
EM_JS(void, lv_program_url, (char* into, int size), { stringToUTF8(Module.host.programUrl(), into, size + 1); });
EM_JS(void, lv_game_ended, (), { Module.host.gameEnded(); });
EM_JS(void, lv_follow_screen_reader, (), { Module.host.followScreenReader(); });
EM_JS(void, lv_announce, (const char* utf8), { Module.host.announce(UTF8ToString(utf8)); });
// clang-format on

// The terminal shows what the game wrote once the game waits: nothing the
// game does between two waits takes long (a world is generated in a few
// milliseconds; saves and loads wait for the storage).
void write_to_terminal(std::string_view terminal_bytes) {
  lv_write(terminal_bytes.data(), static_cast<int>(terminal_bytes.size()));
}

// The terminal's input, as it came from the page: one piece per key (or per
// paste), each with the time it arrived.
class PageInputSource final : public InputSource {
 public:
  Status read(std::string& bytes, int timeout_ms) override {
    for (;;) {
      if (const int size = lv_input_size(); size > 0) {
        const std::size_t at = bytes.size();
        bytes.resize(at + static_cast<std::size_t>(size));
        lv_take_input(bytes.data() + at, size);
        return Status::kBytes;
      }
      if (timeout_ms == 0) return Status::kTimedOut;
      if (timeout_ms < 0) lv_waiting_for_player();
      switch (lv_wait_for_input(timeout_ms)) {
        case kInputCame:
          continue;
        case kTerminalResized:
          // Like a signal on a terminal: the wait ends, and the frame loop
          // draws the screen again for its new size.
          note_screen_change();
          return Status::kTimedOut;
        default:
          return Status::kTimedOut;
      }
    }
  }

  // The page's clock, except that while keys wait in the page it stands at
  // the arrival of the first of them: keys that came while the game was busy
  // are read as if the game had been there when they came, so an Escape
  // typed well before an arrow stays an Escape.
  std::int64_t now_ms() override { return static_cast<std::int64_t>(std::floor(lv_input_clock())); }
};

class WebPlatform final : public Platform {
 public:
  void start() override;
  void restore() override;
  // The game draws on the page's only screen, which stays after the game.
  void keep_after_exit(const std::string&) override {}
  void enable_escape_sequences() override {}
  void untie_streams() override { std::cin.tie(nullptr); }
  bool key_waiting() override { return keys().key_waiting(); }
  int read_key() override { return keys().read_key(); }
  bool wait_for_key(int timeout_ms) override { return keys().wait_for_key(timeout_ms); }
  void settle_typed_keys() override { keys().settle(kSettleLimitMs); }
  // A page's terminal never hangs up: closing the tab ends everything at once.
  bool input_ended() override { return false; }
  std::optional<WindowSize> window_size() override;
  void sleep_ms(int milliseconds) override;
  std::int32_t clock_ms() override;
  void clear_screen() override;
  void set_title(const std::string& gbk_title) override;
  std::string program_path() override;
  void announce(const std::string& gbk_line) override { lv_announce(base::gbk_to_utf8(gbk_line).c_str()); }

 private:
  // Long enough for a key still arriving to settle.
  static constexpr int kSettleLimitMs = 4 * KeyDecoder::kSequenceTimeoutMs;

  void connect_streams();
  KeyReader& keys();

  bool started_ = false;
  bool restored_ = false;
  double begin_ms_ = 0;
  CursorTracker cursor_;
  // The streams keep pointing at these until the end of the run, so they are
  // never freed.
  PageInputSource* input_ = nullptr;
  KeyReader* keys_ = nullptr;
  LineEditor* line_editor_ = nullptr;
  LineInputBuffer* input_buffer_ = nullptr;
  TerminalOutputBuffer* output_buffer_ = nullptr;
  TerminalOutputBuffer* error_buffer_ = nullptr;
};

WebPlatform& web_platform() {
  static WebPlatform* const instance = new WebPlatform();
  return *instance;
}

void WebPlatform::start() {
  if (started_) return;
  started_ = true;
  begin_ms_ = emscripten_get_now();
  set_terminal_encoding(kTerminalEncoding);
  connect_streams();
  if (accessibility().screen_reader) lv_follow_screen_reader();
}

void WebPlatform::restore() {
  if (!started_ || restored_) return;
  restored_ = true;
  std::cout.flush();
  std::cerr.flush();
  std::string reset(kResetColours);
  reset += kShowCursor;
  write_to_terminal(reset);
  lv_game_ended();
}

std::optional<WindowSize> WebPlatform::window_size() {
  const int rows = lv_rows();
  const int columns = lv_columns();
  if (rows <= 0 || columns <= 0) return std::nullopt;
  return WindowSize{rows, columns};
}

// The browser paints what the game wrote while the game sleeps; keys typed
// meanwhile wait in the page, each with the time it came.
void WebPlatform::sleep_ms(int milliseconds) {
  if (milliseconds > 0) emscripten_sleep(static_cast<unsigned>(milliseconds));
}

std::int32_t WebPlatform::clock_ms() { return static_cast<std::int32_t>(emscripten_get_now() - begin_ms_); }

void WebPlatform::clear_screen() {
  // As the `clear` command clears a terminal, and as "cls" clears the
  // console: the screen and the lines scrolled off it.
  std::cout << kCursorHome << kEraseScreen << kEraseScrollback << std::flush;
  note_screen_change();
}

void WebPlatform::set_title(const std::string& gbk_title) { lv_set_title(base::gbk_to_utf8(gbk_title).c_str()); }

std::string WebPlatform::program_path() {
  // The program is the module the page loaded: its address stands for the path.
  std::string url(static_cast<std::size_t>(lv_program_url_size()), '\0');
  lv_program_url(url.data(), static_cast<int>(url.size()));
  return base::utf8_to_gbk(url);
}

void WebPlatform::connect_streams() {
  // The page has one screen: errors are shown on it like everything else.
  output_buffer_ = new TerminalOutputBuffer(write_to_terminal, kTerminalEncoding, &cursor_);
  error_buffer_ = new TerminalOutputBuffer(write_to_terminal, kTerminalEncoding);

  auto echo = [this, encoder = std::make_shared<OutputEncoder>(kTerminalEncoding)](std::string_view gbk) {
    cursor_.observe(gbk);
    note_output_written();
    write_to_terminal(encoder->encode(gbk));
  };
  auto start_column = [this] {
    const std::optional<WindowSize> size = window_size();
    return size ? cursor_.column() % size->columns : cursor_.column();
  };
  line_editor_ = new LineEditor(keys(), echo, start_column);
  input_buffer_ = new LineInputBuffer(*line_editor_);
  connect_standard_streams(output_buffer_, error_buffer_, input_buffer_);
}

KeyReader& WebPlatform::keys() {
  if (keys_ == nullptr) {
    input_ = new PageInputSource();
    keys_ = new KeyReader(*input_, kTerminalEncoding);
  }
  return *keys_;
}

}  // namespace

Platform& native_platform() { return web_platform(); }

}  // namespace console
