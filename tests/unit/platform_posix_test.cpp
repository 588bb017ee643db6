// The POSIX platform in a real pseudo-terminal: the modes it sets and gives
// back, and what becomes of the terminal at signals, Ctrl+Z and crashes. Each
// case runs the platform in a child process that owns the terminal.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "console/platform.h"
#include "persistence/result.h"
#include "support/pseudo_terminal.h"
#include "support/scratch_directory.h"
#include "world/game.h"

namespace {

using Body = std::function<int()>;
using test_support::ExitStatus;
constexpr test_support::Timeout kGiveUpAfter = std::chrono::seconds(20);

void say(const std::string& text) {
  [[maybe_unused]] const ssize_t ignored = ::write(STDOUT_FILENO, text.data(), text.size());
}

// Runs `body` in a process group of its own below the terminal's session
// leader, as a job under a shell, so that Ctrl+Z really stops it. The leader
// passes the body's end on as its exit code.
int run_as_job(const Body& body) {
  const pid_t job = ::fork();
  if (job == 0) {
    ::setpgid(0, 0);
    std::signal(SIGTTOU, SIG_IGN);
    ::tcsetpgrp(STDIN_FILENO, ::getpgrp());
    std::signal(SIGTTOU, SIG_DFL);
    say("PID " + std::to_string(::getpid()) + "\n");
    std::exit(body());
  }
  int status = 0;
  while (::waitpid(job, &status, 0) < 0) {
  }
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

class PlatformInTerminal : public testing::Test {
 protected:
  void start(const Body& body) {
    found_ = terminal_.modes();
    terminal_.start([&body] { return run_as_job(body); });
    ASSERT_TRUE(wait_for("\n"));
    job_ = std::atoi(output().c_str() + output().find("PID ") + 4);
    ASSERT_GT(job_, 0);
  }

  void TearDown() override {
    if (job_ > 0 && terminal_.status().kind == ExitStatus::Kind::kStillRunning) ::kill(job_, SIGKILL);
  }

  const std::string& output() const { return terminal_.output(); }

  // Reads the job's output until it holds `text` after `from`.
  bool wait_for(const std::string& text, std::size_t from = 0) {
    return terminal_.wait_for_output(text, from, kGiveUpAfter);
  }

  void type(const std::string& bytes) { terminal_.send(bytes); }

  // The leader's exit code: the job's own, or 128 + the signal that ended it.
  int finish() {
    const ExitStatus status = terminal_.wait_for_exit(kGiveUpAfter);
    return status.kind == ExitStatus::Kind::kExited ? status.value : -1;
  }

  termios modes() const { return terminal_.modes(); }

  bool job_stopped() const {
    std::ifstream stat("/proc/" + std::to_string(job_) + "/stat");
    std::string pid, name, state;
    stat >> pid >> name >> state;
    return state == "T";
  }

  bool wait_until_stopped() {
    const auto give_up = std::chrono::steady_clock::now() + kGiveUpAfter;
    while (!job_stopped()) {
      if (std::chrono::steady_clock::now() > give_up) return false;
      ::usleep(10000);
    }
    return true;
  }

  // Until the job waits in a write to the terminal (Linux tells which call
  // a process waits in); a while where it can't be known.
  bool wait_until_writing_to_the_terminal() {
    const auto give_up = std::chrono::steady_clock::now() + kGiveUpAfter;
    while (std::chrono::steady_clock::now() < give_up) {
      std::ifstream call("/proc/" + std::to_string(job_) + "/syscall");
      if (!call) {
        ::usleep(500000);
        return true;
      }
      // "running" while it runs; the call and its arguments while it waits.
      std::string number, fd;
      call >> number >> fd;
      if (number == std::to_string(SYS_write) && fd == "0x1") return true;
      ::usleep(10000);
    }
    return false;
  }

  void expect_signal_to_restore_and_end(int signal);

  void expect_modes_as_found() const {
    EXPECT_TRUE(test_support::same_modes(modes(), found_))
        << "before: " << test_support::describe_modes(found_) << "\nafter:  " << test_support::describe_modes(modes());
  }

  test_support::PseudoTerminal terminal_{25, 80};
  pid_t job_ = -1;
  termios found_{};
};

int wait_for_a_key_with_the_cursor_hidden() {
  console::Platform& platform = console::native_platform();
  platform.start();
  // Through the game's own stream, as a menu is drawn.
  std::cout << "\x1b[?25l" << "READY\n" << std::flush;
  const int key = platform.read_key();
  platform.restore();
  return key == 'q' ? 0 : 10;
}

TEST_F(PlatformInTerminal, RawKeysWhileRunningAndTheModesAsFoundAfterRestore) {
  start(wait_for_a_key_with_the_cursor_hidden);
  ASSERT_TRUE(wait_for("READY"));
  const termios raw = modes();
  EXPECT_EQ(raw.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_NE(raw.c_lflag & ISIG, 0u);
  EXPECT_EQ(raw.c_iflag & ICRNL, 0u);
  EXPECT_NE(raw.c_oflag & OPOST, 0u);
  // The title kept, the game on the alternate screen; then both given back.
  EXPECT_NE(output().find("\x1b[22;0t\x1b[?1049h"), std::string::npos);
  type("q");
  EXPECT_EQ(finish(), 0);
  expect_modes_as_found();
  const std::size_t ready = output().find("READY");
  EXPECT_NE(output().find("\x1b[0m\x1b[?25h\x1b[?1049l\x1b[23;0t", ready), std::string::npos);
}

// `signal` sent during a key wait with the cursor hidden ends the process by
// that signal, the terminal given back as found and the cursor shown.
void PlatformInTerminal::expect_signal_to_restore_and_end(int signal) {
  start(wait_for_a_key_with_the_cursor_hidden);
  ASSERT_TRUE(wait_for("READY"));
  const std::size_t ready = output().find("READY");
  ::kill(job_, signal);
  EXPECT_EQ(finish(), 128 + signal);
  expect_modes_as_found();
  EXPECT_NE(output().find("\x1b[?25h\x1b[?1049l", ready), std::string::npos);
}

TEST_F(PlatformInTerminal, TerminationDuringAKeyWaitRestoresAndEndsByTheSignal) {
  expect_signal_to_restore_and_end(SIGTERM);
}

TEST_F(PlatformInTerminal, TerminationEndsTheInputFirstSoTheGameCanWindDown) {
  start([] {
    console::Platform& platform = console::native_platform();
    platform.start();
    say("READY\n");
    if (platform.read_key() == base::kEndOfInput && platform.input_ended() && platform.wait_for_key(600000)) {
      say("WOUND DOWN\n");
    }
    platform.restore();
    return 0;
  });
  ASSERT_TRUE(wait_for("READY"));
  ::kill(job_, SIGTERM);
  EXPECT_EQ(finish(), 128 + SIGTERM);
  EXPECT_NE(output().find("WOUND DOWN"), std::string::npos);
  expect_modes_as_found();
}

// A terminal nobody reads (a frozen connection) blocks every write. A
// termination request still lets the game wind down and end: once the player
// is gone, output waits no more.
TEST_F(PlatformInTerminal, TerminationEndsAGameWhoseTerminalTakesNothing) {
  start([] {
    console::Platform& platform = console::native_platform();
    platform.start();
    say("READY\n");
    const std::string lines(64 * 1024, 'x');
    while (!platform.input_ended()) std::cout << lines << std::flush;  // blocks once the terminal is full
    for (int i = 0; i < 100; ++i) std::cout << lines << std::flush;    // the game winding down
    platform.keep_after_exit("farewell");
    platform.restore();
    return 0;
  });
  ASSERT_TRUE(wait_for("READY"));
  // Nothing is read from here until the end.
  ::usleep(200000);
  ::kill(job_, SIGTERM);
  const auto give_up = std::chrono::steady_clock::now() + kGiveUpAfter;
  while (terminal_.status().kind == ExitStatus::Kind::kStillRunning && std::chrono::steady_clock::now() < give_up) {
    ::usleep(10000);
  }
  EXPECT_TRUE(terminal_.status().exited_with(128 + SIGTERM)) << terminal_.status();
  EXPECT_EQ(finish(), 128 + SIGTERM);
  expect_modes_as_found();
}

// Ctrl+C while the terminal is being given back (the give-back waits on a
// terminal nobody reads) is noted, and ends the process only once the
// terminal is back as found.
TEST_F(PlatformInTerminal, InterruptDuringTheGiveBackEndsOnlyOnceItIsThrough) {
  start([] {
    console::Platform& platform = console::native_platform();
    platform.start();
    say("READY\n");
    ::usleep(200000);
    // The terminal filled to the brim, so that the give-back has to wait.
    const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
    ::fcntl(STDOUT_FILENO, F_SETFL, flags | O_NONBLOCK);
    // The terminal passes bytes on to its other side a little later: full
    // is when a pause has made no room.
    const std::string lines(4096, 'x');
    for (int full_after_pause = 0; full_after_pause < 3;) {
      if (::write(STDOUT_FILENO, lines.data(), lines.size()) > 0) {
        full_after_pause = 0;
        continue;
      }
      ::usleep(20000);
      ++full_after_pause;
    }
    ::fcntl(STDOUT_FILENO, F_SETFL, flags);
    platform.restore();
    return 0;
  });
  ASSERT_TRUE(wait_for("READY"));
  ASSERT_TRUE(wait_until_writing_to_the_terminal());
  ::kill(job_, SIGINT);
  ::usleep(100000);
  EXPECT_EQ(finish(), 128 + SIGINT);
  expect_modes_as_found();
  EXPECT_TRUE(output().ends_with("\x1b[0m\x1b[?25h\x1b[?1049l\x1b[23;0t"));
}

TEST_F(PlatformInTerminal, AResizeEndsAWaitWithoutTimeLimitAndTheNewSizeIsTold) {
  start([] {
    console::Platform& platform = console::native_platform();
    platform.start();
    say("READY\n");
    const std::uint64_t changes = console::screen_changes();
    const bool key = platform.wait_for_key(console::kNoTimeLimit);
    const auto size = platform.window_size();
    say(size ? "SIZE " + std::to_string(size->rows) + "x" + std::to_string(size->columns) + "\n" : "NO SIZE\n");
    platform.restore();
    return !key && console::screen_changes() != changes ? 0 : 10;
  });
  ASSERT_TRUE(wait_for("READY"));
  terminal_.resize(33, 101);
  EXPECT_EQ(finish(), 0);
  EXPECT_NE(output().find("SIZE 33x101"), std::string::npos) << output();
}

TEST_F(PlatformInTerminal, HangUpDuringAKeyWaitEndsTheInputNotTheProcess) {
  start([] {
    console::Platform& platform = console::native_platform();
    platform.start();
    say("READY\n");
    const int first = platform.read_key();
    const int again = platform.read_key();
    platform.restore();
    return first == base::kEndOfInput && again == base::kEndOfInput ? 0 : 10;
  });
  ASSERT_TRUE(wait_for("READY"));
  ::kill(job_, SIGHUP);
  EXPECT_EQ(finish(), 0);
  expect_modes_as_found();
}

// A signal the game has no use for, whose default action ends the process,
// still finds the terminal given back first.
TEST_F(PlatformInTerminal, UserSignalRestoresTheTerminalAndEndsByTheSignal) {
  expect_signal_to_restore_and_end(SIGUSR1);
}

// Past the file size limit (ulimit -f) a save fails as on a full disk: the
// old save stays whole, no temporary file is left, and the game goes on.
TEST_F(PlatformInTerminal, SaveBeyondTheFileSizeLimitFailsAndTheGameGoesOn) {
  const test_support::TemporaryDirectory directory("lanternvale-limit-");
  const std::filesystem::path saves = directory.path() / "saves";
  start([&] {
    console::native_platform().start();
    if (::chdir(directory.path().c_str()) != 0) return 10;
    game world;
    world.worldname = "big";
    if (!world.save(world.worldname)) return 11;
    const rlimit limit{1 << 20, 1 << 20};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    world.localplayer.x = 1;
    const persistence::Result saved = world.save(world.worldname);
    const persistence::Problem& problem = saved.problem;
    const bool not_written = problem.kind == persistence::Problem::Kind::kCannotWrite;
    say(saved ? "SAVED\n" : not_written ? "NOT WRITTEN " + problem.file + ": " + problem.system_words + "\n" : "FAILED\n");
    console::native_platform().restore();
    return 0;
  });
  EXPECT_EQ(finish(), 0);
  EXPECT_NE(output().find("NOT WRITTEN saves/big.dat: File too large"), std::string::npos) << output();
  expect_modes_as_found();
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(saves)) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"big.dat"});
  EXPECT_GT(std::filesystem::file_size(saves / "big.dat"), 80u << 20);
}

