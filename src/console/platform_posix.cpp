// Placeholder POSIX platform: raw bytes in, plain bytes out. Being replaced by
// the full terminal layer (key decoding, encoding, signals).
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include "console/platform.h"

namespace console {
namespace {

class PosixPlatform final : public Platform {
 public:
  void start() override {
    begin_ = std::chrono::steady_clock::now();
    if (tcgetattr(STDIN_FILENO, &saved_) == 0) {
      have_saved_ = true;
      termios raw = saved_;
      raw.c_lflag &= ~(ICANON | ECHO);
      raw.c_iflag &= ~ICRNL;
      raw.c_cc[VMIN] = 1;
      raw.c_cc[VTIME] = 0;
      tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
  }
  void restore() override {
    std::cout << "\x1b[0m\x1b[?25h" << std::flush;
    if (have_saved_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
  }
  void enable_escape_sequences() override {}
  void untie_streams() override {
    std::ios::sync_with_stdio(false);
    std::cin.tie(nullptr);
  }
  bool key_waiting() override {
    pollfd p{STDIN_FILENO, POLLIN, 0};
    return poll(&p, 1, 0) > 0;
  }
  int read_key() override {
    unsigned char c;
    return read(STDIN_FILENO, &c, 1) == 1 ? c : kEndOfInput;
  }
  void sleep_ms(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  std::int32_t clock_ms() override {
    return static_cast<std::int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - begin_)
                                         .count());
  }
  void clear_screen() override { std::cout << "\x1b[2J\x1b[H" << std::flush; }
  void set_title(const std::string& title) override { std::cout << "\x1b]0;" << title << '\a' << std::flush; }
  std::string program_path() override {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
  }

 private:
  std::chrono::steady_clock::time_point begin_ = std::chrono::steady_clock::now();
  termios saved_{};
  bool have_saved_ = false;
};

}  // namespace

Platform& native_platform() {
  static PosixPlatform instance;
  return instance;
}

}  // namespace console
