#pragma once
// Signed 128-bit two's complement: the player's statistics, treasure amounts
// and the strength tables. GCC and Clang provide it on every target we build.

__extension__ typedef __int128 int128;
