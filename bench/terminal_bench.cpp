// What the terminal layer costs per frame: converting a map frame for a UTF-8
// terminal (all ASCII, and with the Chinese status lines), following the
// cursor through it, and decoding keys.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "base/text_encoding.h"
#include "console/escape_sequences.h"
#include "console/key_decoder.h"
#include "console/terminal_output.h"

namespace {

// A frame as the map view writes it: a colour sequence before each of the 441
// cells, bars and borders around them.
std::string map_frame() {
  std::string frame(console::kHideCursor);
  frame += console::kCursorHome;
  frame += "+------------------------------------------+\n";
  for (int row = 0; row < 21; ++row) {
    frame += "\x1b[38;2;192;192;192m|";
    for (int cell = 0; cell < 21; ++cell) frame += "\x1b[38;2;153;230;77mB?";
    frame += "\x1b[38;2;192;192;192m|\n";
  }
  frame += "+------------------------------------------+\n";
  return frame;
}

std::string chinese_status_lines() {
  return "X:12 Y:-40\n" + base::utf8_to_gbk("修为：") + "3" + base::utf8_to_gbk(" 灵力:") + "12345\n" +
         base::utf8_to_gbk("攻击力：") + "10" + base::utf8_to_gbk(" 防御力：") + "5" +
         base::utf8_to_gbk(" 血量：") + "100";
}

void BM_EncodeAsciiFrame(benchmark::State& state) {
  const std::string frame = map_frame();
  console::OutputEncoder encoder(console::TerminalEncoding::kUtf8);
  for (auto _ : state) benchmark::DoNotOptimize(encoder.encode(frame));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}
BENCHMARK(BM_EncodeAsciiFrame);

void BM_EncodeFrameWithChineseStatus(benchmark::State& state) {
  const std::string frame = map_frame() + chinese_status_lines();
  console::OutputEncoder encoder(console::TerminalEncoding::kUtf8);
  for (auto _ : state) benchmark::DoNotOptimize(encoder.encode(frame));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}
BENCHMARK(BM_EncodeFrameWithChineseStatus);

// Following the cursor's visibility and column through every byte written.
void BM_TrackCursorThroughFrame(benchmark::State& state) {
  const std::string frame = map_frame() + chinese_status_lines();
  console::CursorTracker cursor;
  for (auto _ : state) {
    cursor.observe(frame);
    benchmark::DoNotOptimize(cursor.column());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}
BENCHMARK(BM_TrackCursorThroughFrame);

void BM_DecodeKeys(benchmark::State& state) {
  // Arrows, F3, letters, Enter and a UTF-8 character, as typed.
  const std::string typed = "\x1b[A\x1b[B\x1bOR\x1b[13;2~abc\r\xe9\x9d\x92";
  console::KeyDecoder decoder(console::TerminalEncoding::kUtf8);
  std::int64_t now = 0;
  for (auto _ : state) {
    decoder.feed(typed, ++now);
    while (decoder.has_key()) benchmark::DoNotOptimize(decoder.take_key());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * typed.size()));
}
BENCHMARK(BM_DecodeKeys);

}  // namespace
