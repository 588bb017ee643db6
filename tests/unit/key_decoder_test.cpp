#include "console/key_decoder.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "console/console_keys.h"

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
      // Arrows in normal and application cursor mode.
      {"\x1b[A", {224, 72}}, {"\x1b[B", {224, 80}}, {"\x1b[C", {224, 77}}, {"\x1b[D", {224, 75}},
      {"\x1bOA", {224, 72}}, {"\x1bOB", {224, 80}}, {"\x1bOC", {224, 77}}, {"\x1bOD", {224, 75}},
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
      // With Ctrl or Alt, the console's codes for those keys; Shift leaves the
      // arrows and editing keys as they are. xterm's forms, rxvt's (Shift+Up,
      // Ctrl+Left, Ctrl+F3, Shift+Insert, Ctrl+Shift+Delete, Alt as an ESC
      // before the key) and an old xterm's modified F3.
      {"\x1b[1;5A", {224, 141}}, {"\x1b[1;5B", {224, 145}}, {"\x1b[1;5D", {224, 115}}, {"\x1b[1;5C", {224, 116}},
      {"\x1b[1;3A", {0, 152}}, {"\x1b[1;3B", {0, 160}}, {"\x1b[1;3D", {0, 155}}, {"\x1b[1;3C", {0, 157}},
      {"\x1b[1;2B", {224, 80}}, {"\x1b[1;2R", {0, 86}}, {"\x1b[13;2~", {0, 86}}, {"\x1b[1;5P", {0, 94}},
      {"\x1b[1;3S", {0, 107}}, {"\x1b[21;5~", {0, 103}}, {"\x1b[23;2~", {224, 135}}, {"\x1b[24;3~", {224, 140}},
      {"\x1b[1;5H", {224, 119}}, {"\x1b[1;3F", {0, 159}}, {"\x1b[5;5~", {224, 132}}, {"\x1b[6;3~", {0, 161}},
      {"\x1b[2;5~", {224, 146}}, {"\x1b[3;3~", {0, 163}}, {"\x1b[1;6A", {224, 141}}, {"\x1b[1;7A", {0, 152}},
      {"\x1b[a", {224, 72}}, {"\x1bOd", {224, 115}}, {"\x1b[13^", {0, 96}}, {"\x1b[2$", {224, 82}},
      {"\x1b[3@", {224, 147}}, {"\x1b\x1b[A", {0, 152}}, {"\x1b\x1b[5~", {0, 153}}, {"\x1bO2R", {0, 86}},
      // Alt with a typing key, ESC and the key at once: its scan code.
      {"\x1bx", {0, 45}}, {"\x1bX", {0, 45}}, {"\x1bq", {0, 16}}, {"\x1b" "1", {0, 120}}, {"\x1b!", {0, 120}},
      {"\x1b=", {0, 131}}, {"\x1b/", {0, 53}}, {"\x1b\\", {0, 43}},
      // Keypad in application mode.
      {"\x1bOM", {13}}, {"\x1bOp", {'0'}}, {"\x1bOy", {'9'}}, {"\x1bOk", {'+'}},
      // Control keys: Enter, Backspace (both of its bytes), Tab, a pipe's line feed.
      {"\r", {13}}, {"\x7f", {8}}, {"\b", {8}}, {"\t", {9}}, {"\n", {10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.bytes)));
    EXPECT_EQ(decode(c.bytes), c.expected);
  }
}

// No two keys share their codes once modified, and no modified key gives the
// codes the map moves or toggles the status lines on.
TEST(KeyDecoder, ModifiedKeysNeverShareCodesOrActAsTheMapsKeys) {
  struct Key {
    std::string number;  // the sequence is ESC [ number modifier last
    char last;
    bool shift_has_codes;  // false: Shift+key gives the plain key's codes
  };
  std::vector<Key> keys;
  for (const char letter : std::string("ABCDHF")) keys.push_back({"1;", letter, false});
  for (const char letter : std::string("PQRS")) keys.push_back({"1;", letter, true});
  for (const char* number : {"2;", "3;", "5;", "6;"}) keys.push_back({number, '~', false});
  for (const char* number : {"15;", "17;", "18;", "19;", "20;", "21;", "23;", "24;"}) keys.push_back({number, '~', true});
  std::map<std::vector<int>, std::string> owner;
  for (const Key& key : keys) {
    for (const char modifier : {'1', '2', '5', '3'}) {  // none, Shift, Ctrl, Alt
      const std::string sequence = "\x1b[" + key.number + modifier + key.last;
      SCOPED_TRACE(testing::PrintToString(sequence));
      const std::vector<int> got = decode(sequence);
      ASSERT_EQ(got.size(), 2u);
      const char form = modifier == '2' && !key.shift_has_codes ? '1' : modifier;
      const auto [at, added] = owner.emplace(got, key.number + key.last + form);
      EXPECT_TRUE(added || at->second == key.number + key.last + form) << "same codes as " << at->second;
      if (modifier == '5' || modifier == '3') {
        for (const int action : {72, 75, 77, 80, 61}) EXPECT_NE(got[1], action);
      }
    }
  }
}

