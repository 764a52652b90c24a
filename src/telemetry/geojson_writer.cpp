#include "telemetry/geojson_writer.h"

#include "telemetry/track_text.h"

namespace vk2 {

namespace {

std::string position(const TrackPosition& p) {
  std::string text(1, '[');
  text.append(fixedText(p.longitude, 7)).append(1, ',').append(fixedText(p.latitude, 7)).append(1, ']');
  return text;
}

}  // namespace

void GeoJsonWriter::end() {
  out_ << "{\"type\":\"FeatureCollection\",\"features\":[";
  const char* separator = "\n";
  // A LineString takes two positions or more.
  const std::vector<TrackPosition>& positions = points_.positions();
  if (positions.size() >= 2) {
    out_ << separator << "{\"type\":\"Feature\",\"geometry\":{\"type\":\"LineString\",\"coordinates\":[";
    for (std::size_t i = 0; i < positions.size(); ++i) out_ << (i ? "," : "") << position(positions[i]);
    out_ << "]},\"properties\":{\"times\":[";
    for (std::size_t i = 0; i < positions.size(); ++i)
      out_ << (i ? ",\"" : "\"") << isoUtcText(positions[i].time) << "\"";
    out_ << "]}}";
    separator = ",\n";
  }
  for (const TrackEventPoint& e : points_.events()) {
    out_ << separator << "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":" << position(e.at)
         << "},\"properties\":{\"event\":\"" << e.name << "\",\"time\":\"" << isoUtcText(e.at.time) << "\"}}";
    separator = ",\n";
  }
  out_ << "\n]}\n";
}

}  // namespace vk2
