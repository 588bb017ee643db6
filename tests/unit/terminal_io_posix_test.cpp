#include "console/terminal_io_posix.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "console/key_reader.h"
#include "console/platform.h"

namespace {

using console::TerminalEncoding;
using console::KeyReader;

// The descriptor reader against real pipes: end of file and hang-ups.
class FdInput : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(::pipe(fds_), 0); }
  void TearDown() override {
    for (const int fd : fds_) {
      if (fd >= 0) ::close(fd);
    }
  }
  void write_bytes(const std::string& bytes) {
    ASSERT_EQ(::write(fds_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  void close_writer() {
    ::close(fds_[1]);
    fds_[1] = -1;
  }
  int fds_[2] = {-1, -1};
};

TEST_F(FdInput, KeysComeFromPipeBytesAndTheEndNeverBlocks) {
  console::FdInputSource source(fds_[0]);
  KeyReader keys(source, TerminalEncoding::kGbk);
  EXPECT_FALSE(keys.key_waiting());
  write_bytes("\t1\x1b[B");
  close_writer();
  EXPECT_TRUE(keys.key_waiting());
  EXPECT_EQ(keys.read_key(), 9);
  EXPECT_EQ(keys.read_key(), '1');
  EXPECT_EQ(keys.read_key(), 224);
  EXPECT_EQ(keys.read_key(), 80);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(keys.key_waiting());
    EXPECT_EQ(keys.read_key(), base::kEndOfInput);
  }
}

TEST_F(FdInput, TimedWaitReturnsWhenNothingComes) {
  console::FdInputSource source(fds_[0]);
  std::string bytes;
  const std::int64_t before = console::monotonic_ms();
  EXPECT_EQ(source.read(bytes, 20), console::InputSource::Status::kTimedOut);
  EXPECT_GE(console::monotonic_ms() - before, 20);
  EXPECT_TRUE(bytes.empty());
}

TEST_F(FdInput, ClosedDescriptorEndsTheInput) {
  console::FdInputSource source(fds_[0]);
  ::close(fds_[0]);
  fds_[0] = -1;
  std::string bytes;
  EXPECT_EQ(source.read(bytes, -1), console::InputSource::Status::kEnded);
}

}  // namespace
