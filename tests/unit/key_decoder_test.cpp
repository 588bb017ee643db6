#include "console/key_decoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/text_encoding.h"

namespace {

using console::TerminalEncoding;
using console::KeyDecoder;
using console::KeyPress;

constexpr std::int64_t kTimeout = KeyDecoder::kSequenceTimeoutMs;
const std::vector<int> kUnknown = {base::kUnknownKeyLead, base::kUnknownKeySecond};

// Every key code the decoder has ready, in the order the game would read them.
std::vector<int> codes(KeyDecoder& decoder) {
  std::vector<int> result;
  while (decoder.has_key()) {
    const KeyPress key = decoder.take_key();
    for (int i = 0; i < key.size; ++i) result.push_back(key.codes[static_cast<std::size_t>(i)]);
  }
  return result;
}

// The codes of `bytes` arriving together, the input then ending.
std::vector<int> decode(const std::string& bytes, TerminalEncoding encoding = TerminalEncoding::kGbk) {
  KeyDecoder decoder(encoding);
  decoder.feed(bytes, 0);
  decoder.finish();
  return codes(decoder);
}

std::vector<int> bytes_of(const std::string& text) {
  std::vector<int> result;
  for (const char c : text) result.push_back(static_cast<unsigned char>(c));
  return result;
}

TEST(KeyDecoder, MapsWhatTerminalsSendToConsoleCodes) {
  struct Case {
    const char* bytes;
    std::vector<int> expected;
  };
  const std::vector<Case> cases = {
      // Arrows in normal and application cursor mode, and rxvt's modified arrows.
      {"\x1b[A", {224, 72}}, {"\x1b[B", {224, 80}}, {"\x1b[C", {224, 77}}, {"\x1b[D", {224, 75}},
      {"\x1bOA", {224, 72}}, {"\x1bOB", {224, 80}}, {"\x1bOC", {224, 77}}, {"\x1bOD", {224, 75}},
      {"\x1b[a", {224, 72}}, {"\x1bOd", {224, 75}},
      // F3 in its xterm, VT220/rxvt and Linux console forms.
      {"\x1bOR", {0, 61}}, {"\x1b[13~", {0, 61}}, {"\x1b[[C", {0, 61}},
      {"\x1bOP", {0, 59}}, {"\x1bOQ", {0, 60}}, {"\x1bOS", {0, 62}},
      {"\x1b[[A", {0, 59}}, {"\x1b[[B", {0, 60}}, {"\x1b[[D", {0, 62}}, {"\x1b[[E", {0, 63}},
      {"\x1b[11~", {0, 59}}, {"\x1b[12~", {0, 60}}, {"\x1b[14~", {0, 62}}, {"\x1b[15~", {0, 63}},
      {"\x1b[17~", {0, 64}}, {"\x1b[18~", {0, 65}}, {"\x1b[19~", {0, 66}}, {"\x1b[20~", {0, 67}},
      {"\x1b[21~", {0, 68}}, {"\x1b[23~", {224, 133}}, {"\x1b[24~", {224, 134}},
      // Editing keys: VT220, rxvt and xterm forms.
      {"\x1b[1~", {224, 71}}, {"\x1b[7~", {224, 71}}, {"\x1b[H", {224, 71}}, {"\x1bOH", {224, 71}},
      {"\x1b[4~", {224, 79}}, {"\x1b[8~", {224, 79}}, {"\x1b[F", {224, 79}}, {"\x1bOF", {224, 79}},
      {"\x1b[2~", {224, 82}}, {"\x1b[3~", {224, 83}}, {"\x1b[5~", {224, 73}}, {"\x1b[6~", {224, 81}},
      {"\x1b[Z", {0, 15}},
      // Modifiers give the plain key.
      {"\x1b[1;5A", {224, 72}}, {"\x1b[1;2B", {224, 80}}, {"\x1b[13;2~", {0, 61}}, {"\x1b[1;2R", {0, 61}},
      {"\x1b[13^", {0, 61}}, {"\x1b[2$", {224, 82}}, {"\x1b[3@", {224, 83}}, {"\x1b[5;3~", {224, 73}},
      // Alt as an ESC prefix (rxvt) is the key itself.
      {"\x1b\x1b[A", {224, 72}},
      // Keypad in application mode.
      {"\x1bOM", {13}}, {"\x1bOp", {'0'}}, {"\x1bOy", {'9'}}, {"\x1bOk", {'+'}},
      // Control keys: Enter, Backspace (both of its bytes), Tab, a pipe's line feed.
      {"\r", {13}}, {"\x7f", {8}}, {"\b", {8}}, {"\t", {9}}, {"\n", {10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.bytes)));
    EXPECT_EQ(decode(c.bytes), c.expected);
  }
  // Ctrl+2 gives the console's two codes, never a lone lead code.
  EXPECT_EQ(decode(std::string("\0", 1)), kUnknown);
}

