#pragma once
// The positions of a track and the places where its event episodes start, gathered for
// the formats that write them apart (the line first, the event points after).
// A few numbers a record: far less than the subtitle script holds.
#include <cstdint>
#include <vector>

#include "extract/drv_record.h"
#include "telemetry/track_events.h"
#include "telemetry/track_text.h"

namespace vk2 {

struct TrackPosition {
  double latitude = 0.0;
  double longitude = 0.0;
  int32_t time = 0;  // seconds since 1970 UTC
};

struct TrackEventPoint {
  const char* name = "";
  TrackPosition at;
};

class TrackPoints {
 public:
  // Records without a position fix add no point; an event that starts at one has
  // no place and is left out too.
  void add(const DrvRecord& record) {
    const std::vector<std::size_t> started = starts_.feed(record);
    if (!hasPositionFix(record)) return;
    const TrackPosition at{record.latitude, record.longitude, record.sampleTime};
    positions_.push_back(at);
    for (const std::size_t kind : started) events_.push_back(TrackEventPoint{kTrackEvents[kind].name, at});
  }
  const std::vector<TrackPosition>& positions() const { return positions_; }
  const std::vector<TrackEventPoint>& events() const { return events_; }

 private:
  EventStarts starts_;
  std::vector<TrackPosition> positions_;
  std::vector<TrackEventPoint> events_;
};

}  // namespace vk2
