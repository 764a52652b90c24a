#pragma once
// Small MP4 files the converter stand-ins write: complete in the eyes of the
// run's output check (file type, movie header of a given length, a free box)
// and carrying a marker text that tests read back.
#include <charconv>
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace vk2::testing {

// The length the muxing line asks for with "-t 00:M:S", in seconds; 0 without one.
// (Whole numbers, read without the locale's say.)
inline double muxingLineSeconds(const std::vector<std::string>& argv) {
  const auto whole = [](const std::string& text) {
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
  };
  for (std::size_t i = 0; i + 1 < argv.size(); ++i)
    if (argv[i] == "-t") {
      const std::string& t = argv[i + 1];
      const std::size_t colon = t.rfind(':');
      return whole(t.substr(3, colon - 3)) * 60.0 + whole(t.substr(colon + 1));
    }
  return 0;
}

inline std::string bigEndian32(uint32_t v) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
  return s;
}

// Everything but the marker, for a marker of `markerBytes` bytes.
inline std::string fakeMp4Head(double seconds, std::size_t markerBytes) {
  const auto box = [](const std::string& type, const std::string& payload) {
    return bigEndian32(static_cast<uint32_t>(8 + payload.size())) + type + payload;
  };
  // Version 0 movie header: times, scale 1000, duration in ms, then 80 bytes of rates and matrix.
  const std::string mvhd = box("mvhd", std::string(12, '\0') + bigEndian32(1000) +
                                           bigEndian32(static_cast<uint32_t>(seconds * 1000)) + std::string(80, '\0'));
  return box("ftyp", std::string("isom\0\0\2\0", 8)) + box("moov", mvhd) +
         bigEndian32(static_cast<uint32_t>(8 + markerBytes)) + "free";
}

inline std::string fakeMp4(double seconds, const std::string& marker) {
  return fakeMp4Head(seconds, marker.size()) + marker;
}

// A small Matroska file the output check takes as complete: an EBML header and
// a segment whose information gives the length, then the marker in a void element.
inline std::string fakeMkv(double seconds, const std::string& marker) {
  const auto element = [](const std::string& id, const std::string& data) {
    return id + bigEndian32(0x10000000u | static_cast<uint32_t>(data.size())) + data;  // a 4-byte size
  };
  const uint64_t bits = std::bit_cast<uint64_t>(seconds * 1000);  // 1 ms a tick
  const std::string duration = bigEndian32(static_cast<uint32_t>(bits >> 32)) + bigEndian32(static_cast<uint32_t>(bits));
  const std::string info = element("\x15\x49\xA9\x66", element("\x2A\xD7\xB1", bigEndian32(1000000)) +
                                                           element("\x44\x89", duration));
  return element("\x1A\x45\xDF\xA3", element("\x42\x82", "matroska")) +
         element("\x18\x53\x80\x67", info + element("\xEC", marker));
}

// The marker of a fake MP4's text ("" when it is not one).
inline std::string fakeMp4Marker(const std::string& bytes) {
  const std::size_t head = fakeMp4Head(0, 0).size();
  return bytes.size() >= head ? bytes.substr(head) : std::string();
}

}  // namespace vk2::testing
