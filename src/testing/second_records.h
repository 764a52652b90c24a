#pragma once
// A hand-made recording for the windows' tests: per second a key frame, an
// audio block and a telemetry record, so that it merges, extracts and converts
// with the stand-in converters in no time.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "extract/drv_record.h"
#include "synth/mmv_builder.h"

namespace vk2::testing {

// With `gsensor`, each record carries its own clock and G-Sensor is raised in
// the seconds it lists (counted from the start).
inline void writeSecondRecords(const std::string& path, int32_t start, int32_t seconds,
                               const std::vector<int32_t>& gsensor = {}) {
  synth::MmvBuilder b;
  b.setTimes(start, start + seconds);
  for (int32_t s = 0; s < seconds; ++s) {
    const uint64_t t = static_cast<uint64_t>(start + s) * 1000;
    b.add(kFrameVideo0, {0, 0, 0, 1, 0x65, static_cast<uint8_t>(s)}, t, true);
    b.add(kFrameAudio, std::vector<uint8_t>(64, static_cast<uint8_t>(s)), t);
    std::vector<uint8_t> drv(kDrvRecordSize, 0);
    if (!gsensor.empty()) {
      DrvRecord r;
      r.sampleTime = start + s;
      r.gsensorState = std::find(gsensor.begin(), gsensor.end(), s) != gsensor.end() ? 1 : 0;
      r.write(drv.data());
    }
    b.add(kFrameDrv, drv, t);
  }
  b.writeTo(path);
}

}  // namespace vk2::testing
