#pragma once
// GPX 1.1: one track of one segment, a point per record with a position fix,
// with its UTC time and, as extensions in the tool's own namespace, the speed
// in m/s and the heading in degrees.
#include <ostream>

#include "telemetry/track_writer.h"

namespace vk2 {

inline constexpr const char* kTrackExtensionNamespace = "urn:vk2:telemetry";

class GpxWriter : public TrackWriter {
 public:
  explicit GpxWriter(std::ostream& out) : out_(out) {}
  void begin() override;
  void add(const DrvRecord& record) override;
  void end() override;

 private:
  std::ostream& out_;
};

}  // namespace vk2
