// vk2mp4 track: the telemetry of a selection as a GPX, KML, GeoJSON or CSV file,
// the format chosen by the target's extension.
#include <optional>
#include <ostream>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/run_options.h"
#include "cli/step_display.h"
#include "core/file_error.h"
#include "core/run_files.h"
#include "platform/folders.h"
#include "telemetry/track_export.h"

namespace vk2::cli {

namespace {

int writeTrack(const RunOptions& run, std::ostream& out, std::ostream& err) {
  if (!run.target) return usageError(err, "track", "-o: the track file is missing");
  const std::string& target = *run.target;
  const std::optional<TrackFormat> format = trackFormatOfPath(target);
  if (!format) return usageError(err, "track", "-o " + target + ": expected a name ending in .gpx, .kml, .geojson or .csv");

  ConversionState state;
  HiddenLog log;
  HiddenLog subtitles;
  StepDisplay display(out, run.quiet, run.verbose);
  LogMirror mirror([&display](const std::string& line) { display.logLine(line); });
  mirror.attach(log);
  // Ctrl-C is noticed at the next record.
  StageContext ctx{state, log, subtitles, run.options, throwIfInterrupted, nullptr, {}};
  if (const int refused = scanRecordings(run, ctx, mirror, err)) return finishWithLog(refused, mirror, err);
  const RunFiles files = RunFiles::forTrack(target);
  CheckRunFiles(run.inputs, files);
  if (run.logFile) mirror.openFile(*run.logFile, log, run.inputs, files.all());
  const std::string folder = folderOf(target);
  if (!folder.empty() && !createFolders(folder)) throw FileError(folder, "cannot create the output folder");

  display.stage(kTrackLine);
  const TrackExport result = ExportTrack(ctx, target, *format);
  display.finishLine();
  for (const std::string& warning : result.warnings) err << "vk2mp4: warning: " << warning << "\n";
  display.result(target);
  return finishWithLog(0, mirror, err);
}

}  // namespace

int runTrackCommand(const Args& args, std::ostream& out, std::ostream& err) {
  return runInterruptible("track", args, out, err, &writeTrack, "track interrupted; nothing was written");
}

}  // namespace vk2::cli
