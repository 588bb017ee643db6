// The program's environment on Windows: arguments and variables are read as
// Unicode and carried as UTF-8, so a name in any script survives whatever the
// console's code page; the player's files go under the local application data.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/text_encoding_windows.h"
#include "console/program_environment.h"

namespace console {
namespace {

const char* processor_name() {
#if defined(__aarch64__) || defined(_M_ARM64)
  return "arm64";
#elif defined(__x86_64__) || defined(_M_X64)
  return "x86_64";
#else
  return "x86";
#endif
}

}  // namespace

// The console's handles are the console's own, whatever the C runtime's
// descriptors are: the game reads keys and writes frames through them.
void open_closed_standard_streams() {}

// argv holds the arguments in the ANSI code page, where characters outside it
// are already lost; the wide command line has them all.
std::vector<std::string> command_line_arguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    for (int index = 1; index < argc; ++index) arguments.emplace_back(argv[index]);
    return arguments;
  }
  for (int index = 1; index < count; ++index) arguments.push_back(base::utf8_of(wide[index]).value_or("?"));
  LocalFree(wide);
  return arguments;
}

std::optional<std::string> environment_variable(const char* name) {
  const std::string ascii_name(name);
  const std::wstring wide_name(ascii_name.begin(), ascii_name.end());
  const wchar_t* value = _wgetenv(wide_name.c_str());
  if (value == nullptr || value[0] == L'\0') return std::nullopt;
  return base::utf8_of(value);
}

std::optional<std::filesystem::path> user_data_directory(std::string& why) {
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  if (local == nullptr || local[0] == L'\0') {
    why = "LOCALAPPDATA is not set";
    return std::nullopt;
  }
  return std::filesystem::path(local) / L"Lanternvale";
}

bool tells_of_ignored_arguments() { return false; }

bool runs_in_windows_console() { return true; }

std::string platform_description() { return std::string("Windows ") + processor_name(); }

// A console shows UTF-8 rightly only through the wide call; a pipe or a file
// takes the UTF-8 bytes as they are.
void write_plain_text(StandardStream stream, std::string_view text) {
  const bool to_output = stream == StandardStream::kOutput;
  HANDLE handle = GetStdHandle(to_output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode) != 0) {
    const std::wstring wide = base::utf16_of(text);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::FILE* file = to_output ? stdout : stderr;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fflush(file);
}

}  // namespace console
