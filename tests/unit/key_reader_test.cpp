#include "console/key_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "console/platform.h"
#include "console/terminal_io_posix.h"
#include "support/scripted_input_source.h"

namespace {

using console::InputEncoding;
using console::KeyDecoder;
using console::KeyReader;
using test_support::ScriptedInputSource;

constexpr std::int64_t kTimeout = KeyDecoder::kSequenceTimeoutMs;

TEST(KeyReader, TwoCodeKeyGivesItsSecondCodeToTheNextRead) {
  ScriptedInputSource input;
  input.arrive(0, "\x1b[A\x1bOR" "5").then_end();
  KeyReader keys(input, InputEncoding::kGbk);
  std::vector<int> read;
  while (true) {
    ASSERT_TRUE(keys.key_waiting());
    const int code = keys.read_key();
    if (code == console::kEndOfInput) break;
    read.push_back(code);
  }
  EXPECT_EQ(read, (std::vector<int>{224, 72, 0, 61, '5'}));
}

TEST(KeyReader, KeyWaitingNeverBlocksAndSeesALoneEscapeOnlyAfterTheTimeout) {
  ScriptedInputSource input;
  input.arrive(10, "\x1b");
  KeyReader keys(input, InputEncoding::kGbk);
  EXPECT_FALSE(keys.key_waiting());  // nothing yet at time 0
  input.set_now(10);
  EXPECT_FALSE(keys.key_waiting());  // the Escape came, but may start a sequence
  input.set_now(10 + kTimeout - 1);
  EXPECT_FALSE(keys.key_waiting());
  input.set_now(10 + kTimeout);
  EXPECT_TRUE(keys.key_waiting());
  EXPECT_EQ(keys.read_key(), 27);
}

TEST(KeyReader, BlockingReadWaitsOutTheEscapeTimeoutInsteadOfHanging) {
  ScriptedInputSource input;
  input.arrive(0, "\x1b");
  KeyReader keys(input, InputEncoding::kGbk);
  EXPECT_EQ(keys.read_key(), 27);
  EXPECT_EQ(input.now_ms(), kTimeout);
  EXPECT_FALSE(input.waited_forever());
}

TEST(KeyReader, EndOfInputIsReportedAtOnceAndForever) {
  ScriptedInputSource input;
  input.arrive(0, "\x1b[").then_end();
  KeyReader keys(input, InputEncoding::kGbk);
  // A sequence cut off by the end still counts as one key before the end.
  EXPECT_EQ(keys.read_key(), console::kUnknownKeyLead);
  EXPECT_EQ(keys.read_key(), console::kUnknownKeySecond);
  const int reads_at_end = input.reads();
  for (int i = 0; i < 100; ++i) {
    EXPECT_TRUE(keys.key_waiting());
    EXPECT_EQ(keys.read_key(), console::kEndOfInput);
    EXPECT_FALSE(keys.read_keypress().has_value());
  }
  // The end was seen once; nothing polls the source after it.
  EXPECT_EQ(input.reads(), reads_at_end);
}

TEST(KeyReader, WholeKeyReadDropsTheRestOfAHalfReadKey) {
  ScriptedInputSource input;
  input.arrive(0, "\x1b[Ax").then_end();
  KeyReader keys(input, InputEncoding::kGbk);
  EXPECT_EQ(keys.read_key(), 224);
  const auto next = keys.read_keypress();
  ASSERT_TRUE(next.has_value());
  EXPECT_TRUE(next->is('x'));
}

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
  KeyReader keys(source, InputEncoding::kGbk);
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
    EXPECT_EQ(keys.read_key(), console::kEndOfInput);
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
