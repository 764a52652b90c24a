#include "telemetry/gpx_writer.h"

#include "telemetry/track_text.h"

namespace vk2 {

namespace {

std::string place(const TrackPosition& p) {
  return "lat=\"" + fixedText(p.latitude, 7) + "\" lon=\"" + fixedText(p.longitude, 7) + "\"";
}

}  // namespace

void GpxWriter::add(const DrvRecord& r) {
  points_.add(r);
  if (hasPositionFix(r))
    motion_.push_back(Motion{r.speedKmh / 3.6, hasHeading(r) ? std::optional<double>(r.heading) : std::nullopt});
}

void GpxWriter::end() {
  out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<gpx version=\"1.1\" creator=\"vk2mp4\" xmlns=\"http://www.topografix.com/GPX/1/1\" xmlns:vk2=\""
       << kTrackExtensionNamespace << "\">\n";
  for (const TrackEventPoint& e : points_.events())
    out_ << "<wpt " << place(e.at) << "><time>" << isoUtcText(e.at.time) << "</time><name>" << e.name
         << "</name></wpt>\n";
  out_ << "<trk>\n<trkseg>\n";
  const std::vector<TrackPosition>& positions = points_.positions();
  for (std::size_t i = 0; i < positions.size(); ++i) {
    out_ << "<trkpt " << place(positions[i]) << "><time>" << isoUtcText(positions[i].time)
         << "</time><extensions><vk2:speed>" << fixedText(motion_[i].speedMs, 3) << "</vk2:speed>";
    if (motion_[i].course) out_ << "<vk2:course>" << fixedText(*motion_[i].course, 2) << "</vk2:course>";
    out_ << "</extensions></trkpt>\n";
  }
  out_ << "</trkseg>\n</trk>\n</gpx>\n";
}

}  // namespace vk2
