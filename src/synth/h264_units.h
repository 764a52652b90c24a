#pragma once
// Splits an H.264 Annex-B byte stream into access units (one picture each).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vk2::synth {

struct AccessUnit {
  std::size_t offset = 0;  // first byte, at the start code of its first NAL unit
  std::size_t length = 0;
  bool keyFrame = false;  // holds an IDR slice
};

// Parameter sets, SEI and delimiters belong to the picture that follows them.
// A new picture starts at a slice whose first_mb_in_slice is 0.
std::vector<AccessUnit> splitAccessUnits(const std::vector<uint8_t>& stream);

}  // namespace vk2::synth
