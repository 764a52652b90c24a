#pragma once
// What every track format writes: an opening, one call per telemetry record
// inside the time window, and a closing.
#include <iosfwd>

#include "extract/drv_record.h"

namespace vk2 {

// The choices of the conversion that a track follows, read once at its start.
struct TrackSettings {
  bool speedKmh = true;   // rbSpeedKmh: km/h, else mph (the CSV's speed column)
  bool localTime = true;  // rbSubLocal: the subtitles' clock (the CSV's second time column)
};

class TrackWriter {
 public:
  virtual ~TrackWriter() = default;
  virtual void begin() {}
  virtual void add(const DrvRecord& record) = 0;
  virtual void end() {}
};

}  // namespace vk2
