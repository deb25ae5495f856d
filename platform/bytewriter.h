// Little-endian integers into byte vectors, the writers' counterpart of ByteReader: the BMP
// and icon encoders, the skin archive and resource file writers and the tests' fixtures.
// Stateless functions; not thread-safe on one vector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Stores the low `width` bytes of `value` at `bytes[at]`, least significant first.
// REQUIRES: at + width <= bytes.size().
inline void StoreLE(std::vector<uint8_t>& bytes, size_t at, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Appends the low `width` bytes of `value`, least significant first.
inline void AppendLE(std::vector<uint8_t>& out, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
inline void AppendU16(std::vector<uint8_t>& out, uint16_t value) { AppendLE(out, value, 2); }
inline void AppendU32(std::vector<uint8_t>& out, uint32_t value) { AppendLE(out, value, 4); }

}  // namespace platform
