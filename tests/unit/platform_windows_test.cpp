// The Windows console side of the platform, on the console itself. Tests that
// need a console skip without one (wine gives one only when started from a
// terminal: scripts/test-windows.sh runs the tests under `script` for that).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <string>

#include "base/text_encoding.h"
#include "console/platform.h"
#include "console/terminal_encoding.h"

namespace {

HANDLE open_console_output() {
  return CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

bool have_console() {
  HANDLE output = open_console_output();
  if (output == INVALID_HANDLE_VALUE) return false;
  CloseHandle(output);
  return true;
}

#define SKIP_WITHOUT_CONSOLE() \
  if (!have_console()) GTEST_SKIP() << "no console: run the tests from a terminal"

// The tests' output goes to a log, not the console; while one of these lives,
// the platform's standard output is the console itself.
class ConsoleAsStandardOutput {
 public:
  ConsoleAsStandardOutput() : console_(open_console_output()), saved_(GetStdHandle(STD_OUTPUT_HANDLE)) {
    SetStdHandle(STD_OUTPUT_HANDLE, console_);
  }
  ~ConsoleAsStandardOutput() {
    SetStdHandle(STD_OUTPUT_HANDLE, saved_);
    CloseHandle(console_);
  }
  ConsoleAsStandardOutput(const ConsoleAsStandardOutput&) = delete;
  ConsoleAsStandardOutput& operator=(const ConsoleAsStandardOutput&) = delete;

  DWORD mode() const {
    DWORD mode = 0;
    GetConsoleMode(console_, &mode);
    return mode;
  }
  void set_mode(DWORD mode) { SetConsoleMode(console_, mode); }

 private:
  HANDLE console_;
  HANDLE saved_;
};

TEST(WindowsConsole, EscapeProcessingIsAddedToTheModesTheConsoleHad) {
  SKIP_WITHOUT_CONSOLE();
  ConsoleAsStandardOutput console;
  const DWORD found = console.mode();
  console.set_mode(ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT);

  console::native_platform().enable_escape_sequences();
  EXPECT_EQ(console.mode(), ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);

  console.set_mode(ENABLE_PROCESSED_OUTPUT);
  console::native_platform().enable_escape_sequences();
  EXPECT_EQ(console.mode(), ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  console.set_mode(found);
}

// The console's code pages before the tests changed them, and the modes of
// its input and output found at the start.
struct CodePages {
  UINT input = 0;
  UINT output = 0;
};

CodePages code_pages_before_start;
DWORD input_mode_found = 0;
DWORD output_mode_found = 0;

DWORD mode_of(HANDLE handle) {
  DWORD mode = 0;
  GetConsoleMode(handle, &mode);
  return mode;
}

// start() of the one native platform does its work once per process: every
// test that needs it shares that one start, made on known code pages.
console::Platform& started_platform() {
  static const bool started = [] {
    code_pages_before_start = {GetConsoleCP(), GetConsoleOutputCP()};
    if (have_console()) {
      SetConsoleCP(437);
      SetConsoleOutputCP(850);
    }
    input_mode_found = mode_of(GetStdHandle(STD_INPUT_HANDLE));
    output_mode_found = mode_of(GetStdHandle(STD_OUTPUT_HANDLE));
    // The start counts characters' widths as the console in code page 936
    // does; the other tests of this process count them as they always do.
    const console::TerminalEncoding widths = console::terminal_encoding();
    console::native_platform().start();
    console::set_terminal_encoding(widths);
    return true;
  }();
  (void)started;
  return console::native_platform();
}


// A change of the window's size ends a wait without time limit at once: the
// console tells it with an event, and the frame loop draws the screen again.
TEST(WindowsConsole, AWindowOfAnotherSizeEndsAWaitWithoutTimeLimit) {
  SKIP_WITHOUT_CONSOLE();
  console::Platform& platform = started_platform();
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  const DWORD input_mode = mode_of(input);
  SetConsoleMode(input, input_mode | ENABLE_WINDOW_INPUT);
  FlushConsoleInputBuffer(input);
  HANDLE output = open_console_output();
  CONSOLE_SCREEN_BUFFER_INFO info;
  ASSERT_NE(GetConsoleScreenBufferInfo(output, &info), 0);
  const std::uint64_t changes = console::screen_changes();

  SetConsoleScreenBufferSize(output, COORD{static_cast<SHORT>(info.dwSize.X + 1), info.dwSize.Y});
  // The event waits in the input, so the wait cannot hang.
  DWORD queued = 0;
  ASSERT_TRUE(GetNumberOfConsoleInputEvents(input, &queued) != 0 && queued > 0) << "the console sent no event";
  EXPECT_FALSE(platform.wait_for_key(console::kNoTimeLimit));
  EXPECT_GT(console::screen_changes(), changes);

  SetConsoleScreenBufferSize(output, info.dwSize);
  FlushConsoleInputBuffer(input);
  SetConsoleMode(input, input_mode);
  CloseHandle(output);
}

// As "cls" clears it: the whole buffer blank, the cursor at the top-left corner.
TEST(WindowsConsole, ClearingBlanksTheWholeBufferAndPutsTheCursorAtTheCorner) {
  SKIP_WITHOUT_CONSOLE();
  console::Platform& platform = started_platform();
  ConsoleAsStandardOutput console;
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  ASSERT_NE(GetConsoleScreenBufferInfo(output, &info), 0);
  const COORD last_row_end{static_cast<SHORT>(info.dwSize.X - 3), static_cast<SHORT>(info.dwSize.Y - 1)};
  DWORD count = 0;
  WriteConsoleOutputCharacterW(output, L"abc", 3, last_row_end, &count);

  platform.clear_screen();
  std::wstring cells(3, L'?');
  ReadConsoleOutputCharacterW(output, cells.data(), 3, last_row_end, &count);
  EXPECT_EQ(cells, L"   ");
  ASSERT_NE(GetConsoleScreenBufferInfo(output, &info), 0);
  EXPECT_EQ(info.dwCursorPosition.X, 0);
  EXPECT_EQ(info.dwCursorPosition.Y, 0);
}

// While one of these lives, the standard output is a pipe the test reads.
class PipeAsStandardOutput {
 public:
  PipeAsStandardOutput() : saved_(GetStdHandle(STD_OUTPUT_HANDLE)) {
    // Roomy enough that no write waits for the reader.
    CreatePipe(&read_end_, &write_end_, nullptr, 1 << 20);
    SetStdHandle(STD_OUTPUT_HANDLE, write_end_);
  }
  ~PipeAsStandardOutput() {
    SetStdHandle(STD_OUTPUT_HANDLE, saved_);
    CloseHandle(read_end_);
    CloseHandle(write_end_);
  }
  PipeAsStandardOutput(const PipeAsStandardOutput&) = delete;
  PipeAsStandardOutput& operator=(const PipeAsStandardOutput&) = delete;

  std::string take() {
    DWORD available = 0;
    PeekNamedPipe(read_end_, nullptr, 0, nullptr, &available, nullptr);
    std::string bytes(available, '\0');
    DWORD got = 0;
    if (available > 0) ReadFile(read_end_, bytes.data(), available, &got, nullptr);
    bytes.resize(got);
    return bytes;
  }

 private:
  HANDLE saved_;
  HANDLE read_end_ = nullptr;
  HANDLE write_end_ = nullptr;
};

TEST(WindowsStandardOutput, EachFlushGoesOutWholeWithTextModeLineEnds) {
  started_platform();
  PipeAsStandardOutput output;
  std::cout << "\x1b[1;1H" << GBK("青灯") << "\n";
  EXPECT_EQ(output.take(), "") << "nothing before the flush";
  std::cout << "x\n" << std::flush;
  EXPECT_EQ(output.take(), "\x1b[1;1H" + GBK("青灯") + "\r\nx\r\n");

  // A frame far beyond the C runtime's buffer still waits for its flush.
  const std::string row = std::string(40, '#') + "\n";
  for (int i = 0; i < 500; ++i) std::cout << row;
  EXPECT_EQ(output.take(), "");
  std::cout.flush();
  EXPECT_EQ(output.take().size(), 500 * (row.size() + 1));
}

TEST(WindowsPlatform, ProgramPathIsTheWholePathOfTheRunningExecutable) {
  const std::string path = console::native_platform().program_path();
  ASSERT_GT(path.size(), 3u);
  EXPECT_EQ(path.substr(1, 2), ":\\");
  const std::string name = "\\unit_tests.exe";
  ASSERT_GT(path.size(), name.size());
  EXPECT_EQ(path.substr(path.size() - name.size()), name);
}

// Last of all: once the console is given back, nothing the game writes
// reaches it any more.
TEST(WindowsConsoleGivenBack, CodePagesAreGbkForTheRunAndTheFoundOnesAndModesComeBack) {
  SKIP_WITHOUT_CONSOLE();
  console::Platform& platform = started_platform();
  EXPECT_EQ(GetConsoleCP(), 936u);
  EXPECT_EQ(GetConsoleOutputCP(), 936u);
  // Changes of the window's size come as events.
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  EXPECT_EQ(mode_of(input), input_mode_found | ENABLE_WINDOW_INPUT);

  // The GBK title shows as Chinese on a console of any language.
  platform.set_title(GBK("青灯万象录"));
  wchar_t title[64] = {};
  GetConsoleTitleW(title, 64);
  EXPECT_EQ(std::wstring(title), L"\u9752\u706f\u4e07\u8c61\u5f55");

  platform.restore();
  EXPECT_EQ(GetConsoleCP(), 437u);
  EXPECT_EQ(GetConsoleOutputCP(), 850u);
  EXPECT_EQ(mode_of(input), input_mode_found);
  EXPECT_EQ(mode_of(GetStdHandle(STD_OUTPUT_HANDLE)), output_mode_found);
  {
    PipeAsStandardOutput output;
    std::cout << "a frame still on its way" << std::flush;
    EXPECT_EQ(output.take(), "");
  }
  SetConsoleCP(code_pages_before_start.input);
  SetConsoleOutputCP(code_pages_before_start.output);
}

}  // namespace
