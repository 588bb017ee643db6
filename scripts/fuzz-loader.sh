#!/bin/sh
# Builds the save loader's fuzz target with clang (libFuzzer, ASan, UBSan) in
# build/fuzz and runs it for a bounded time; fails on a crash, a leak or a
# sanitizer report. Usage: scripts/fuzz-loader.sh [seconds, default 60]
set -eu
cd "$(dirname "$0")/.."

scripts/install-deps.sh fuzz
seconds="${1:-60}"
out=build/fuzz
mkdir -p "$out/corpus"

clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -Isrc \
  tests/fuzz/save_loader_fuzzer.cpp src/persistence/*.cpp src/world/game.cpp \
  src/console/files_posix.cpp src/console/text_encoding_posix.cpp -o "$out/save_loader_fuzzer"

# Starts the fuzzer would take long to find: the name "abc", seed 0, no cell
# or one treasure cell given, then the trailer of a new world (x, y, tick,
# lingli, atk 10, hp 100, defence 5, no treasures).
z8='\0\0\0\0\0\0\0\0'
z16="$z8$z8"
trailer="$z8\0\0\0\0$z16\n\0\0\0\0\0\0\0$z8\144\0\0\0\0\0\0\0$z8\5\0\0\0\0\0\0\0$z8$z8"
treasure_cell="\1\0\0\0\2\0\0\0$z8\1\0\0\0\0\0\0\0$z8$z16$z16$z16"
printf "\0abc\n$z8$trailer" >"$out/corpus/new-world"
printf "\1abc\n$z8$treasure_cell$trailer" >"$out/corpus/one-treasure"

# ASan's leak check and UBSan's aborts make a failure exit non-zero.
ASAN_OPTIONS=detect_leaks=1 "$out/save_loader_fuzzer" -max_total_time="$seconds" -max_len=32768 \
  -artifact_prefix="$out/" "$out/corpus"
