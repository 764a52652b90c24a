#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <filesystem>

#include "cli/command_session.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/run_options.h"
#include "cli/step_display.h"
#include "conversion/clip_batch.h"
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
  if (what == "mp4")
    return options.options.subtitles == SubtitleDelivery::Track ? "Making the MKV with the subtitle track"
                                                                : "Making the MP4";
  if (what == "subtitles") return "Burning in the subtitles";
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
  std::unique_ptr<ProcessLauncher> launcher = makeProcessLauncher();
  CommandSession session(options, out, [] {}, launcher.get(), converterPath());
  HiddenLog& log = session.log;
  StepDisplay& display = session.display;
  LogMirror& mirror = session.mirror;
  StageContext& ctx = session.ctx;

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
  for (const std::string& fallback : outcome.fallbacks) err << "vk2mp4: " << fallback << "\n";
  switch (outcome.status) {
    case RunStatus::Succeeded:
      display.result(target + encoderNote(outcome.encoder));
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

// -o OUTDIR/ of a batch, ending in a separator.
std::string batchFolder(const RunOptions& options, const std::string& what) {
  std::string folder = options.target.value_or("");
  std::error_code ec;
  if (folder.empty() || !(folder.back() == '/' || folder.back() == kPathSeparator ||
                          std::filesystem::is_directory(pathOf(folder), ec)))
    throw UsageError(what + " needs -o OUTDIR/, the folder the " + (what == "--trips" ? "trips" : "clips") +
                     " are written to");
  if (folder.back() != '/' && folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

// The trips of a card; what cannot be read is named and skipped. Nothing when
// the folder itself cannot be read: that is said, and the batch fails.
std::optional<TripSearch> searchCard(const std::string& folder, bool recursive, std::ostream& err) {
  TripSearch search = FindTrips({folder}, recursive);
  if (!search.unreadableFolders.empty()) {
    err << "vk2mp4: " << listingText(search.unreadableFolders.front()) << "\n";
    return std::nullopt;
  }
  for (const auto* list : {&search.unreadable, &search.unusable})
    for (const std::string& skipped : *list) err << "vk2mp4: skipped " << listingText(skipped) << "\n";
  return search;
}

// One conversion of a batch, quietly: its files with its trims into `target`.
struct BatchItem {
  std::vector<std::string> files;
  int32_t trimStart = 0;
  int32_t trimEnd = 0;
  std::string target;
  std::string problem;  // why it cannot be converted at all; empty when it can
};
struct BatchItemResult {
  bool converted = false;
  std::string target;   // what was written
  std::string reasons;  // the failure, or the warnings of a success; one message a line
};

BatchItemResult convertBatchItem(const RunOptions& options, const BatchItem& item,
                                 const std::vector<std::string>& folders) {
  RunOptions run = options;
  run.tripsFolder.reset();
  run.cardFolder.reset();
  run.events = false;
  run.inputs = item.files;
  run.trimStart = item.trimStart;
  run.trimEnd = item.trimEnd;
  run.target = item.target;
  run.quiet = true;
  std::ostringstream itemOut, itemErr;
  BatchItemResult result;
  int status = 1;
  std::error_code ec;
  if (!item.problem.empty()) {
    itemErr << item.problem;
  } else if (std::filesystem::is_directory(pathOf(item.target), ec)) {
    // The target rules would put it inside.
    itemErr << item.target << ": is a folder";
  } else {
    try {
      status = convertSelection(run, itemOut, itemErr, &result.target);
    } catch (const std::exception& e) {
      itemErr << "vk2mp4: " << e.what() << "\n";
    }
  }
  // The names its messages may quote, escaped first, so only the messages' own line starts are found.
  std::vector<std::string> names = folders;
  names.push_back(item.target);
  for (const std::string& file : item.files) {
    names.push_back(file);
    names.push_back(fileNameOf(file));
  }
  std::string reasons = listingLines(itemErr.str(), names);
  for (std::size_t at = 0; (at = reasons.find("vk2mp4: ", at)) != std::string::npos;) {
    if (at == 0 || reasons[at - 1] == '\n')
      reasons.erase(at, 8);
    else
      ++at;
  }
  while (!reasons.empty() && reasons.back() == '\n') reasons.pop_back();
  result.converted = status == 0;
  result.reasons = reasons;
  return result;
}

// Every trip of the folder into its own file in the target folder; a failed
// trip does not stop the others, Ctrl-C ends the current one and the rest.
int convertTrips(const RunOptions& options, std::ostream& out, std::ostream& err) {
  const std::string outFolder = batchFolder(options, "--trips");
  const std::optional<TripSearch> search = searchCard(*options.tripsFolder, options.recursive, err);
  if (!search) return 1;
  // Fixed before the first trip runs: a trip that proposes an earlier one's name
  // gets it numbered rather than replacing that trip's file.
  const std::vector<std::string> names =
      tripFileNames(search->trips, options.trimStart, options.trimEnd, options.options.timeLocal,
                    outputExtension(options.options.subtitles));
  const std::size_t count = search->trips.size();
  std::size_t converted = 0;
  for (std::size_t i = 0; i < count && !interruptRequested(); ++i) {
    const Trip& found = search->trips[i];
    BatchItem item{found.files, options.trimStart, options.trimEnd, outFolder + names[i], ""};
    if (names[i].empty())
      item.problem = trimsProblem(found.files.front(), static_cast<int64_t>(found.end) - found.start,
                                  options.trimStart, options.trimEnd);
    const BatchItemResult result = convertBatchItem(options, item, {*options.tripsFolder, outFolder});
    const std::string label = "trip " + std::to_string(i + 1) + "/" + std::to_string(count);
    if (result.converted) {
      ++converted;
      out << label << ": " << listingText(result.target) << "\n";
      if (!result.reasons.empty()) err << label << ": " << result.reasons << "\n";  // warnings
    } else {
      err << label << " failed: " << result.reasons << "\n";
    }
  }
  out << converted << " of " << count << (count == 1 ? " trip" : " trips") << " converted"
      << (interruptRequested() ? "; interrupted, no further trip was converted" : "") << "\n";
  return converted == count && !interruptRequested() ? 0 : 1;
}

// A clip per alarm event: the episodes of every trip (or of the one selection)
// read first, so the clips are numbered and named for the whole batch, then
// each clip converted as its own selection with its own trims.
int convertClips(const RunOptions& options, std::ostream& out, std::ostream& err) {
  const std::string outFolder = batchFolder(options, "--events");
  std::vector<std::vector<std::string>> selections;
  std::vector<std::string> folders{outFolder};
  if (options.cardFolder) {
    const std::optional<TripSearch> search = searchCard(*options.cardFolder, options.recursive, err);
    if (!search) return 1;
    for (const Trip& trip : search->trips) selections.push_back(trip.files);
    folders.push_back(*options.cardFolder);
  } else {
    selections.push_back(options.inputs);
  }
  const bool local = options.options.timeLocal;
  const ClipMargins margins{options.before.value_or(kDefaultSecondsBefore),
                            options.after.value_or(kDefaultSecondsAfter)};
  ConversionState state;
  HiddenLog log, subtitles;
  StageContext ctx{state, log, subtitles, options.options, throwIfInterrupted, nullptr, ""};
  std::vector<EventClip> clips;
  std::size_t unread = 0;
  try {
    for (std::size_t i = 0; i < selections.size(); ++i) {
      ClipSource source;
      if (!options.cardFolder) {
        // The one selection is refused as convert refuses it.
        const OpenResult opened = OpenMmvFiles(ctx, selections[i]);
        if (opened.outcome != OpenOutcome::Selected) {
          err << opened.refusalText() << "\n";
          return 1;
        }
        source = readClipSource(ctx);
      } else {
        try {
          source = readClipSource(ctx, selections[i]);
        } catch (const Interrupted&) {
          throw;
        } catch (const std::exception& e) {
          ++unread;
          err << "trip " << i + 1 << "/" << selections.size() << " failed: " << listingText(e.what()) << "\n";
          continue;
        }
      }
      for (const std::string& warning : source.warnings) err << "vk2mp4: warning: " << listingText(warning) << "\n";
      for (EventClip& clip : planClips(source.files, source.episodes, margins)) clips.push_back(std::move(clip));
    }
  } catch (const Interrupted&) {
    err << "vk2mp4: interrupted while the recordings were read for alarm events; no clip was made\n";
    return 1;
  }
  nameClips(clips, local, outputExtension(options.options.subtitles));
  const std::string unreadText =
      unread == 0 ? "" : "; " + std::to_string(unread) + (unread == 1 ? " trip" : " trips") + " could not be read";
  if (clips.empty()) {
    out << "No alarm event found, so no clip was made" << unreadText << "\n";
    return unread == 0 ? 0 : 1;
  }
  const std::size_t count = clips.size();
  std::size_t made = 0;
  for (std::size_t i = 0; i < count && !interruptRequested(); ++i) {
    const EventClip& clip = clips[i];
    const BatchItem item{clip.files, clip.trimStart, clip.trimEnd, outFolder + clip.name, ""};
    const BatchItemResult result = convertBatchItem(options, item, folders);
    const std::string label = "clip " + std::to_string(i + 1) + "/" + std::to_string(count);
    const std::string description = clipDescription(clip, local);
    if (result.converted) {
      ++made;
      out << label << ": " << description << ": " << listingText(result.target) << "\n";
      if (!result.reasons.empty()) err << label << ": " << result.reasons << "\n";  // warnings
    } else {
      err << label << " failed: " << description << ": " << result.reasons << "\n";
    }
  }
  out << made << " of " << count << (count == 1 ? " clip" : " clips") << " made" << unreadText
      << (interruptRequested() ? "; interrupted, no further clip was made" : "") << "\n";
  return made == count && unread == 0 && !interruptRequested() ? 0 : 1;
}

int convert(const RunOptions& options, std::ostream& out, std::ostream& err) {
  // Ctrl-C only raises a flag; the run then ends the converter and removes what it wrote.
  watchForInterrupt();
  if (options.events) return convertClips(options, out, err);
  if (options.tripsFolder) return convertTrips(options, out, err);
  return convertSelection(options, out, err, nullptr);
}

}  // namespace

int runConvertCommand(const Args& args, std::ostream& out, std::ostream& err) {
  return runWithRunOptions("convert", args, out, err, &convert, CommandOptions::Convert);
}

}  // namespace vk2::cli
