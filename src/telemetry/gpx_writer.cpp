#include "telemetry/gpx_writer.h"

#include "telemetry/track_text.h"

namespace vk2 {

void GpxWriter::begin() {
  out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<gpx version=\"1.1\" creator=\"vk2mp4\" xmlns=\"http://www.topografix.com/GPX/1/1\" xmlns:vk2=\""
       << kTrackExtensionNamespace << "\">\n"
       << "<trk>\n<trkseg>\n";
}

void GpxWriter::add(const DrvRecord& r) {
  if (!hasPositionFix(r)) return;
  out_ << "<trkpt lat=\"" << fixedText(r.latitude, 7) << "\" lon=\"" << fixedText(r.longitude, 7) << "\"><time>"
       << isoUtcText(r.sampleTime) << "</time><extensions><vk2:speed>" << fixedText(r.speedKmh / 3.6, 3)
       << "</vk2:speed>";
  if (hasHeading(r)) out_ << "<vk2:course>" << fixedText(r.heading, 2) << "</vk2:course>";
  out_ << "</extensions></trkpt>\n";
}

void GpxWriter::end() { out_ << "</trkseg>\n</trk>\n</gpx>\n"; }

}  // namespace vk2
