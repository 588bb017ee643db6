#include "game_in_terminal_posix.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

namespace bench_support {

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

GameInTerminal::GameInTerminal(void (*prepare)(const std::string& directory), std::vector<std::string> arguments)
    : terminal_(30, 80) {
  if (prepare != nullptr) prepare(directory_.path().string());
  test_support::ProgramLaunch launch;
  launch.program = LANTERNVALE_BINARY;
  // In 24-bit colour, with the bytes every player's frame had before.
  launch.environment = test_support::terminal_environment("C.UTF-8");
  launch.working_directory = directory_.path().string();
  launch.arguments = std::move(arguments);
  terminal_.start(launch);
}

bool GameInTerminal::wait_for(std::string_view text) {
  if (!terminal_.wait_for_output(text, seen_, kStepTimeout)) return false;
  seen_ = terminal_.output().find(text, seen_) + text.size();
  return true;
}

std::size_t GameInTerminal::read_for(Clock::duration duration) {
  const std::size_t before = output_size();
  const auto deadline = Clock::now() + duration;
  for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
    terminal_.read(std::chrono::duration_cast<test_support::Timeout>(deadline - now) + test_support::Timeout{1});
  }
  seen_ = output_size();
  return output_size() - before;
}

double GameInTerminal::processor_seconds() const {
  std::ifstream stat(proc_file("stat"));
  std::string line;
  std::getline(stat, line);
  std::istringstream fields(line.substr(line.rfind(')') + 2));
  std::string field;
  long long user = 0, system = 0;
  for (int index = 3; index <= 15 && fields >> field; ++index) {
    if (index == 14) user = std::stoll(field);
    if (index == 15) system = std::stoll(field);
  }
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long long GameInTerminal::voluntary_switches() const {
  std::ifstream status(proc_file("status"));
  const std::string label = "voluntary_ctxt_switches:";
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(label)) return std::stoll(line.substr(label.size()));
  }
  return 0;
}

std::string GameInTerminal::proc_file(const std::string& name) const {
  return "/proc/" + std::to_string(terminal_.pid()) + "/" + name;
}

}  // namespace bench_support
