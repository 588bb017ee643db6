#pragma once
// Saving, loading and listing worlds, seen from the benchmarks through plain
// functions (the game's `benchmark` table and Google Benchmark cannot share a
// translation unit). Everything happens in a scratch directory of its own,
// made current on first use and removed at exit.

#include <cstdint>

namespace save_workload {

// Generates the world of seed 1 and saves it once, so there is a file to read.
void prepare_world();
std::uint64_t save_file_bytes();
// What the save takes on the disk: blocks of zeros are holes and take none.
std::uint64_t save_file_bytes_on_disk();

// The game's save, with or without its syncs to the disk.
void save_world(bool sync);
// One sequential write of the same number of bytes from one buffer over the
// file written last time, with or without a sync: the bound the disk and the
// kernel set (a POSIX benchmark: it calls the system directly).
void write_plain_file(bool sync);

// The game's load, every value checked, into a game kept for the run.
void load_world();
// One read of the whole file into one buffer.
void read_plain_file();

// Three saves of full size, or three small files of the same names.
void prepare_listings();
// Lists the saves of one of the two directories; returns how many it found.
int list_saves(bool full_size);

}  // namespace save_workload