TEST_F(PlatformInTerminal, InterruptDuringAPauseEndsItAtOnce) {
  start([] {
    console::native_platform().start();
    say("READY\n");
    console::native_platform().sleep_ms(600000);
    return 0;
  });
  ASSERT_TRUE(wait_for("READY"));
  ::kill(job_, SIGINT);
  EXPECT_EQ(finish(), 128 + SIGINT);
  expect_modes_as_found();
}

TEST_F(PlatformInTerminal, CtrlZGivesTheTerminalBackAndFgTakesItAgain) {
  start(wait_for_a_key_with_the_cursor_hidden);
  ASSERT_TRUE(wait_for("READY"));
  const std::size_t ready = output().find("READY");
  type("\x1a");  // Ctrl+Z, through the terminal as a player would
  ASSERT_TRUE(wait_until_stopped());
  ASSERT_TRUE(wait_for("\x1b[?1049l\x1b[23;0t", ready));
  expect_modes_as_found();
  EXPECT_NE(output().find("\x1b[?25h", ready), std::string::npos);

  const std::size_t stopped = output().size();
  ::kill(job_, SIGCONT);
  // Raw again, the title stack pushed again, the alternate screen again and
  // the cursor hidden again.
  ASSERT_TRUE(wait_for("\x1b[?25l", stopped));
  EXPECT_NE(output().find("\x1b[22;0t\x1b[?1049h", stopped), std::string::npos);
  // What the screen showed is drawn on it again.
  EXPECT_NE(output().find("READY", stopped), std::string::npos);
  EXPECT_EQ(modes().c_lflag & (ICANON | ECHO), 0u);
  type("q");
  EXPECT_EQ(finish(), 0);
  expect_modes_as_found();
}

