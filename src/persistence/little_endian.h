#pragma once
// Integers as save files hold them: little-endian two's complement, a 128-bit
// value as its low 8 bytes, then its high 8 bytes. Built from shifts, so the
// bytes are the same whatever order the machine keeps them in.

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/int128.h"

namespace persistence::little_endian {

__extension__ typedef unsigned __int128 uint128;

inline void put_unsigned(std::string& out, std::uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline void put_int32(std::string& out, std::int32_t value) {
  put_unsigned(out, static_cast<std::uint32_t>(value), 4);
}
inline void put_int64(std::string& out, std::int64_t value) {
  put_unsigned(out, static_cast<std::uint64_t>(value), 8);
}
inline void put_uint64(std::string& out, std::uint64_t value) { put_unsigned(out, value, 8); }
inline void put_int128(std::string& out, int128 value) {
  const auto bits = static_cast<uint128>(value);
  put_unsigned(out, static_cast<std::uint64_t>(bits), 8);
  put_unsigned(out, static_cast<std::uint64_t>(bits >> 64), 8);
}

// The field's own width, for the fields of a record (save_file.h's Trailer).
inline void put(std::string& out, std::int32_t value) { put_int32(out, value); }
inline void put(std::string& out, std::uint64_t value) { put_uint64(out, value); }
inline void put(std::string& out, int128 value) { put_int128(out, value); }

inline std::uint64_t get_unsigned(const unsigned char* bytes, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
  return value;
}

inline std::int32_t get_int32(const unsigned char* bytes) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(get_unsigned(bytes, 4)));
}
inline std::int64_t get_int64(const unsigned char* bytes) { return static_cast<std::int64_t>(get_unsigned(bytes, 8)); }
inline std::uint64_t get_uint64(const unsigned char* bytes) { return get_unsigned(bytes, 8); }
inline int128 get_int128(const unsigned char* bytes) {
  const uint128 low = get_unsigned(bytes, 8);
  const uint128 high = get_unsigned(bytes + 8, 8);
  return static_cast<int128>(low | (high << 64));
}

inline void get(const unsigned char* bytes, std::int32_t& value) { value = get_int32(bytes); }
inline void get(const unsigned char* bytes, std::uint64_t& value) { value = get_uint64(bytes); }
inline void get(const unsigned char* bytes, int128& value) { value = get_int128(bytes); }

}  // namespace persistence::little_endian
