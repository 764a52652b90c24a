#pragma once
// GeoJSON (RFC 7946): a FeatureCollection of the track as a LineString whose
// property "times" holds the UTC time of each position, and a Point per event
// start with the properties "event" and "time". Written at the end, from the
// gathered points.
#include <ostream>

#include "telemetry/track_points.h"
#include "telemetry/track_writer.h"

namespace vk2 {

class GeoJsonWriter : public TrackWriter {
 public:
  explicit GeoJsonWriter(std::ostream& out) : out_(out) {}
  void add(const DrvRecord& record) override { points_.add(record); }
  void end() override;

 private:
  std::ostream& out_;
  TrackPoints points_;
};

}  // namespace vk2
