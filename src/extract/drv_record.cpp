#include "extract/drv_record.h"

#include "core/byte_io.h"

namespace vk2 {

DrvRecord DrvRecord::read(const uint8_t* p) {
  DrvRecord r;
  r.speedKmh = readU8(p + kSpeedKmhOffset);
  r.engineRpm = readU16(p + kEngineRpmOffset);
  r.fvsaState = readU8(p + kFvsaStateOffset);
  r.fpwState = readU8(p + kFpwStateOffset);
  r.fcwState = readU8(p + kFcwStateOffset);
  r.latitude = readF64(p + kLatitudeOffset);
  r.longitude = readF64(p + kLongitudeOffset);
  r.heading = readF64(p + kHeadingOffset);
  r.sampleTime = readI32(p + kSampleTimeOffset);
  r.gsensorState = readU8(p + kGsensorStateOffset);
  r.panicState = readU8(p + kPanicStateOffset);
  r.speedingState = readU8(p + kSpeedingStateOffset);
  r.accelX = readI16(p + kAccelXOffset);
  r.accelY = readI16(p + kAccelYOffset);
  r.accelZ = readI16(p + kAccelZOffset);
  r.ldwState = readU8(p + kLdwStateOffset);
  return r;
}

void DrvRecord::write(uint8_t* p) const {
  writeU8(p + kSpeedKmhOffset, speedKmh);
  writeU16(p + kEngineRpmOffset, engineRpm);
  writeU8(p + kFvsaStateOffset, fvsaState);
  writeU8(p + kFpwStateOffset, fpwState);
  writeU8(p + kFcwStateOffset, fcwState);
  writeF64(p + kLatitudeOffset, latitude);
  writeF64(p + kLongitudeOffset, longitude);
  writeF64(p + kHeadingOffset, heading);
  writeI32(p + kSampleTimeOffset, sampleTime);
  writeU8(p + kGsensorStateOffset, gsensorState);
  writeU8(p + kPanicStateOffset, panicState);
  writeU8(p + kSpeedingStateOffset, speedingState);
  writeI16(p + kAccelXOffset, accelX);
  writeI16(p + kAccelYOffset, accelY);
  writeI16(p + kAccelZOffset, accelZ);
  writeU8(p + kLdwStateOffset, ldwState);
}

std::string DrvRecord::compassLabel() const { return vk2::compassLabel(heading); }

std::string compassLabel(double heading) {
  // Exact comparisons in this order: only the four exact angles are cardinal.
  if (heading == 0) return "N";
  if (heading == 90) return "E";
  if (heading == 180) return "S";
  if (heading == 270) return "W";
  if (heading > 0 && heading < 90) return "NE";
  if (heading > 90 && heading < 180) return "SE";
  if (heading > 180 && heading < 270) return "SW";
  if (heading > 270 && heading < 360) return "NW";
  return "";
}

}  // namespace vk2
