// vk2mp4 track: the telemetry of a selection as a GPX, KML, GeoJSON or CSV file,
// the format chosen by the target's extension.
#include <optional>
#include <ostream>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/run_options.h"
#include "cli/selection_file.h"
#include "cli/step_display.h"
#include "telemetry/track_export.h"

namespace vk2::cli {

namespace {

int writeTrack(const RunOptions& run, std::ostream& out, std::ostream& err) {
  if (!run.target) return usageError(err, "track", "-o: the track file is missing");
  const std::string& target = *run.target;
  const std::optional<TrackFormat> format = trackFormatOfPath(target);
  if (!format) return usageError(err, "track", "-o " + target + ": expected a name ending in .gpx, .kml, .geojson or .csv");
  return writeSelectionFile(
      run, target, kTrackLine, [&](StageContext& ctx) { return ExportTrack(ctx, target, *format).warnings; }, out,
      err);
}

}  // namespace

int runTrackCommand(const Args& args, std::ostream& out, std::ostream& err) {
  return runInterruptible("track", args, out, err, &writeTrack, "track interrupted; nothing was written");
}

}  // namespace vk2::cli
