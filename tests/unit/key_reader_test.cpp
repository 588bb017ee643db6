#include "console/key_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/platform.h"
#include "support/scripted_input_source.h"

namespace {

using console::TerminalEncoding;
using console::KeyDecoder;
using console::KeyReader;
using test_support::ScriptedInputSource;

constexpr std::int64_t kTimeout = KeyDecoder::kSequenceTimeoutMs;

TEST(KeyReader, TwoCodeKeyGivesItsSecondCodeToTheNextRead) {
  ScriptedInputSource input;
  input.arrive(0, "\x1b[A\x1bOR" "5").then_end();
  KeyReader keys(input, TerminalEncoding::kGbk);
  std::vector<int> read;
  while (true) {
    ASSERT_TRUE(keys.key_waiting());
    const int code = keys.read_key();
    if (code == base::kEndOfInput) break;
    read.push_back(code);
  }
  EXPECT_EQ(read, (std::vector<int>{224, 72, 0, 61, '5'}));
}

TEST(KeyReader, KeyWaitingNeverBlocksAndSeesALoneEscapeOnlyAfterTheTimeout) {
  ScriptedInputSource input;
  input.arrive(10, "\x1b");
  KeyReader keys(input, TerminalEncoding::kGbk);
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
  KeyReader keys(input, TerminalEncoding::kGbk);
  EXPECT_EQ(keys.read_key(), 27);
  EXPECT_EQ(input.now_ms(), kTimeout);
  EXPECT_FALSE(input.waited_forever());
}

TEST(KeyReader, EndOfInputIsReportedAtOnceAndForever) {
  ScriptedInputSource input;
  input.arrive(0, "\x1b[").then_end();
  KeyReader keys(input, TerminalEncoding::kGbk);
  // A sequence cut off by the end still counts as one key before the end.
  EXPECT_EQ(keys.read_key(), base::kUnknownKeyLead);
  EXPECT_EQ(keys.read_key(), base::kUnknownKeySecond);
  const int reads_at_end = input.reads();
  for (int i = 0; i < 100; ++i) {
    EXPECT_TRUE(keys.key_waiting());
    EXPECT_EQ(keys.read_key(), base::kEndOfInput);
    EXPECT_FALSE(keys.read_keypress().has_value());
  }
  // The end was seen once; nothing polls the source after it.
  EXPECT_EQ(input.reads(), reads_at_end);
}

TEST(KeyReader, WholeKeyReadDropsTheRestOfAHalfReadKey) {
  ScriptedInputSource input;
  input.arrive(0, "\x1b[Ax").then_end();
  KeyReader keys(input, TerminalEncoding::kGbk);
  EXPECT_EQ(keys.read_key(), 224);
  const auto next = keys.read_keypress();
  ASSERT_TRUE(next.has_value());
  EXPECT_TRUE(next->is('x'));
}

}  // namespace

namespace {

TEST(KeyReaderWait, RestsUntilAKeyComesOrTheTimeIsUp) {
  ScriptedInputSource input;
  input.arrive(30, "a").arrive(200, "\x1b").arrive(400, "b").then_end();
  KeyReader keys(input, TerminalEncoding::kGbk);
  EXPECT_FALSE(keys.wait_for_key(16));
  EXPECT_EQ(input.now_ms(), 16);
  EXPECT_TRUE(keys.wait_for_key(100));  // "a" comes at 30
  EXPECT_EQ(input.now_ms(), 30);
  EXPECT_TRUE(keys.wait_for_key(100));  // still there: nothing is taken
  EXPECT_EQ(keys.read_key(), 'a');
  // A lone Escape is a key only once its sequence time is over.
  input.set_now(190);
  EXPECT_FALSE(keys.wait_for_key(30));
  EXPECT_TRUE(keys.wait_for_key(100));
  EXPECT_EQ(input.now_ms(), 200 + kTimeout);
  EXPECT_EQ(keys.read_key(), 27);
  EXPECT_TRUE(keys.wait_for_key(1000));
  EXPECT_EQ(keys.read_key(), 'b');
  EXPECT_TRUE(keys.wait_for_key(1000));  // the end of input does not make it wait
  EXPECT_EQ(keys.read_key(), base::kEndOfInput);
}

std::vector<int> all_codes(KeyReader& keys) {
  std::vector<int> codes;
  while (keys.key_waiting()) codes.push_back(keys.read_key());
  return codes;
}

// Escape, Down 100 ms later, then Escape and x: read during a pause, each
// byte keeps its time and the keys their order (read only after it, the
// bytes would come at once and make Alt+Down and Alt+X of them).
TEST(KeyReaderWait, KeysTypedDuringAPauseKeepTheirTimesAndTheirOrder) {
  ScriptedInputSource input;
  input.arrive(100, "\x1b").arrive(200, "\x1b[B").arrive(300, "\x1b").arrive(400, "x");
  KeyReader keys(input, TerminalEncoding::kGbk);
  keys.read_ahead_until(1000);
  EXPECT_EQ(input.now_ms(), 1000);
  EXPECT_EQ(all_codes(keys), (std::vector<int>{27, 224, 80, 27, 'x'}));
}

TEST(KeyReaderWait, SettlingDecidesALoneEscapeWithoutTakingIt) {
  ScriptedInputSource input;
  input.arrive(0, "\x1b");
  KeyReader keys(input, TerminalEncoding::kGbk);
  EXPECT_FALSE(keys.key_waiting());
  keys.settle(4 * kTimeout);
  EXPECT_EQ(input.now_ms(), kTimeout);
  EXPECT_TRUE(keys.key_waiting());
  EXPECT_EQ(keys.read_key(), 27);
}

}  // namespace
