#include "telemetry/track_export.h"

#include "core/file_error.h"
#include "core/run_files.h"
#include "telemetry/replacing_file.h"
#include "telemetry/track_reader.h"
#include "telemetry/track_text.h"

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
  int32_t fixes = 0;
  TrackReading reading = ReadTrack(ctx, [&writer, &fixes](const DrvRecord& record) {
    writer->add(record);
    if (hasPositionFix(record)) ++fixes;
  });
  writer->end();
  file.commit();

  TrackExport result;
  result.records = reading.records;
  result.warnings = std::move(reading.warnings);
  if (reading.records == 0) result.warnings.push_back(target + ": no telemetry record lies in the time window");
  // Written all the same, but a track without a place is not what the user asked for.
  else if (fixes == 0)
    result.warnings.push_back(target + (format == TrackFormat::Csv
                                            ? ": no position fix in the selection: no row of the track holds a position"
                                            : ": no position fix in the selection: the track holds no points"));
  ctx.log.append("Track File = " + target);
  ctx.log.append("Track Records = " + std::to_string(reading.records));
  return result;
}

}  // namespace vk2
