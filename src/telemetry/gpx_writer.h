#pragma once
// GPX 1.1: a waypoint, named after the event and stamped with its time, where
// each event starts, then one track of one segment, a point per record with a
// position fix, with its UTC time and, as extensions in the tool's own
// namespace, the speed in m/s and the heading in degrees. GPX puts the
// waypoints first, so everything is written at the end, from the gathered points.
#include <optional>
#include <ostream>
#include <vector>

#include "telemetry/track_points.h"
#include "telemetry/track_writer.h"

namespace vk2 {

inline constexpr const char* kTrackExtensionNamespace = "urn:vk2:telemetry";

class GpxWriter : public TrackWriter {
 public:
  explicit GpxWriter(std::ostream& out) : out_(out) {}
  void add(const DrvRecord& record) override;
  void end() override;

 private:
  // What a track point carries besides its place and time, one per position.
  struct Motion {
    double speedMs;
    std::optional<double> course;
  };

  std::ostream& out_;
  TrackPoints points_;
  std::vector<Motion> motion_;
};

}  // namespace vk2
