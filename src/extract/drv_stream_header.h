#pragma once
// The 80 bytes in front of the telemetry records of a ".drv" stream: the file's
// own name, sizes computed from the recording's drvFrameCount, and the start
// stamp.
#include <array>
#include <cstdint>
#include <string>

#include "core/mmv_blocks.h"

namespace vk2 {

constexpr std::size_t kDrvStreamHeaderSize = 80;
constexpr std::size_t kDrvNameFieldSize = 40;

// `drvFileName` is the ".drv" file's name without its folder; at most 40 bytes
// of it are kept, NUL-padded (no terminator when it has 40 or more).
std::array<uint8_t, kDrvStreamHeaderSize> drvStreamHeader(const std::string& drvFileName,
                                                          int32_t drvFrameCount,
                                                          const MmvTimeStamp& startStamp);

}  // namespace vk2
