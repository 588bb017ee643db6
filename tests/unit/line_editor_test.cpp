#include "console/line_editor.h"

#include <gtest/gtest.h>

#include <istream>
#include <string>

#include "console/platform.h"
#include "support/scripted_input_source.h"

namespace {

using console::TerminalEncoding;
using console::KeyReader;
using console::LineEditor;
using console::LineInputBuffer;
using test_support::ScriptedInputSource;

// A terminal's line input: keys from a script, the echo collected.
struct TypedInput {
  explicit TypedInput(TerminalEncoding encoding = TerminalEncoding::kGbk)
      : keys(input, encoding), editor(keys, [this](std::string_view text) { echo += text; }, {}),
        buffer(editor), stream(&buffer) {}

  ScriptedInputSource input;
  KeyReader keys;
  std::string echo;
  LineEditor editor;
  LineInputBuffer buffer;
  std::istream stream;
};

// A pipe's: nothing echoed or edited.
struct PipedInput {
  PipedInput() : keys(input, TerminalEncoding::kGbk), editor(keys), buffer(editor), stream(&buffer) {}

  ScriptedInputSource input;
  KeyReader keys;
  LineEditor editor;
  LineInputBuffer buffer;
  std::istream stream;
};

TEST(LineEditor, BackspaceRemovesAWholeChineseCharacterAndItsTwoColumns) {
  TypedInput typed;
  typed.input.arrive(0, "a\xc7\xe0\x7f" "b\r").then_end();
  std::string line;
  ASSERT_TRUE(std::getline(typed.stream, line));
  EXPECT_EQ(line, "ab");
  EXPECT_EQ(typed.echo, "a\xc7\xe0\b\b  \b\bb\n");
}

TEST(LineEditor, BackspaceOnAnEmptyLineDoesNothing) {
  TypedInput typed;
  typed.input.arrive(0, "\x7f\bx\r").then_end();
  std::string line;
  ASSERT_TRUE(std::getline(typed.stream, line));
  EXPECT_EQ(line, "x");
  EXPECT_EQ(typed.echo, "x\n");
}

TEST(LineEditor, EscapeAndCtrlUClearTheLineAsTheConsoleDoes) {
  TypedInput typed;
  typed.input.arrive(0, "ab\x1b").arrive(100, "cd\x15" "e\r").then_end();
  std::string line;
  ASSERT_TRUE(std::getline(typed.stream, line));
  EXPECT_EQ(line, "e");
  EXPECT_EQ(typed.echo, "ab\b \b\b \bcd\b \b\b \be\n");
}

TEST(LineEditor, ArrowsAndFunctionKeysAreConsumedWholeAndEditNothing) {
  TypedInput typed;
  typed.input.arrive(0, "n\x1b[D\x1b[13~\x1bOA" "o\r").then_end();
  std::string line;
  ASSERT_TRUE(std::getline(typed.stream, line));
  EXPECT_EQ(line, "no");
  EXPECT_EQ(typed.echo, "no\n");
}

TEST(LineEditor, TypedUtf8IsHeldAsGbk) {
  TypedInput typed(TerminalEncoding::kUtf8);
  typed.input.arrive(0, "\xe9\x9d\x92\xe7\x81\xaf\r").then_end();  // 青灯
  std::string line;
  ASSERT_TRUE(std::getline(typed.stream, line));
  EXPECT_EQ(line, "\xc7\xe0\xb5\xc6");
}

// The playthrough's reads: a word, then the rest of its line, then a whole line.
TEST(LineEditor, WordThenLineReadsAsThePlaythroughDoes) {
  TypedInput typed;
  typed.input.arrive(0, "  0 First\r").arrive(500, "My world\r").arrive(900, "\r").then_end();
  std::string word, rest, name, seed;
  ASSERT_TRUE(typed.stream >> word);
  ASSERT_TRUE(std::getline(typed.stream, rest));
  ASSERT_TRUE(std::getline(typed.stream, name));
  ASSERT_TRUE(std::getline(typed.stream, seed));
  EXPECT_EQ(word, "0");
  EXPECT_EQ(rest, " First");
  EXPECT_EQ(name, "My world");
  EXPECT_EQ(seed, "");
}

TEST(LineEditor, KeysTypedAheadStayForTheKeyReadsInOrder) {
  TypedInput typed;
  typed.input.arrive(0, "2\r\x1b[B\x1b").then_end();
  std::string word;
  ASSERT_TRUE(typed.stream >> word);
  EXPECT_EQ(word, "2");
  EXPECT_EQ(typed.keys.read_key(), 224);
  EXPECT_EQ(typed.keys.read_key(), 80);
  EXPECT_EQ(typed.keys.read_key(), 27);
  EXPECT_EQ(typed.keys.read_key(), base::kEndOfInput);
}

TEST(LineEditor, EndOfInputEndsTheStream) {
  TypedInput typed;
  typed.input.arrive(0, "half").then_end();
  std::string line;
  ASSERT_TRUE(std::getline(typed.stream, line));
  EXPECT_EQ(line, "half");
  EXPECT_FALSE(std::getline(typed.stream, line));
  EXPECT_TRUE(typed.stream.eof());
  EXPECT_FALSE(typed.input.waited_forever());
}

TEST(LineEditor, PipedLinesEndAtNewlineOrCrLfAndKeepTheirBytes) {
  PipedInput piped;
  piped.input.arrive(0, "1\r\nname\twith tab\nseed\r\nx").then_end();
  std::string word, rest, name, seed;
  ASSERT_TRUE(piped.stream >> word);
  ASSERT_TRUE(std::getline(piped.stream, rest));
  ASSERT_TRUE(std::getline(piped.stream, name));
  ASSERT_TRUE(std::getline(piped.stream, seed));
  EXPECT_EQ(word, "1");
  EXPECT_EQ(rest, "");
  EXPECT_EQ(name, "name\twith tab");
  EXPECT_EQ(seed, "seed");
  // The key after the lines is the one that followed them in the pipe.
  EXPECT_EQ(piped.keys.read_key(), 'x');
}

TEST(LineEditor, TheTerminalsWidthDecidesHowFarBackspaceErases) {
  ScriptedInputSource input;
  input.arrive(0, "\xa8\xa6\x7f\r").then_end();  // é: two GBK bytes, one column on a UTF-8 terminal
  KeyReader keys(input, TerminalEncoding::kGbk);
  std::string echo;
  LineEditor editor(keys, [&](std::string_view text) { echo += text; });
  const auto line = editor.read_line();
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->text, "");
  EXPECT_EQ(echo, "\xa8\xa6\b \b\n");
}

// A Tab and other control characters stay in the line, as a pipe's line keeps
// them. The Tab shows as blanks up to the next tab stop, counted from the
// column the line starts in (behind a prompt "> "), and Backspace takes them
// back as one; a control character shows as ^ and its letter.
TEST(LineEditor, TabAndControlCharactersAreKeptAndShownAsTheTerminalWould) {
  ScriptedInputSource input;
  input.arrive(0, "a\tb\x13\t\x7f" "c\r").then_end();
  KeyReader keys(input, TerminalEncoding::kGbk);
  std::string echo;
  LineEditor editor(keys, [&](std::string_view text) { echo += text; }, [] { return 2; });
  const auto line = editor.read_line();
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->text, "a\tb\x13" "c");
  EXPECT_EQ(echo, "a     b^S     \b\b\b\b\b     \b\b\b\b\b" "c\n");
}

}  // namespace