// The Windows console names a key by its virtual-key code and the character
// it typed; the game reads the codes a terminal's sequence for the same key
// gives. Wine's console types no character for Escape.
TEST(ConsoleKeyEvents, GiveTheCodesOfTheSameKeysInATerminal) {
  struct Case {
    console::ConsoleKeyEvent event;
    std::string terminal_bytes;
  };
  const auto held = [](int virtual_key, bool shift, bool ctrl, bool alt) {
    return console::ConsoleKeyEvent{true, virtual_key, "", shift, ctrl, alt};
  };
  const auto key = [&](int virtual_key) { return held(virtual_key, false, false, false); };
  const auto typed = [](int virtual_key, std::string gbk) { return console::ConsoleKeyEvent{true, virtual_key, gbk}; };
  const std::vector<Case> cases = {
      {key(0x26), "\x1b[A"},          {key(0x28), "\x1b[B"},          {key(0x27), "\x1b[C"},
      {key(0x25), "\x1b[D"},          {key(0x72), "\x1bOR"},          {held(0x72, true, false, false), "\x1b[1;2R"},
      {held(0x27, false, true, false), "\x1b[1;5C"},  {held(0x28, false, false, true), "\x1b[1;3B"},
      {held(0x26, true, true, false), "\x1b[1;6A"},   {key(0x2E), "\x1b[3~"},  {held(0x22, false, true, false), "\x1b[6;5~"},
      {key(0x70), "\x1bOP"},          {key(0x79), "\x1b[21~"},        {held(0x7B, false, true, false), "\x1b[24;5~"},
      {key(0x1B), "\x1b"},            {typed(0x1B, "\x1b"), "\x1b"},   {typed(0x41, "a"), "a"},
      {typed(0x0D, "\r"), "\r"},       {typed(0xE7, GBK("青")), GBK("青")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.terminal_bytes));
    const std::optional<KeyPress> got = console::key_of_console_event(c.event);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(std::vector<int>(got->codes.begin(), got->codes.begin() + got->size), decode(c.terminal_bytes));
  }
  // A key let go, Shift pressed alone, a key with no code of its own.
  for (const console::ConsoleKeyEvent& none :
       {console::ConsoleKeyEvent{false, 0x26, ""}, key(0x10), key(0x5D), held(0x10, true, false, false)}) {
    EXPECT_FALSE(console::key_of_console_event(none).has_value());
  }
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
  // Escape then a byte that starts no sequence and has no Alt code: both keys.
  EXPECT_EQ(decode("\x1b\t"), (std::vector<int>{27, 9}));
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

// A player's Escape then Down, 100 ms apart, are two keys; the same bytes in
// one burst are what a terminal sends for Alt+Down. Escape then x is two keys;
// ESC x at once is Alt+X, and never an Escape.
TEST(KeyDecoder, EscapeTypedBeforeAKeyIsToldFromAltByTheBytesArrivalTimes) {
  KeyDecoder decoder;
  decoder.feed("\x1b", 1000);
  decoder.feed("\x1b[B", 1100);
  decoder.feed("\x1b", 2000);
  decoder.feed("x", 2100);
  decoder.feed("\x1b\x1b[B", 3000);
  decoder.feed("\x1bx", 4000);
  EXPECT_EQ(codes(decoder), (std::vector<int>{27, 224, 80, 27, 'x', 0, 160, 0, 45}));
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
  // A lone byte that is a lead code (0xE0 is 224, and Ctrl+2's NUL) is a whole
  // harmless key: the arrow after it keeps both its codes.
  EXPECT_EQ(decode("\xe0\x1b[A"), (std::vector<int>{0, 3, 224, 72}));
  EXPECT_EQ(decode(std::string("\0\x1b[A", 4)), (std::vector<int>{0, 3, 224, 72}));
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
