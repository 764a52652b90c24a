#include "synth/drive_model.h"

#include <algorithm>
#include <cmath>

#include "core/byte_io.h"

namespace vk2::synth {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStep = 1.0 / kDrvSamplesPerSecond;
constexpr double kMetresPerDegree = 111320.0;

double speedAt(double t) {
  return std::clamp(52 + 24 * std::sin(2 * kPi * t / 60) + 6 * std::sin(2 * kPi * t / 7), 0.0, 255.0);
}

// Raised (1 or 2) during [from, from + length) of every `period` seconds.
uint8_t eventState(double t, double period, double from, double length) {
  const double phase = std::fmod(t, period);
  if (phase < from || phase >= from + length) return 0;
  return phase < from + length / 2 ? 1 : 2;
}

int16_t thousandths(double g) { return static_cast<int16_t>(std::clamp(std::lround(g * 1000), -32768L, 32767L)); }

}  // namespace

DriveModel::DriveModel(int32_t startEpoch, bool events)
    : startEpoch_(startEpoch), events_(events), speedKmh_(speedAt(0)) {}

std::array<uint8_t, kDrvRecordSize> DriveModel::next() {
  const double t = static_cast<double>(sample_) * kStep;
  const double speed = speedAt(t);
  const double turnRate = 6 * std::sin(2 * kPi * t / 45);  // degrees per second
  const double metres = speed / 3.6 * kStep;
  const double radians = heading_ * kPi / 180;
  latitude_ += metres * std::cos(radians) / kMetresPerDegree;
  longitude_ += metres * std::sin(radians) / (kMetresPerDegree * std::cos(latitude_ * kPi / 180));
  heading_ = std::fmod(heading_ + turnRate * kStep + 360, 360);
  const double forwardG = (speed - speedKmh_) / 3.6 / kStep / 9.81;
  const double lateralG = speed / 3.6 * (turnRate * kPi / 180) / 9.81;
  const double verticalG = 1 + 0.02 * std::sin(2 * kPi * t * 1.3);
  speedKmh_ = speed;

  std::array<uint8_t, kDrvRecordSize> r{};
  uint8_t* p = r.data();
  writeU8(p + 0, static_cast<uint8_t>(std::lround(speed)));
  writeU16(p + 1, static_cast<uint16_t>(std::lround(750 + speed * 32)));
  if (events_) {
    writeU8(p + 5, eventState(t, 17, 8, 1.5));   // FCW
    writeU8(p + 53, eventState(t, 41, 30, 1));   // Panic
    writeU8(p + 93, eventState(t, 23, 12, 2));   // LDW
    writeU8(p + 54, speed > 78 ? 1 : 0);         // Speeding
  }
  writeF64(p + 11, latitude_);
  writeF64(p + 19, longitude_);
  writeF64(p + 27, heading_);
  writeI32(p + 43, startEpoch_ + static_cast<int32_t>(sample_ / kDrvSamplesPerSecond));
  writeI16(p + 55, thousandths(forwardG));
  writeI16(p + 57, thousandths(lateralG));
  writeI16(p + 59, thousandths(verticalG));
  ++sample_;
  return r;
}

}  // namespace vk2::synth