TEST(KeyDecoder, UnknownAndCutOffSequencesAreOneHarmlessKey) {
  for (const char* bytes : {"\x1b[99~", "\x1b[?1;2c", "\x1b[I", "\x1b[<0;3;4M", "\x1bOz", "\x1b[[Z", "\x1b[1;5",
                            "\x1b[", "\x1bO", "\x1b[[", "\x1b[13"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
    EXPECT_EQ(decode(bytes), kUnknown);
  }
  // None of the two codes is a menu key, Escape, Tab, Enter or a move or F3 code.
  for (const int code : kUnknown) {
    EXPECT_FALSE(code >= '1' && code <= '5');
    for (const int other : {9, 13, 27, 61, 72, 75, 77, 80}) EXPECT_NE(code, other);
  }
  EXPECT_NE(kUnknown[1], 0);
  EXPECT_NE(kUnknown[1], 224);
}

TEST(KeyDecoder, ByteThatCannotContinueASequenceCutsItOffAndCountsOnItsOwn) {
  EXPECT_EQ(decode("\x1b[1\r"), (std::vector<int>{0, 3, 13}));
  EXPECT_EQ(decode("\x1bO\x1b[A"), (std::vector<int>{0, 3, 224, 72}));
  // Escape then a byte that starts no sequence: both keys, in order.
  EXPECT_EQ(decode("\x1bx"), (std::vector<int>{27, 'x'}));
  EXPECT_EQ(decode("\x1b\r"), (std::vector<int>{27, 13}));
  EXPECT_EQ(decode("\x1b\x1b"), (std::vector<int>{27, 27}));
  EXPECT_EQ(decode("\x1b\x1b\x1b"), (std::vector<int>{27, 27, 27}));
}

TEST(KeyDecoder, LoneEscapeSettlesExactlyAtTheTimeout) {
  KeyDecoder decoder;
  decoder.feed("\x1b", 1000);
  decoder.advance_time(1000 + kTimeout - 1);
  EXPECT_FALSE(decoder.has_key());
  EXPECT_TRUE(decoder.waiting_for_more());
  EXPECT_EQ(decoder.deadline_ms(), 1000 + kTimeout);
  decoder.advance_time(1000 + kTimeout);
  EXPECT_EQ(codes(decoder), std::vector<int>{27});
  EXPECT_FALSE(decoder.waiting_for_more());
}

TEST(KeyDecoder, SequenceSplitAcrossReadsWithinTheTimeoutIsOneKey) {
  KeyDecoder decoder;
  decoder.feed("\x1b", 0);
  decoder.feed("[", kTimeout - 1);
  decoder.feed("1", 2 * kTimeout - 2);
  decoder.feed("3", 3 * kTimeout - 3);
  decoder.advance_time(4 * kTimeout - 5);
  EXPECT_FALSE(decoder.has_key());
  decoder.feed("~", 4 * kTimeout - 4);
  EXPECT_EQ(codes(decoder), (std::vector<int>{0, 61}));
}

TEST(KeyDecoder, ByteArrivingAfterTheTimeoutStartsAfresh) {
  KeyDecoder decoder;
  decoder.feed("\x1b", 0);
  decoder.feed("[A", kTimeout);
  EXPECT_EQ(codes(decoder), (std::vector<int>{27, '[', 'A'}));

  decoder.feed("\x1b[", 100);
  decoder.feed("A", 100 + kTimeout);
  EXPECT_EQ(codes(decoder), (std::vector<int>{0, 3, 'A'}));
}

TEST(KeyDecoder, GbkCharactersPassAsTheirBytesInOneKey) {
  KeyDecoder decoder;
  // 青 (C7 E0), a trail byte that looks like ASCII '@' (81 40), and a GB18030
  // four-byte character.
  decoder.feed("\xc7\xe0\x81\x40\x81\x30\x81\x30", 0);
  ASSERT_EQ(decoder.keys_ready(), 3u);
  EXPECT_EQ(decoder.take_key().text(), "\xc7\xe0");
  EXPECT_EQ(decoder.take_key().text(), "\x81\x40");
  EXPECT_EQ(decoder.take_key().text(), std::string("\x81\x30\x81\x30"));
}

TEST(KeyDecoder, GbkLeadByteWithoutItsTrailPassesAlone) {
  EXPECT_EQ(decode("\xc7\r"), (std::vector<int>{0xc7, 13}));
  EXPECT_EQ(decode("\x81\x30\x41"), (std::vector<int>{0x81, '0', 'A'}));
  KeyDecoder decoder;
  decoder.feed("\xc7", 0);
  decoder.advance_time(kTimeout - 1);
  EXPECT_FALSE(decoder.has_key());
  decoder.advance_time(kTimeout);
  EXPECT_EQ(codes(decoder), std::vector<int>{0xc7});
}

TEST(KeyDecoder, Utf8CharactersBecomeGbk) {
  EXPECT_EQ(decode("\xe9\x9d\x92", TerminalEncoding::kUtf8), bytes_of("\xc7\xe0"));  // 青
  EXPECT_EQ(decode("a\xc3\xa9z", TerminalEncoding::kUtf8), bytes_of("a\xa8\xa6z"));  // é
  // Outside GBK: the GB18030 four-byte code, so nothing typed is lost.
  const std::string emoji = "\xf0\x9f\x98\x80";
  EXPECT_EQ(decode(emoji, TerminalEncoding::kUtf8), bytes_of(base::utf8_to_gbk(emoji)));
  EXPECT_EQ(decode(emoji, TerminalEncoding::kUtf8).size(), 4u);
}

TEST(KeyDecoder, InvalidOrCutOffUtf8BecomesQuestionMark) {
  EXPECT_EQ(decode("\xff", TerminalEncoding::kUtf8), std::vector<int>{'?'});
  EXPECT_EQ(decode("\xe9\x9d", TerminalEncoding::kUtf8), std::vector<int>{'?'});
  EXPECT_EQ(decode("\xe9x", TerminalEncoding::kUtf8), (std::vector<int>{'?', 'x'}));
  EXPECT_EQ(decode("\xe9\x1b[A", TerminalEncoding::kUtf8), (std::vector<int>{'?', 224, 72}));
}

TEST(KeyDecoder, OverlongSequenceIsSwallowedWholeWithoutGrowing) {
  std::string sequence = "\x1b[";
  sequence.append(100000, '1');
  sequence += "A";
  EXPECT_EQ(decode(sequence + "x"), (std::vector<int>{0, 3, 'x'}));
}

TEST(KeyDecoder, SurvivesGarbage) {
  std::mt19937 random(20240601);
  for (const TerminalEncoding encoding : {TerminalEncoding::kGbk, TerminalEncoding::kUtf8}) {
    KeyDecoder decoder(encoding);
    std::int64_t now = 0;
    std::size_t fed = 0;
    std::size_t keys = 0;
    for (int round = 0; round < 20000; ++round) {
      std::string chunk(random() % 8, '\0');
      // Bias towards the bytes that start and continue sequences.
      static constexpr char kInteresting[] = "\x1b[O~;1239A\x81\x30\xe9\x9d";
      for (char& c : chunk) {
        c = random() % 3 == 0 ? kInteresting[random() % (sizeof kInteresting - 1)] : static_cast<char>(random());
      }
      now += random() % (2 * kTimeout);
      decoder.feed(chunk, now);
      fed += chunk.size();
      if (random() % 4 == 0) decoder.advance_time(now += random() % (2 * kTimeout));
      while (decoder.has_key()) {
        const KeyPress key = decoder.take_key();
        ASSERT_GE(key.size, 1);
        ASSERT_LE(key.size, 4);
        ++keys;
      }
    }
    decoder.finish();
    keys += decoder.keys_ready();
    EXPECT_FALSE(decoder.waiting_for_more());
    // Escape and a byte after it are the most one byte can give.
    EXPECT_LE(keys, 2 * fed);
  }
}

}  // namespace
