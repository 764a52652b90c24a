#pragma once
// KML 2.2: a Document with the track as a LineString placemark and a Point
// placemark, named after the event and stamped with its time, where each
// event starts. Everything is written at the end, from the gathered points.
#include <ostream>

#include "telemetry/track_points.h"
#include "telemetry/track_writer.h"

namespace vk2 {

class KmlWriter : public TrackWriter {
 public:
  explicit KmlWriter(std::ostream& out) : out_(out) {}
  void add(const DrvRecord& record) override { points_.add(record); }
  void end() override;

 private:
  std::ostream& out_;
  TrackPoints points_;
};

}  // namespace vk2
