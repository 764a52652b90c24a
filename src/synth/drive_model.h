#pragma once
// A plausible drive for the telemetry of sample recordings: 10 samples per
// second of position, heading, speed, engine speed, accelerations and the
// occasional driver-assistance or alarm event, as 120-byte DRV records.
#include <array>
#include <cstdint>

namespace vk2::synth {

constexpr std::size_t kDrvRecordSize = 120;
constexpr int kDrvSamplesPerSecond = 10;

class DriveModel {
 public:
  DriveModel(int32_t startEpoch, bool events);
  // The record for the next tenth of a second of the drive.
  std::array<uint8_t, kDrvRecordSize> next();

 private:
  int32_t startEpoch_;
  bool events_;
  int64_t sample_ = 0;
  double latitude_ = 48.13743;
  double longitude_ = 11.57549;
  double heading_ = 72.0;
  double speedKmh_ = 0;
};

}  // namespace vk2::synth
