#pragma once
// Little-endian reads and writes at any byte address. The MMV blocks keep many
// fields at odd offsets, so nothing is ever read through an aligned structure.
#include <cstdint>
#include <cstring>

namespace vk2 {

inline uint8_t readU8(const uint8_t* p) { return p[0]; }

inline uint16_t readU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline int16_t readI16(const uint8_t* p) { return static_cast<int16_t>(readU16(p)); }

inline uint32_t readU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline int32_t readI32(const uint8_t* p) { return static_cast<int32_t>(readU32(p)); }

inline uint64_t readU64(const uint8_t* p) {
  return static_cast<uint64_t>(readU32(p)) | (static_cast<uint64_t>(readU32(p + 4)) << 32);
}

inline double readF64(const uint8_t* p) {
  uint64_t bits = readU64(p);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void writeU8(uint8_t* p, uint8_t v) { p[0] = v; }

inline void writeU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

inline void writeI16(uint8_t* p, int16_t v) { writeU16(p, static_cast<uint16_t>(v)); }

inline void writeU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void writeI32(uint8_t* p, int32_t v) { writeU32(p, static_cast<uint32_t>(v)); }

inline void writeU64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void writeF64(uint8_t* p, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  writeU64(p, bits);
}

}  // namespace vk2
