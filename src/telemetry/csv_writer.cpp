#include "telemetry/csv_writer.h"

#include "telemetry/track_events.h"
#include "telemetry/track_text.h"

namespace vk2 {

void CsvWriter::begin() {
  out_ << "time_utc," << (settings_.localTime ? "subtitle_time_local" : "subtitle_time_utc")
       << ",latitude,longitude,heading," << (settings_.speedKmh ? "speed_kmh" : "speed_mph")
       << ",rpm,accel_x_g,accel_y_g,accel_z_g,fcw,ldw,fpw,fvsa,g_sensor,speeding,panic\r\n";
}

void CsvWriter::add(const DrvRecord& r) {
  out_ << isoUtcText(r.sampleTime) << ',' << (settings_.localTime ? isoLocalText(r.sampleTime) : isoUtcText(r.sampleTime))
       << ',' << fixedText(r.latitude, 7) << ',' << fixedText(r.longitude, 7) << ','
       << (hasHeading(r) ? fixedText(r.heading, 2) : std::string()) << ','
       << (settings_.speedKmh ? std::to_string(r.speedKmh) : fixedText(r.speedMph(), 2)) << ',' << r.engineRpm
       << ',' << fixedText(DrvRecord::toG(r.accelX), 3) << ',' << fixedText(DrvRecord::toG(r.accelY), 3) << ','
       << fixedText(DrvRecord::toG(r.accelZ), 3);
  for (const TrackEventKind& kind : kTrackEvents) out_ << (isRaised(r.*kind.state) ? ",1" : ",0");
  out_ << "\r\n";
}

}  // namespace vk2
