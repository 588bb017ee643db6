#!/bin/sh
# Builds both fuzz targets with clang (libFuzzer, ASan, UBSan) in build/fuzz,
# seeds their corpora and runs each for a bounded time; fails on a crash, a
# leak or a sanitizer report. The corpora grow in build/fuzz between runs.
# Usage: scripts/fuzz.sh [seconds for each target; default 60 for the save
# loader, 30 for the key decoder]
set -eu
cd "$(dirname "$0")/.."

scripts/install-deps.sh fuzz
out=build/fuzz
loader_seconds="${1:-60}"
decoder_seconds="${1:-30}"

# -O1: fast enough to fuzz, and the sanitizers' reports stay readable.
cmake -S . -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DLANTERNVALE_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" >/dev/null
cmake --build "$out" -j"${JOBS:-2}" --target save_loader_fuzzer key_decoder_fuzzer

loader_corpus="$out/corpus/save_loader"
decoder_corpus="$out/corpus/key_decoder"
mkdir -p "$loader_corpus" "$decoder_corpus"

# Save loader starts the fuzzer would take long to find: the name "abc",
# seed 0, no cell or one treasure cell given, then the trailer of a new world
# (x, y, tick, lingli, atk 10, hp 100, defence 5, no treasures).
z8='\0\0\0\0\0\0\0\0'
z16="$z8$z8"
trailer="$z8\0\0\0\0$z16\n\0\0\0\0\0\0\0$z8\144\0\0\0\0\0\0\0$z8\5\0\0\0\0\0\0\0$z8$z8"
treasure_cell="\1\0\0\0\2\0\0\0$z8\1\0\0\0\0\0\0\0$z8$z16$z16$z16"
printf "\0abc\n$z8$trailer" >"$loader_corpus/new-world"
printf "\1abc\n$z8$treasure_cell$trailer" >"$loader_corpus/one-treasure"

# Key decoder starts: the encoding (0 GBK, 1 UTF-8), then pieces of a time
# step in milliseconds, a length and that many bytes. The arrows and F3 as
# terminals send them, a lone Escape settled by a pause, a GBK character, and
# a UTF-8 character split across two reads.
printf '\1\0\3\033[A\0\3\033OR\0\4\033[1;' >"$decoder_corpus/arrows-and-f3"
printf '\0\0\1\033\144\1q' >"$decoder_corpus/lone-escape"
printf '\0\0\2\265\306\0\1\r' >"$decoder_corpus/gbk-character"
printf '\1\0\2\347\201\5\1\257' >"$decoder_corpus/split-utf8-character"

# A failure exits non-zero: libFuzzer's own for a crash or a leak, UBSan's
# abort for undefined behaviour.
run() {
  fuzzer="$1" seconds="$2" corpus="$3"
  shift 3
  echo "Fuzzing $fuzzer for $seconds s"
  ASAN_OPTIONS=detect_leaks=1 "$out/tests/fuzz/$fuzzer" -max_total_time="$seconds" \
    -artifact_prefix="$out/$fuzzer-" "$@" "$corpus"
}
run save_loader_fuzzer "$loader_seconds" "$loader_corpus" -max_len=32768
run key_decoder_fuzzer "$decoder_seconds" "$decoder_corpus"