TEST_F(PlatformInTerminal, CrashRestoresTheTerminalBeforeTheProcessDies) {
  start([] {
    console::native_platform().start();
    std::cout << "\x1b[?25l" << std::flush;
    say("READY\n");
    // An address no one maps, hidden from the compiler and the sanitizers'
    // null checks, so the processor itself faults.
    volatile int* nowhere = reinterpret_cast<volatile int*>(std::strtoul("16", nullptr, 10));
    *nowhere = 1;
    return 0;
  });
  ASSERT_TRUE(wait_for("READY"));
  const std::size_t ready = output().find("READY");
  const int code = finish();
  // Killed by the signal, or ended by a sanitizer's report.
  EXPECT_NE(code, 0);
  EXPECT_NE(code, -1);
  expect_modes_as_found();
  EXPECT_NE(output().find("\x1b[?25h\x1b[?1049l", ready), std::string::npos);
}

TEST_F(PlatformInTerminal, TypedLineIsEchoedEditedAndHeldAsGbk) {
  start([] {
    ::setenv("LC_ALL", "C.UTF-8", 1);
    console::native_platform().start();
    say("READY\n");
    std::string word;
    std::cin >> word;
    console::native_platform().restore();
    return word == "\xb5\xc6" ? 0 : 10;  // 灯 in GBK
  });
  ASSERT_TRUE(wait_for("READY"));
  const std::size_t ready = output().find("READY");
  type("\xe9\x9d\x92\x7f\xe7\x81\xaf\r");  // 青, Backspace, 灯, Enter (UTF-8)
  EXPECT_EQ(finish(), 0);
  EXPECT_NE(output().find("\xe9\x9d\x92\b\b  \b\b\xe7\x81\xaf\r\n", ready), std::string::npos);
}

}  // namespace
