#pragma once
// Fresh empty directories under the system's temporary directory, removed
// with all they hold at the end of the object's life. Portable where mkdtemp
// is not (Windows): a random name is created with create_directory, which
// fails rather than reuse one that exists.

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace test_support {

class TemporaryDirectory {
 public:
  explicit TemporaryDirectory(const std::string& prefix) : path_(create_unique(prefix)) {}
  ~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  static std::filesystem::path create_unique(const std::string& prefix) {
    std::random_device seed;
    std::mt19937_64 random((static_cast<std::mt19937_64::result_type>(seed()) << 32) ^ seed());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path candidate = base / (prefix + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) return candidate;
    }
    throw std::runtime_error("no scratch directory could be created in " + base.string());
  }

  std::filesystem::path path_;
};

// A temporary directory made the current one for the life of the object, then
// left and removed.
class ScratchDirectory {
 public:
  explicit ScratchDirectory(const std::string& prefix = "lanternvale-test-")
      : directory_(prefix), previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(directory_.path());
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return directory_.path(); }

 private:
  TemporaryDirectory directory_;  // removed after the destructor has left it
  std::filesystem::path previous_;
};

}  // namespace test_support
