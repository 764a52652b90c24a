#pragma once
// The smallest recordings the selection, card and name tests need: the right
// stamps and just enough records to scan, group or merge.
#include <cstdint>
#include <string>

#include "synth/mmv_builder.h"

namespace vk2::testing {

// One key frame between the stamps: enough to be found, grouped into a trip and read.
inline void writeKeyFrameRecording(const std::string& path, int32_t start, int32_t seconds) {
  synth::MmvBuilder b;
  b.setTimes(start, start + seconds);
  b.add(kFrameVideo0, {0, 0, 0, 1, 0x65}, static_cast<uint64_t>(start) * 1000, true);
  b.writeTo(path);
}

// Ten seconds of key frames and audio, no telemetry.
inline void writeTenSecondRecording(const std::string& path, int32_t start) {
  synth::MmvBuilder b;
  b.setTimes(start, start + 10);
  for (int i = 0; i < 10; ++i) b.add(kFrameVideo0, {0, 0, 0, 1}, 0, true).add(kFrameAudio, {1, 2});
  b.writeTo(path);
}

}  // namespace vk2::testing
