#include <algorithm>
#include <cstdio>
#include <memory>
#include <ostream>
#include <sstream>
#include <filesystem>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/run_options.h"
#include "cli/step_display.h"
#include "conversion/conversion_run.h"
#include "core/filesystem_names.h"
#include "core/paths.h"
#include "core/run_files.h"
#include "core/file_error.h"
#include "mmv/scan.h"
#include "mmv/trips.h"
#include "conversion/trip_names.h"
#include "core/listing_text.h"
#include "platform/process_launch.h"
#include "telemetry/report_export.h"
#include "telemetry/track_export.h"

namespace vk2::cli {

namespace {

// The line of a stage the run reports: "merge 2/3", "extract", "mp4", "subtitles".
std::string stageLine(const std::string& what, const RunOptions& options) {
  int index = 0, count = 0;
  if (std::sscanf(what.c_str(), "merge %d/%d", &index, &count) == 2 && index >= 1 &&
      index <= static_cast<int>(options.inputs.size()))
    return mergingLine(index, count, options.inputs[static_cast<std::size_t>(index - 1)]);
  if (what == "extract") return kExtractingLine;
  if (what == "mp4") return "Making the MP4";
  if (what == "subtitles")
    return options.options.subtitles == SubtitleDelivery::Track ? "Adding the subtitle track"
                                                                : "Burning in the subtitles";
  return what;
}

// convert --track, once the video is made: the track beside it. A track that
// cannot be written fails the command (status 1); the video stays.
int writeTrackBeside(StageContext& ctx, TrackFormat format, const std::string& trackPath,
                     const std::vector<std::string>& shownWarnings, StepDisplay& display, std::ostream& err) {
  StageContext trackCtx = ctx;
  trackCtx.pump = throwIfInterrupted;
  display.stage(kTrackLine);
  try {
    const TrackExport result = ExportTrack(trackCtx, trackPath, format);
    display.finishLine();
    for (const std::string& warning : result.warnings)
      if (std::find(shownWarnings.begin(), shownWarnings.end(), warning) == shownWarnings.end())
        err << "vk2mp4: warning: " << warning << "\n";
    display.result(trackPath);
    return 0;
  } catch (const Interrupted&) {
    display.finishLine();
    err << "vk2mp4: interrupted; the video was made, the track " << trackPath << " was not written\n";
  } catch (const FileError& e) {
    display.finishLine();
    err << "vk2mp4: the video was made, but the track could not be written: " << e.what() << "\n";
  }
  return 1;
}

// convert --report, once the video (and its track) is made: the page beside it,
// playing it. As for the track, a page that cannot be written fails the command
// and the video stays; a page already there stays too.
int writeReportBeside(StageContext& ctx, const std::string& video, const std::string& page,
                      const std::vector<std::string>& shownWarnings, StepDisplay& display, std::ostream& err) {
  StageContext pageCtx = ctx;
  pageCtx.pump = throwIfInterrupted;
  display.stage(kReportLine);
  try {
    const ReportExport result = ExportReport(pageCtx, page, video);
    display.finishLine();
    for (const std::string& warning : result.warnings)
      if (std::find(shownWarnings.begin(), shownWarnings.end(), warning) == shownWarnings.end())
        err << "vk2mp4: warning: " << warning << "\n";
    display.result(page);
    return 0;
  } catch (const Interrupted&) {
    display.finishLine();
    err << "vk2mp4: interrupted; the video was made, the report page " << page << " was not written\n";
  } catch (const FileError& e) {
    display.finishLine();
    err << "vk2mp4: the video was made, but the report page could not be written: " << e.what() << "\n";
  }
  return 1;
}

// One conversion of options.inputs; `converted` gets the target it wrote.
int convertSelection(const RunOptions& options, std::ostream& out, std::ostream& err, std::string* converted) {
  ConversionState state;
  HiddenLog log;
  HiddenLog subtitles;
  StepDisplay display(out, options.quiet, options.verbose);
  LogMirror mirror([&display](const std::string& line) { display.logLine(line); });
  std::unique_ptr<ProcessLauncher> launcher = makeProcessLauncher();
  StageContext ctx{state, log, subtitles, options.options, [] {}, launcher.get(), converterPath()};
  mirror.attach(log);

  std::string target;
  if (const int refused = selectRecordings(options, ctx, mirror, err, target))
    return finishWithLog(refused, mirror, err);
  // Every name the run writes, the track's included, is checked before anything is written.
  RunFiles files = RunFiles::forConversion(target, options.inputs.size());
  if (options.track) files.track = trackPathBeside(target, *options.track);
  if (options.report) files.report = reportPathBeside(target);
  CheckRunFiles(options.inputs, files);
  // Opened only now that every file the run writes is known, so it can replace none of them.
  if (options.logFile) mirror.openFile(*options.logFile, log, options.inputs, files.all());
  if (interruptRequested()) {
    err << "vk2mp4: interrupted before the conversion began\n";
    return 1;
  }

  RunCallbacks callbacks;
  callbacks.stage = [&](const std::string& what) { display.stage(stageLine(what, options)); };
  callbacks.converterOutput = [&](const std::string& chunk) { display.converterOutput(chunk); };
  callbacks.converterStep = [&](bool active) { display.converterStep(active); };
  ConversionRun run(ctx, callbacks);
  ctx.pump = [&run] {
    if (interruptRequested()) run.requestStop();
  };
  const RunOutcome outcome = run.start(files);
  display.finishLine();
  // A recording that ends early is converted from its complete records; the user is told, not failed.
  for (const std::string& warning : outcome.warnings) err << "vk2mp4: warning: " << warning << "\n";
  switch (outcome.status) {
    case RunStatus::Succeeded:
      display.result(target);
      if (converted) *converted = target;
      {
        int status = 0;
        if (options.track) status = writeTrackBeside(ctx, *options.track, files.track, outcome.warnings, display, err);
        if (options.report)
          status = std::max(status, writeReportBeside(ctx, target, files.report, outcome.warnings, display, err));
        return finishWithLog(status, mirror, err);
      }
    case RunStatus::Cancelled:
      err << "vk2mp4: interrupted. "
          << (outcome.message.empty() ? "The partial output was removed." : outcome.message) << "\n";
      return finishWithLog(1, mirror, err);
    case RunStatus::Failed:
      break;
  }
  err << "vk2mp4: " << outcome.message << "\n";
  return finishWithLog(1, mirror, err);
}

// The names a trip's messages may quote, to be escaped in its lines.
std::vector<std::string> quotedNames(const RunOptions& options, const std::string& outFolder, const Trip& trip,
                                     const std::string& target) {
  std::vector<std::string> names{*options.tripsFolder, outFolder, target};
  for (const std::string& file : trip.files) {
    names.push_back(file);
    names.push_back(fileNameOf(file));
  }
  return names;
}

// Every trip of the folder into its own file in the target folder; a failed
// trip does not stop the others, Ctrl-C ends the current one and the rest.
int convertTrips(const RunOptions& options, std::ostream& out, std::ostream& err) {
  std::string outFolder = options.target.value_or("");
  std::error_code ec;
  if (outFolder.empty() || !(outFolder.back() == '/' || outFolder.back() == kPathSeparator ||
                             std::filesystem::is_directory(pathOf(outFolder), ec)))
    throw UsageError("--trips needs -o OUTDIR/, the folder the trips are written to");
  if (outFolder.back() != '/' && outFolder.back() != kPathSeparator) outFolder += kPathSeparator;
  const TripSearch search = FindTrips({*options.tripsFolder}, options.recursive);
  if (!search.unreadableFolders.empty()) {
    err << "vk2mp4: " << listingText(search.unreadableFolders.front()) << "\n";
    return 1;
  }
  for (const auto* list : {&search.unreadable, &search.unusable})
    for (const std::string& skipped : *list) err << "vk2mp4: skipped " << listingText(skipped) << "\n";
  // Fixed before the first trip runs: a trip that proposes an earlier one's name
  // gets it numbered rather than replacing that trip's file.
  const std::vector<std::string> names =
      tripFileNames(search.trips, options.trimStart, options.trimEnd, options.options.timeLocal,
                    outputExtension(options.options.subtitles));
  const std::size_t count = search.trips.size();
  std::size_t converted = 0;
  for (std::size_t i = 0; i < count && !interruptRequested(); ++i) {
    const Trip& found = search.trips[i];
    RunOptions trip = options;
    trip.tripsFolder.reset();
    trip.inputs = found.files;
    trip.target = outFolder + names[i];
    trip.quiet = true;
    std::ostringstream tripOut, tripErr;
    std::string target;
    int status = 1;
    if (names[i].empty()) {
      tripErr << trimsProblem(found.files.front(), static_cast<int64_t>(found.end) - found.start, options.trimStart,
                              options.trimEnd);
    } else if (std::filesystem::is_directory(pathOf(*trip.target), ec)) {
      // The target rules would put the trip inside it.
      tripErr << *trip.target << ": is a folder";
    } else {
      try {
        status = convertSelection(trip, tripOut, tripErr, &target);
      } catch (const std::exception& e) {
        tripErr << "vk2mp4: " << e.what() << "\n";
      }
    }
    const std::string label = "trip " + std::to_string(i + 1) + "/" + std::to_string(count);
    // Escaped first, so only the messages' own line starts are found.
    std::string reasons = listingLines(tripErr.str(), quotedNames(options, outFolder, found, *trip.target));
    for (std::size_t at = 0; (at = reasons.find("vk2mp4: ", at)) != std::string::npos;) {
      if (at == 0 || reasons[at - 1] == '\n')
        reasons.erase(at, 8);
      else
        ++at;
    }
    while (!reasons.empty() && reasons.back() == '\n') reasons.pop_back();
    if (status == 0) {
      ++converted;
      out << label << ": " << listingText(target) << "\n";
      if (!reasons.empty()) err << label << ": " << reasons << "\n";  // warnings
    } else {
      err << label << " failed: " << reasons << "\n";
    }
  }
  out << converted << " of " << count << (count == 1 ? " trip" : " trips") << " converted"
      << (interruptRequested() ? "; interrupted, no further trip was converted" : "") << "\n";
  return converted == count && !interruptRequested() ? 0 : 1;
}

int convert(const RunOptions& options, std::ostream& out, std::ostream& err) {
  // Ctrl-C only raises a flag; the run then ends the converter and removes what it wrote.
  watchForInterrupt();
  if (options.tripsFolder) return convertTrips(options, out, err);
  return convertSelection(options, out, err, nullptr);
}

}  // namespace

int runConvertCommand(const Args& args, std::ostream& out, std::ostream& err) {
  return runWithRunOptions("convert", args, out, err, &convert, CommandOptions::Convert);
}

}  // namespace vk2::cli
