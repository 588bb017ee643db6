#pragma once
// Fills the cell-type table `gailv` (start-up does this once, before any world).
void fill_gailv();
