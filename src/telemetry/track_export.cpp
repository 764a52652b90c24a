#include "telemetry/track_export.h"

#include "core/file_error.h"
#include "core/run_files.h"
#include "telemetry/replacing_file.h"
#include "telemetry/track_reader.h"

namespace vk2 {

void CheckTrackTarget(const std::vector<std::string>& recordings, const std::string& target) {
  CheckRunFiles(recordings, RunFiles::forTrack(target));
}

TrackExport ExportTrack(StageContext& ctx, const std::string& target, TrackFormat format) {
  CheckTrackTarget(ctx.state.selectedFiles, target);
  const TrackSettings settings{ctx.options.rbSpeedKmh(), ctx.options.rbSubLocal()};
  ReplacingFile file(target);
  const auto writer = makeTrackWriter(format, file.stream(), settings);
  writer->begin();
  TrackReading reading = ReadTrack(ctx, [&writer](const DrvRecord& record) { writer->add(record); });
  writer->end();
  file.commit();

  TrackExport result;
  result.records = reading.records;
  result.warnings = std::move(reading.warnings);
  if (reading.records == 0) result.warnings.push_back(target + ": no telemetry record lies in the time window");
  ctx.log.append("Track File = " + target);
  ctx.log.append("Track Records = " + std::to_string(reading.records));
  return result;
}

}  // namespace vk2
