#include "save_workload.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/files.h"
#include "persistence/save_file.h"
#include "world/game.h"

namespace save_workload {
namespace {

namespace fs = std::filesystem;

// The run's own directory, removed when the program ends.
class Scratch {
 public:
  Scratch() {
    std::random_device seed;
    root_ = fs::temp_directory_path() / ("lanternvale-bench-" + std::to_string(seed()));
    fs::create_directories(root_);
    fs::current_path(root_);
  }
  ~Scratch() {
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(), ignored);
    fs::remove_all(root_, ignored);
  }
  const fs::path& root() const { return root_; }

 private:
  fs::path root_;
};

Scratch& scratch() {
  static Scratch instance;
  return instance;
}

std::unique_ptr<game>& saved_game() {
  static std::unique_ptr<game> instance;
  return instance;
}

std::unique_ptr<game>& loaded_game() {
  static std::unique_ptr<game> instance;
  return instance;
}

// The save's own steps, with the two syncs left out when asked.
class UnsyncedSteps final : public persistence::SaveSteps {
 public:
  bool sync(std::string&) override { return true; }
  bool sync_directory(const fs::path&, std::string&) override { return true; }
};

void check(bool worked, const std::string& what) {
  if (!worked) throw std::runtime_error(what);
}

const fs::path kSavePath = "saves/bench.dat";

}  // namespace

void prepare_world() {
  if (saved_game()) return;
  scratch();
  fill_gailv();
  saved_game() = std::make_unique<game>();
  saved_game()->init(1);
  saved_game()->worldname = "bench";
  loaded_game() = std::make_unique<game>();
  save_world(false);
}

std::uint64_t save_file_bytes() { return fs::file_size(scratch().root() / kSavePath); }

std::uint64_t save_file_bytes_on_disk() {
  struct stat status {};
  check(::stat((scratch().root() / kSavePath).c_str(), &status) == 0, "cannot stat " + kSavePath.string());
  return static_cast<std::uint64_t>(status.st_blocks) * 512;  // st_blocks counts 512-byte units
}

void save_world(bool sync) {
  persistence::Result saved;
  if (sync) {
    saved = saved_game()->save("bench");
  } else {
    UnsyncedSteps steps;
    saved = persistence::save_world(*saved_game(), "bench", steps);
  }
  check(saved.ok, "cannot save " + kSavePath.string());
}

void write_plain_file(bool sync) {
  static const std::vector<char> bytes(save_file_bytes(), 'x');
  // As a plain program saves: the file it wrote last time opened again and
  // truncated (ext4 then starts writing the new bytes out at close, as it
  // does at a rename over a file), then written in one call.
  const int descriptor = ::open("saves/plain.dat", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  check(descriptor >= 0, "cannot open saves/plain.dat");
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t result = ::write(descriptor, bytes.data() + written, bytes.size() - written);
    check(result > 0, "cannot write saves/plain.dat");
    written += static_cast<std::size_t>(result);
  }
  check(!sync || ::fsync(descriptor) == 0, "cannot sync saves/plain.dat");
  check(::close(descriptor) == 0, "cannot close saves/plain.dat");
}

void load_world() {
  const persistence::Result loaded = loaded_game()->open("bench");
  check(loaded.ok, "cannot load " + kSavePath.string());
}

void read_plain_file() {
  static std::vector<char> bytes(save_file_bytes());
  std::string why;
  std::optional<base::File> file = base::File::open_for_reading(kSavePath, why);
  std::size_t got = 0;
  check(file && file->read(bytes.data(), bytes.size(), got, why) && got == bytes.size(), why);
}

void prepare_listings() {
  prepare_world();
  for (const char* listing : {"full", "small"}) fs::create_directories(scratch().root() / listing / "saves");
  for (const char* name : {"a.dat", "b.dat", "c.dat"}) {
    fs::copy_file(kSavePath, scratch().root() / "full/saves" / name, fs::copy_options::overwrite_existing);
    std::ofstream(scratch().root() / "small/saves" / name, std::ios::binary) << "bench\nsmall";
  }
}

int list_saves(bool full_size) {
  fs::current_path(scratch().root() / (full_size ? "full" : "small"));
  const int found = static_cast<int>(saved_game()->findDatFiles().size());
  fs::current_path(scratch().root());
  return found;
}

}  // namespace save_workload
