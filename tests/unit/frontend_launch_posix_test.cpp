// --show-paths answers as the game would find its directory: an absolute
// path, reached as the shell's cd reaches it, or the error the game would
// meet there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "frontend/command_line.h"
#include "frontend/launch.h"
#include "support/scratch_directory.h"

namespace {

namespace fs = std::filesystem;

// The exit status of a run with these arguments, and what it wrote on
// standard output.
std::pair<int, std::string> launched(const std::vector<std::string>& arguments) {
  std::fflush(stdout);
  const int kept = ::dup(STDOUT_FILENO);
  std::FILE* output = std::tmpfile();
  ::dup2(::fileno(output), STDOUT_FILENO);
  const int status = frontend::launch(arguments);
  std::fflush(stdout);
  ::dup2(kept, STDOUT_FILENO);
  ::close(kept);
  std::rewind(output);
  std::string text;
  for (int c = std::fgetc(output); c != EOF; c = std::fgetc(output)) text += static_cast<char>(c);
  std::fclose(output);
  return {status, text};
}

TEST(ShowPaths, AnswersAnAbsolutePathAsTheGameWouldReachItOrItsError) {
  const test_support::ScratchDirectory scratch("lanternvale-launch-");
  const std::string here = scratch.path().string();
  const char* shell_directory = std::getenv("PWD");
  const std::string kept_pwd = shell_directory != nullptr ? shell_directory : "";
  ::unsetenv("LANTERNVALE_DIR");
  std::ofstream("a-file") << "not a directory";
  // A symbolic link on the way stays, and ".." leaves through it, as cd does.
  fs::create_directories("real/inner");
  fs::create_directory_symlink("real/inner", "link");
  ::setenv("PWD", (here + "/link").c_str(), 1);
  fs::current_path("link");
  const int error = frontend::kDirectoryErrorStatus;
  struct Case {
    std::vector<std::string> arguments;
    std::pair<int, std::string> answer;
  };
  const std::vector<Case> cases = {
      {{"--show-paths"}, {0, "saves go to " + here + "/link/saves\n"}},
      {{"--show-paths", "--dir", "../made/new"}, {0, "saves go to " + here + "/made/new/saves\n"}},
      {{"--show-paths", "--dir", "../a-file"}, {error, ""}},
      {{"--show-paths", "--dir", "../a-file/sub"}, {error, ""}},
  };
  for (const Case& expected : cases) {
    std::pair<int, std::string> answer = launched(expected.arguments);
    answer.second = answer.second.substr(0, answer.second.find("because"));
    EXPECT_EQ(answer, expected.answer) << expected.arguments.back();
  }
  EXPECT_FALSE(fs::exists(scratch.path() / "made"));

  // A working directory that is gone has no path to give.
  fs::current_path(scratch.path());
  fs::create_directory("gone");
  ::setenv("PWD", (here + "/gone").c_str(), 1);
  fs::current_path("gone");
  fs::remove(scratch.path() / "gone");
  EXPECT_EQ(launched({"--show-paths"}), std::pair(error, std::string()));
  fs::current_path(scratch.path());
  ::setenv("PWD", kept_pwd.c_str(), 1);
}

}  // namespace
