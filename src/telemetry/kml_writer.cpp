#include "telemetry/kml_writer.h"

#include "telemetry/track_text.h"

namespace vk2 {

namespace {

std::string coordinates(const TrackPosition& p) {
  return fixedText(p.longitude, 7) + "," + fixedText(p.latitude, 7);
}

}  // namespace

void KmlWriter::end() {
  out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
          "<Document>\n";
  // A LineString takes two positions or more.
  if (points_.positions().size() >= 2) {
    out_ << "<Placemark>\n<name>Track</name>\n<LineString>\n<coordinates>\n";
    for (const TrackPosition& p : points_.positions()) out_ << coordinates(p) << "\n";
    out_ << "</coordinates>\n</LineString>\n</Placemark>\n";
  }
  for (const TrackEventPoint& e : points_.events())
    out_ << "<Placemark>\n<name>" << e.name << "</name>\n<TimeStamp><when>" << isoUtcText(e.at.time)
         << "</when></TimeStamp>\n<Point><coordinates>" << coordinates(e.at) << "</coordinates></Point>\n</Placemark>\n";
  out_ << "</Document>\n</kml>\n";
}

}  // namespace vk2
