#pragma once
// One 120-byte telemetry sample as the camera stores it in a frame of type 3.
// Fields sit at fixed, often unaligned offsets; bytes not named here are never
// interpreted.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/calendar_time.h"

namespace vk2 {

constexpr std::size_t kDrvRecordSize = 120;

struct DrvRecord {
  static constexpr std::size_t kSpeedKmhOffset = 0;
  static constexpr std::size_t kEngineRpmOffset = 1;
  static constexpr std::size_t kFvsaStateOffset = 3;
  static constexpr std::size_t kFpwStateOffset = 4;
  static constexpr std::size_t kFcwStateOffset = 5;
  static constexpr std::size_t kLatitudeOffset = 11;
  static constexpr std::size_t kLongitudeOffset = 19;
  static constexpr std::size_t kHeadingOffset = 27;
  static constexpr std::size_t kSampleTimeOffset = 43;
  static constexpr std::size_t kGsensorStateOffset = 52;
  static constexpr std::size_t kPanicStateOffset = 53;
  static constexpr std::size_t kSpeedingStateOffset = 54;
  static constexpr std::size_t kAccelXOffset = 55;
  static constexpr std::size_t kAccelYOffset = 57;
  static constexpr std::size_t kAccelZOffset = 59;
  static constexpr std::size_t kLdwStateOffset = 93;

  uint8_t speedKmh = 0;
  uint16_t engineRpm = 0;
  uint8_t fvsaState = 0;
  uint8_t fpwState = 0;
  uint8_t fcwState = 0;
  double latitude = 0.0;
  double longitude = 0.0;
  double heading = 0.0;    // degrees clockwise from north
  int32_t sampleTime = 0;  // seconds since 1970 UTC
  uint8_t gsensorState = 0;
  uint8_t panicState = 0;
  uint8_t speedingState = 0;
  int16_t accelX = 0;  // thousandths of g
  int16_t accelY = 0;
  int16_t accelZ = 0;
  uint8_t ldwState = 0;

  // Decodes a payload of kDrvRecordSize bytes.
  static DrvRecord read(const uint8_t* payload);
  // Stores the named fields into a payload of kDrvRecordSize bytes, leaving the
  // other bytes as they are (recording generators and tests).
  void write(uint8_t* payload) const;

  double speedMph() const { return speedKmh * 0.621371; }
  static double toG(int16_t axis) { return axis / 1000.0; }
  std::string compassLabel() const;
  CalendarTime calendarTime(bool local) const { return breakDownTime(sampleTime, local); }
};

// An event state byte raises its event only when it is 1 or 2.
inline bool isRaised(uint8_t state) { return state == 1 || state == 2; }

// "N", "E", "S", "W" at exactly the cardinal angles, "NE", "SE", "SW", "NW" strictly
// between them, and "" for anything outside [0, 360) or not a number.
std::string compassLabel(double heading);

}  // namespace vk2
