#pragma once
// Hand-made recordings for the track tests: telemetry records with the values
// a test names, each followed by a video frame, one record a second.
#include <cstdint>
#include <string>
#include <vector>

#include "extract/drv_record.h"
#include "synth/mmv_builder.h"

namespace vk2::testing {

inline std::vector<uint8_t> drvPayload(const DrvRecord& record) {
  std::vector<uint8_t> payload(kDrvRecordSize, 0);
  record.write(payload.data());
  return payload;
}

inline DrvRecord drvAt(int32_t time, double latitude, double longitude, uint8_t speedKmh = 0) {
  DrvRecord r;
  r.sampleTime = time;
  r.latitude = latitude;
  r.longitude = longitude;
  r.speedKmh = speedKmh;
  return r;
}

// As long as it has records, starting at the first record's time.
inline synth::MmvBuilder telemetryRecording(const std::vector<DrvRecord>& records) {
  synth::MmvBuilder b;
  const int32_t start = records.empty() ? 0 : records.front().sampleTime;
  b.setTimes(start, start + static_cast<int32_t>(records.size()));
  for (const DrvRecord& r : records) b.add(kFrameDrv, drvPayload(r)).add(kFrameVideo0, {0, 0, 0, 1});
  return b;
}

// `seconds` records from `start`, one a second, driving slowly east at 72 km/h.
inline void writeDriveRecording(const std::string& path, int32_t start, int seconds) {
  std::vector<DrvRecord> records;
  for (int i = 0; i < seconds; ++i) records.push_back(drvAt(start + i, 50, 8 + i * 0.001, 72));
  telemetryRecording(records).writeTo(path);
}

}  // namespace vk2::testing
