#include "base/text_encoding.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "console/terminal_encoding.h"
#include "console/terminal_output.h"

namespace {

using console::CursorTracker;
using console::OutputEncoder;
using console::TerminalEncoding;
using console::TerminalOutputBuffer;

const std::string kLanternUtf8 = "\xe9\x9d\x92\xe7\x81\xaf";  // 青灯
const std::string kLanternGbk = "\xc7\xe0\xb5\xc6";

TEST(TextEncoding, ChineseRoundTripsBetweenUtf8AndGbk) {
  EXPECT_EQ(base::utf8_to_gbk(kLanternUtf8), kLanternGbk);
  EXPECT_EQ(base::gbk_to_utf8(kLanternGbk), kLanternUtf8);
  EXPECT_EQ(base::utf8_to_gbk("ASCII stays\n"), "ASCII stays\n");
  // The full-width colon and the brackets of the game's texts.
  const std::string texts = "\xef\xbc\x9a\xe3\x80\x90\xe3\x80\x91\xef\xbc\x88\xef\xbc\x89";
  EXPECT_EQ(base::gbk_to_utf8(base::utf8_to_gbk(texts)), texts);
  EXPECT_EQ(base::utf8_to_gbk(texts).size(), 10u);
}

TEST(TextEncoding, CharactersOutsideGbkKeepTheirGb18030Codes) {
  const std::string emoji = "\xf0\x9f\x98\x80";
  const std::string gb18030 = base::utf8_to_gbk(emoji);
  EXPECT_EQ(gb18030.size(), 4u);
  EXPECT_EQ(base::gbk_to_utf8(gb18030), emoji);
}

TEST(TextEncoding, BytesThatMakeNoCharacterBecomeQuestionMarks) {
  EXPECT_EQ(base::utf8_to_gbk("a\xff" "b"), "a?b");
  EXPECT_EQ(base::gbk_to_utf8("a\xff" "b"), "a?b");
  EXPECT_EQ(base::gbk_to_utf8("a\xc7"), "a?");
  // The conversion starts afresh after a bad byte and on the next call.
  EXPECT_EQ(base::gbk_to_utf8(kLanternGbk), kLanternUtf8);
}

// Only the locale's name counts, installed or not; LANTERNVALE_ENCODING wins.
TEST(TerminalEncoding, GbkOnlyWhenTheLocaleNamesAGbkCodesetOrItIsAskedFor) {
  using console::EncodingEnvironment;
  const auto locale = [](std::optional<std::string> lc_all, std::optional<std::string> lc_ctype,
                         std::optional<std::string> lang) {
    return EncodingEnvironment{std::nullopt, std::move(lc_all), std::move(lc_ctype), std::move(lang)};
  };
  const auto asked = [&](std::string word, EncodingEnvironment environment) {
    environment.asked = std::move(word);
    return environment;
  };
  const std::vector<std::pair<EncodingEnvironment, TerminalEncoding>> cases = {
      {locale(std::nullopt, std::nullopt, "zh_CN.GBK"), TerminalEncoding::kGbk},
      {locale(std::nullopt, std::nullopt, "zh_CN.gb2312"), TerminalEncoding::kGbk},
      {locale(std::nullopt, "zh_CN.GB18030@stroke", "C.UTF-8"), TerminalEncoding::kGbk},
      {locale("zh_CN.cp936", "en_US.UTF-8", std::nullopt), TerminalEncoding::kGbk},
      {locale(std::nullopt, std::nullopt, "zh_CN.eucCN"), TerminalEncoding::kGbk},
      {locale("C", std::nullopt, "zh_CN.GBK"), TerminalEncoding::kUtf8},  // LC_ALL first, whatever it says
      {locale(std::nullopt, std::nullopt, "POSIX"), TerminalEncoding::kUtf8},
      {locale(std::nullopt, std::nullopt, "en_US.UTF-8"), TerminalEncoding::kUtf8},
      {locale(std::nullopt, std::nullopt, std::nullopt), TerminalEncoding::kUtf8},
      {asked("gbk", locale(std::nullopt, std::nullopt, "C.UTF-8")), TerminalEncoding::kGbk},
      {asked("UTF-8", locale("zh_CN.GBK", std::nullopt, std::nullopt)), TerminalEncoding::kUtf8},
      {asked("latin1", locale("zh_CN.GBK", std::nullopt, std::nullopt)), TerminalEncoding::kGbk},
  };
  for (const auto& [environment, expected] : cases) {
    EXPECT_EQ(console::choose_terminal_encoding(environment), expected)
        << "LANTERNVALE_ENCODING=" << environment.asked.value_or("") << " LC_ALL=" << environment.lc_all.value_or("")
        << " LC_CTYPE=" << environment.lc_ctype.value_or("") << " LANG=" << environment.lang.value_or("");
  }
}

// A UTF-8 terminal draws Chinese two columns wide and the Greek and Cyrillic
// letters of GBK one; a GBK terminal draws every character of two bytes two wide.
TEST(TerminalEncoding, CharacterColumnsFollowTheTerminal) {
  const std::string alpha = base::utf8_to_gbk("\u03b1");
  ASSERT_EQ(alpha.size(), 2u);
  EXPECT_EQ(console::character_columns(kLanternGbk.substr(0, 2), TerminalEncoding::kUtf8), 2);
  EXPECT_EQ(console::character_columns(base::utf8_to_gbk("\uff1a"), TerminalEncoding::kUtf8), 2);
  EXPECT_EQ(console::character_columns(base::utf8_to_gbk("\U0001F600"), TerminalEncoding::kUtf8), 2);
  EXPECT_EQ(console::character_columns(alpha, TerminalEncoding::kUtf8), 1);
  EXPECT_EQ(console::character_columns(alpha, TerminalEncoding::kGbk), 2);
  EXPECT_EQ(console::character_columns("a", TerminalEncoding::kUtf8), 1);
  // Cut at a window's edge: a character that does not fit whole is left out.
  EXPECT_EQ(console::cut_to_columns("ab" + kLanternGbk, 5), "ab" + kLanternGbk.substr(0, 2));
  EXPECT_EQ(console::cut_to_columns("ab" + kLanternGbk, 6), "ab" + kLanternGbk);
  EXPECT_EQ(console::cut_to_columns("ab", 0), "");
}

TEST(OutputEncoder, PureAsciiGoesOutUnchangedWithoutCopying) {
  OutputEncoder encoder(TerminalEncoding::kUtf8);
  const std::string frame = "\x1b[38;2;192;192;192m|YY|\n";
  const std::string_view out = encoder.encode(frame);
  EXPECT_EQ(out, frame);
  EXPECT_EQ(out.data(), frame.data());
}

TEST(OutputEncoder, OtherLocalesGetTheGbkBytesUnchanged) {
  OutputEncoder encoder(TerminalEncoding::kGbk);
  const std::string mixed = "\x1b[H" + kLanternGbk + "\xc7";
  EXPECT_EQ(encoder.encode(mixed), mixed);
  EXPECT_TRUE(encoder.pending().empty());
}

TEST(OutputEncoder, CharacterSplitAcrossTwoFlushesConvertsWhole) {
  OutputEncoder encoder(TerminalEncoding::kUtf8);
  EXPECT_EQ(encoder.encode("x\xc7"), "x");
  EXPECT_EQ(encoder.pending(), "\xc7");
  EXPECT_EQ(encoder.encode("\xe0y"), "\xe9\x9d\x92y");
  EXPECT_TRUE(encoder.pending().empty());

  // A four-byte character cut after each of its bytes.
  const std::string four = base::utf8_to_gbk("\xf0\x9f\x98\x80");
  std::string out;
  for (const char c : four) out += encoder.encode(std::string(1, c));
  EXPECT_EQ(out, "\xf0\x9f\x98\x80");
}

TEST(OutputEncoder, TrailByteThatLooksLikeAsciiStaysWithItsCharacter) {
  OutputEncoder encoder(TerminalEncoding::kUtf8);
  // 0x81 0x40 is one character (U+4E02); the '@' is not an ASCII '@'.
  EXPECT_EQ(std::string(encoder.encode("\x81@|")), base::gbk_to_utf8("\x81\x40") + "|");
  // Split right before the ASCII-looking trail byte.
  EXPECT_EQ(encoder.encode("a\x81"), "a");
  EXPECT_EQ(std::string(encoder.encode("@b")), base::gbk_to_utf8("\x81\x40") + "b");
}

TEST(OutputEncoder, InvalidBytesBecomeQuestionMarksAndTheRestStillConverts) {
  OutputEncoder encoder(TerminalEncoding::kUtf8);
  EXPECT_EQ(encoder.encode("\xff" "a\xc7 " + kLanternGbk), "?a? " + kLanternUtf8);
}

TEST(CursorTracker, FollowsHideAndShowEvenWhenCutBetweenWrites) {
  CursorTracker cursor;
  cursor.observe("\x1b[0m\x1b[?25l");
  EXPECT_TRUE(cursor.hidden());
  cursor.observe("text\x1b[?2");
  cursor.observe("5h");
  EXPECT_FALSE(cursor.hidden());
  cursor.observe("\x1b\x1b[?25l\x1b[?25");
  EXPECT_TRUE(cursor.hidden());
  cursor.observe("x\x1b[?251h");  // not a cursor sequence
  EXPECT_TRUE(cursor.hidden());
}

// Where the game's prompts leave the cursor: after a clear and a position,
// colours, a title and the cursor's own sequences, Chinese text, a line end.
TEST(CursorTracker, FollowsTheColumnThroughTextAndSequences) {
  CursorTracker cursor;
  cursor.observe("\x1b[H\x1b[2J\x1b[3J\x1b]0;title\a\x1b[?25h> ");
  EXPECT_EQ(cursor.column(), 2);
  cursor.observe("\x1b[38;2;192;192;192m" + kLanternGbk + ":");
  EXPECT_EQ(cursor.column(), 7);
  cursor.observe("\x1b[10;8H");
  EXPECT_EQ(cursor.column(), 7);
  cursor.observe("\ta\b\b\x1b[3C");
  EXPECT_EQ(cursor.column(), 10);
  cursor.observe("\x1b[");
  cursor.observe("1;1");  // a position cut between two writes
  cursor.observe("H\x1b[K");
  EXPECT_EQ(cursor.column(), 0);
  cursor.observe("line\n");
  EXPECT_EQ(cursor.column(), 0);
}

TEST(TerminalOutputBuffer, EachFlushIsOneConvertedWrite) {
  std::vector<std::string> writes;
  CursorTracker cursor;
  TerminalOutputBuffer buffer([&](std::string_view bytes) { writes.emplace_back(bytes); }, TerminalEncoding::kUtf8, &cursor);
  std::ostream out(&buffer);
  out << "\x1b[?25l" << kLanternGbk.substr(0, 3);
  EXPECT_TRUE(writes.empty());
  out.flush();
  out << kLanternGbk.substr(3) << "\n" << std::flush;
  out.flush();  // nothing new: no empty write
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0], "\x1b[?25l\xe9\x9d\x92");
  EXPECT_EQ(writes[1], "\xe7\x81\xaf\n");
  EXPECT_TRUE(cursor.hidden());
}

TEST(TerminalOutputBuffer, GrowsSoABigFrameStillGoesOutInOneWrite) {
  std::vector<std::string> writes;
  TerminalOutputBuffer buffer([&](std::string_view bytes) { writes.emplace_back(bytes); }, TerminalEncoding::kGbk);
  std::ostream out(&buffer);
  const std::string frame(TerminalOutputBuffer::kInitialCapacity * 5 + 7, '#');
  for (const char c : frame) out.put(c);
  EXPECT_TRUE(writes.empty());
  out.flush();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0], frame);
}

TEST(TerminalOutputBuffer, WritesOutBeyondItsLargestSizeWithoutLosingBytes) {
  std::string written;
  int calls = 0;
  TerminalOutputBuffer buffer(
      [&](std::string_view bytes) {
        written += bytes;
        ++calls;
      },
      TerminalEncoding::kUtf8);
  std::ostream out(&buffer);
  std::string text;
  while (text.size() < TerminalOutputBuffer::kMaxCapacity + 100) text += kLanternGbk;
  out << text << std::flush;
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(written, base::gbk_to_utf8(text));
}

}  // namespace
