#include "mp4/converter_steps.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/file_identity.h"
#include "core/filesystem_names.h"
#include "core/number_text.h"
#include "core/paths.h"
#include "mp4/burn_encoders.h"
#include "mp4/command_lines.h"
#include "mp4/converter_lines.h"
#include "mp4/matroska_check.h"

namespace vk2 {

namespace {

constexpr const char* kNotFound = "converter not found in the current folder or on PATH";

bool holdsOutput(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(pathOf(path), ec);
  return !ec && size > 0;
}

// Less free space than this beside an output that failed means the disk filled up.
constexpr std::uintmax_t kFullDiskBytes = 1024 * 1024;

bool diskFullAt(const std::string& path) {
  std::error_code ec;
  const std::string folder = folderOf(path);
  const std::filesystem::space_info space = std::filesystem::space(pathOf(folder.empty() ? "." : folder), ec);
  return !ec && space.available < kFullDiskBytes;
}

// A converter can end with status 0 and a cut-off file, for one on a full disk:
// its output counts only as a complete MP4 as long as expected (within a
// second; expectedSec < 0 when any length will do). Returns why not, or "".
std::string outputProblem(const std::string& path, double expectedSec) {
  const Mp4Check check = checkVideoFile(path);
  if (!check.complete) return "the converter's output " + path + " is incomplete: " + check.problem;
  if (expectedSec >= 0 && std::fabs(check.durationSec - expectedSec) > 1.0) {
    return "the converter's output " + path + " lasts " + fixedNumber(check.durationSec, 1) + " seconds instead of " +
           fixedNumber(expectedSec, 1);
  }
  return std::string();
}

// Across a join's gaps an output may last as long as the window or as the
// records it holds: of `lengthSec` and `otherSec` (-1: none), the one `path`
// is nearer.
double expectedLength(const std::string& path, double lengthSec, double otherSec) {
  if (otherSec < 0) return lengthSec;
  const double actual = checkVideoFile(path).durationSec;
  return std::fabs(actual - otherSec) < std::fabs(actual - lengthSec) ? otherSec : lengthSec;
}

// Says so when a failed step's disk is full; the partial output is still there to be counted.
bool noteFullDisk(ConverterStepResult& result, const std::string& output) {
  if (result.status != StepStatus::Failed || !diskFullAt(output)) return false;
  result.message += "; the disk holding " + output + " is full";
  return true;
}

std::string shownConverter(const StageContext& ctx) {
  return ctx.converterPath.empty() ? std::string("ffmpeg") : ctx.converterPath;
}

// "00:15:00.00" for 900 seconds, as the converter's header writes a length.
std::string lengthClock(int32_t seconds) {
  char text[32];  // whole numbers only: no locale's decimal point involved
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.00", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return text;
}

// Two joined lines as a shell would write them.
std::string joinedText(const CommandLine& first, const CommandLine& second) { return first.text + " | " + second.text; }

struct ConverterRun {
  ConverterStepResult result;
  bool exitedWithError = false;  // ended by itself with a status > 0: it may say why
  ConverterLines said;           // its standard error
};

// Starts and waits for the converter; NotStarted, Cancelled or Failed (by exit
// status) are decided here, the output check by the caller.
// `feeding`, when given, runs beside `line` with its standard output joined to
// line's standard input; the pair counts as one converter run.
ConverterRun runConverter(StageContext& ctx, const CommandLine& line, const ConverterWatch& watch,
                          const char* startFailedLine, const char* executedLine, int32_t shownLengthSec = -1,
                          const CommandLine* feeding = nullptr) {
  ConverterRun run;
  ConverterStepResult& result = run.result;
  if (ctx.converterPath.empty() || ctx.launcher == nullptr) {
    ctx.log.append(startFailedLine);
    result.status = StepStatus::NotStarted;
    result.message = kNotFound;
    return run;
  }
  const auto onOutput = [&run, &watch](const std::string& chunk) {
    run.said.feed(chunk);
    if (watch.onOutput) watch.onOutput(chunk);
  };
  if (watch.running) watch.running(true);
  // A silenced converter prints its progress lines but not the header naming
  // the length they count towards; the progress hears it as the header would say it.
  if (shownLengthSec >= 0 && watch.onOutput) watch.onOutput("  Duration: " + lengthClock(shownLengthSec) + "\n");
  const ProcessOutcome outcome =
      feeding ? combinedOutcome(ctx.launcher->runJoined(feeding->arguments, line.arguments, watch.keepWaiting, onOutput))
              : ctx.launcher->runHidden(line.arguments, watch.keepWaiting, onOutput);
  if (watch.running) watch.running(false);
  if (!outcome.started) {
    ctx.log.append(startFailedLine);
    result.status = StepStatus::NotStarted;
    std::error_code ec;
    result.message = std::filesystem::exists(pathOf(ctx.converterPath), ec)
                         ? "the converter " + ctx.converterPath + " could not be started: " + outcome.error
                         : "converter not found: " + ctx.converterPath;
    return run;
  }
  ctx.log.append(executedLine);
  if (outcome.cancelled) {
    result.status = StepStatus::Cancelled;
    result.message = "the converter was ended on request";
  } else if (outcome.exitStatus != 0) {
    result.status = StepStatus::Failed;
    run.exitedWithError = outcome.exitStatus > 0;
    // A crash: "ended by signal 11" here, an exception code (a negative status) on Windows.
    result.message = outcome.exitStatus < 0 && !outcome.error.empty()
                         ? "the converter " + outcome.error
                         : "the converter ended with exit status " + std::to_string(outcome.exitStatus);
  } else {
    result.status = StepStatus::Done;
  }
  return run;
}

// The muxing line runs silenced, so a failed one is run once more with
// "-loglevel error" only to hear why; its output is removed with the failed one.
void askWhy(StageContext& ctx, const CommandLine& line, const ConverterWatch& watch, ConverterStepResult& result,
            const CommandLine* feeding = nullptr) {
  const CommandLine loud = withLogLevel(line, "error");
  ConverterLines said;
  const auto hear = [&said](const std::string& chunk) { said.feed(chunk); };
  if (watch.running) watch.running(true);
  if (feeding) {
    const CommandLine loudFeeding = withLogLevel(*feeding, "error");
    ctx.log.append(kMp4AskWhyLine + joinedText(loudFeeding, loud));
    ctx.launcher->runJoined(loudFeeding.arguments, loud.arguments, watch.keepWaiting, hear);
  } else {
    ctx.log.append(kMp4AskWhyLine + loud.text);
    ctx.launcher->runHidden(loud.arguments, watch.keepWaiting, hear);
  }
  if (watch.running) watch.running(false);
  addConverterReason(ctx.log, said, result.message);
}

}  // namespace

std::string burnInFinalPath(const std::string& subOutputPath) {
  const std::size_t keep = subOutputPath.size() >= 8 ? subOutputPath.size() - 8 : 0;
  const bool matroska = subOutputPath.size() >= 4 && subOutputPath.compare(subOutputPath.size() - 4, 4, ".mkv") == 0;
  return subOutputPath.substr(0, keep) + (matroska ? ".mkv" : ".mp4");
}

namespace {

// The muxing of MakeMp4 and MakeTrackMkv: runs `line`, checks its output and
// removes the inputs, whatever the outcome once the converter started.
ConverterStepResult muxStreams(StageContext& ctx, const CommandLine& line, const std::vector<std::string>& inputs,
                               const std::string& outputPath, int32_t durationSec, double joinedSec,
                               const ConverterWatch& watch, int32_t shownLengthSec,
                               const CommandLine* feeding = nullptr) {
  ctx.log.append(feeding ? joinedText(*feeding, line) : line.text);
  // "-y" would overwrite it anyway; removing it first means a stale file can
  // never pass for the converter's output.
  if (!ctx.converterPath.empty()) removeFileQuietly(outputPath);
  ConverterRun run = runConverter(ctx, line, watch, kMp4StartFailedLine, kMp4ExecutedLine, shownLengthSec, feeding);
  ConverterStepResult& result = run.result;
  if (result.status == StepStatus::NotStarted) return result;
  if (result.status == StepStatus::Done && !holdsOutput(outputPath)) {
    result.status = StepStatus::Failed;
    result.message = "the converter wrote no video at " + outputPath;
  } else if (result.status == StepStatus::Done) {
    const std::string problem = outputProblem(outputPath, expectedLength(outputPath, durationSec, joinedSec));
    if (!problem.empty()) result = ConverterStepResult{StepStatus::Failed, problem};
  }
  if (!noteFullDisk(result, outputPath) && run.exitedWithError) askWhy(ctx, line, watch, result, feeding);
  if (result.status != StepStatus::Done) removeFileQuietly(outputPath);
  for (const std::string& input : inputs) removeFileQuietly(input);
  return result;
}

}  // namespace

ConverterStepResult MakeMp4(StageContext& ctx, const std::string& pcmPath, const std::string& h264Path,
                            const std::string& outputPath, int32_t durationSec, double frameRate, bool withAudio,
                            const ConverterWatch& watch, double joinedSec) {
  const CommandLine line =
      mp4CommandLine(shownConverter(ctx), pcmPath, h264Path, outputPath, durationSec, frameRate, withAudio);
  return muxStreams(ctx, line, {h264Path, pcmPath}, outputPath, durationSec, joinedSec, watch, -1);
}

ConverterStepResult MakeTrackMkv(StageContext& ctx, const std::string& pcmPath, const std::string& h264Path,
                                 const std::string& assPath, const std::string& outputPath, int32_t durationSec,
                                 double frameRate, bool withAudio, const ConverterWatch& watch, double joinedSec) {
  const std::string converter = shownConverter(ctx);
  // Encoding the audio takes longer than copying the video: on its own
  // process it runs on the other core while the muxing copies.
  if (withAudio && ctx.launcher && ctx.launcher->canJoinProcesses()) {
    const CommandLine audio = trackAudioCommandLine(converter, pcmPath);
    const CommandLine mux = trackJoinedMuxCommandLine(converter, h264Path, assPath, outputPath, durationSec, frameRate);
    return muxStreams(ctx, mux, {h264Path, pcmPath, assPath}, outputPath, durationSec, joinedSec, watch, durationSec,
                      &audio);
  }
  const CommandLine line =
      trackMuxCommandLine(converter, pcmPath, h264Path, assPath, outputPath, durationSec, frameRate, withAudio);
  return muxStreams(ctx, line, {h264Path, pcmPath, assPath}, outputPath, durationSec, joinedSec, watch,
                    durationSec);
}

namespace {

// The converter's "-encoders" listing, asked once a run; a converter that
// cannot list them offers no hardware encoder.
const std::vector<std::string>& encodersOf(StageContext& ctx, const ConverterWatch& watch) {
  if (ctx.listedEncoders) return *ctx.listedEncoders;
  constexpr std::size_t kLongestListing = 1024 * 1024;
  std::string listing;
  // A converter run like any other, so a cancel meanwhile reaches it.
  if (watch.running) watch.running(true);
  const ProcessOutcome outcome = ctx.launcher->runHiddenReadingAll(
      {ctx.converterPath, "-hide_banner", "-encoders"}, watch.keepWaiting, [&listing](const std::string& chunk) {
        if (listing.size() < kLongestListing) listing += chunk;
      });
  if (watch.running) watch.running(false);
  const bool listed = outcome.started && !outcome.cancelled && outcome.exitStatus == 0;
  ctx.listedEncoders = listed ? listedEncoders(listing) : std::vector<std::string>();
  return *ctx.listedEncoders;
}

// One run of a burn-in line and the check of what it wrote; a failed run's output is removed.
ConverterStepResult burnOnce(StageContext& ctx, const CommandLine& line, const ConverterWatch& watch,
                             const std::string& subOutputPath, const Mp4Check& plain, double joinedWindowSec) {
  ctx.log.append(line.text);
  if (!ctx.converterPath.empty()) removeFileQuietly(subOutputPath);
  ConverterRun run = runConverter(ctx, line, watch, kSubtitleStartFailedLine, kSubtitleExecutedLine);
  ConverterStepResult& result = run.result;
  if (result.status == StepStatus::NotStarted) return result;
  if (result.status == StepStatus::Done && !holdsOutput(subOutputPath)) {
    result.status = StepStatus::Failed;
    result.message = "the converter wrote no video at " + subOutputPath;
  } else if (result.status == StepStatus::Done) {
    const std::string problem = outputProblem(
        subOutputPath, plain.complete ? expectedLength(subOutputPath, plain.durationSec, joinedWindowSec) : -1);
    if (!problem.empty()) result = ConverterStepResult{StepStatus::Failed, problem};
  }
  // The burn-in is not silenced: its own output says why.
  if (!noteFullDisk(result, subOutputPath) && run.exitedWithError) addConverterReason(ctx.log, run.said, result.message);
  if (result.status != StepStatus::Done) removeFileQuietly(subOutputPath);
  return result;
}

std::string fallbackNote(const std::string& encoder, const std::string& why, const std::string& next) {
  return encoder + " failed (" + why + "); burning in with " + next + " instead";
}

}  // namespace

ConverterStepResult BurnSubtitles(StageContext& ctx, const std::string& mp4Path, const std::string& assPath,
                                  const std::string& subOutputPath, const ConverterWatch& watch,
                                  SubtitleDelivery delivery, double joinedWindowSec) {
  const std::string converter = shownConverter(ctx);
  const std::string choice = ctx.options.burnEncoder();
  const bool canRun = !ctx.converterPath.empty() && ctx.launcher != nullptr;
  const std::vector<std::string> encoders = burnInEncoders(
      delivery, choice,
      canRun && needsEncoderListing(delivery, choice) ? encodersOf(ctx, watch) : std::vector<std::string>());
  std::vector<std::string> fallbacks;
  if (choice != "auto" && choice != "x264" && !choice.empty() && encoders.front() != choice && canRun)
    fallbacks.push_back(fallbackNote(choice, "the converter does not list it", encoders.front()));
  for (const std::string& note : fallbacks) ctx.log.append(note);
  // The subtitled video must last as long as the plain one it is drawn on.
  const Mp4Check plain = checkVideoFile(mp4Path);
  ConverterStepResult result;
  std::size_t tried = 0;
  for (;; ++tried) {
    // A cancel that came while listing the encoders, or between two attempts,
    // ends the step as one during an attempt would.
    if (ctx.state.cancelRequested || (tried > 0 && watch.keepWaiting && !watch.keepWaiting())) {
      result = ConverterStepResult{StepStatus::Cancelled, "the converter was ended on request"};
      break;
    }
    if (tried > 0) {
      fallbacks.push_back(fallbackNote(encoders[tried - 1], result.message, encoders[tried]));
      ctx.log.append(fallbacks.back());
    }
    const CommandLine line =
        burnInCommandLine(encoders[tried], delivery, converter, mp4Path, assPath, subOutputPath);
    result = burnOnce(ctx, line, watch, subOutputPath, plain, joinedWindowSec);
    if (result.status != StepStatus::Failed || tried + 1 == encoders.size()) break;
  }
  result.encoder = encoders[tried];
  result.fallbacks = std::move(fallbacks);
  if (result.status == StepStatus::NotStarted) return result;
  removeFileQuietly(assPath);
  if (result.status != StepStatus::Done) return result;
  if (!result.encoder.empty()) ctx.log.append("encoder: " + result.encoder);
  // Renaming over the plain MP4 replaces it in one step, so a failed rename
  // never leaves the target without a video.
  const std::string finalPath = burnInFinalPath(subOutputPath);
  std::error_code ec;
  std::filesystem::rename(pathOf(subOutputPath), pathOf(finalPath), ec);
  if (ec) {
    result.status = StepStatus::Failed;
    result.message = "cannot rename " + subOutputPath + " to " + finalPath + ": " + ec.message();
    return result;
  }
  if (finalPath != mp4Path) removeFileQuietly(mp4Path);
  return result;
}

}  // namespace vk2
