#include "conversion/conversion_run.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "conversion/saved_target.h"
#include "core/file_identity.h"
#include "core/filesystem_names.h"

namespace vk2 {

namespace {

namespace fs = std::filesystem;

bool fileHoldsData(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(pathOf(path), ec) && fs::file_size(pathOf(path), ec) > 0 && !ec;
}


const char* stageName(ConversionStep step) {
  switch (step) {
    case ConversionStep::Extract: return "extract";
    case ConversionStep::MakeMp4: return "mp4";
    case ConversionStep::BurnSubtitles: return "subtitles";
    case ConversionStep::None: break;
  }
  return "";
}

RunOutcome outcomeOf(RunStatus status, std::string message, const std::string& outputPath) {
  RunOutcome o;
  o.status = status;
  o.message = std::move(message);
  o.outputPath = outputPath;
  return o;
}

// Clears the running flags however the run ends.
struct RunningFlag {
  bool& running;
  bool& inConverterStep;
  ~RunningFlag() {
    running = false;
    inConverterStep = false;
  }
};

}  // namespace

std::string buildOutputPath(const std::string& folderText, const std::string& nameText, const char* extension) {
  return folderText + nameText + extension;
}

ConversionRun::ConversionRun(StageContext& ctx, RunCallbacks callbacks)
    : ConversionRun(ctx, std::move(callbacks), RunStages::real()) {}

ConversionRun::ConversionRun(StageContext& ctx, RunCallbacks callbacks, RunStages stages)
    : ctx_(ctx), callbacks_(std::move(callbacks)), stages_(std::move(stages)) {}

void ConversionRun::requestCancel() {
  ctx_.state.cancelRequested = true;
  if (inConverterStep_) stopRequested_ = true;
}

void ConversionRun::requestStop() {
  ctx_.state.cancelRequested = true;
  stopRequested_ = true;
}

void ConversionRun::report(int position, int maximum) {
  if (callbacks_.progress)
    callbacks_.progress(RunProgress{position, maximum, std::to_string(position) + "/" + std::to_string(maximum)});
}

void ConversionRun::checkBeforeWriting(const RunFiles& files) const {
  if (ctx_.state.selectedFiles.empty()) throw std::runtime_error("No MMV file is selected.");
  CheckRunFiles(ctx_.state.selectedFiles, files);
}

void ConversionRun::removeWorkingFile(const std::string& path) const {
  for (const std::string& f : ctx_.state.selectedFiles)
    if (sameFile(f, path)) return;
  removeFileQuietly(path);
}

RunOutcome ConversionRun::start(const std::string& outputPath) {
  return start(RunFiles::forConversion(outputPath, ctx_.state.selectedFiles.size()));
}

RunOutcome ConversionRun::start(const RunFiles& files) {
  const std::string& outputPath = files.target;
  RunOutcome outcome;
  outcome.outputPath = outputPath;
  if (running_) {
    outcome.message = "A conversion is already running.";
    return outcome;
  }
  running_ = true;
  stopRequested_ = false;
  RunningFlag flag{running_, inConverterStep_};
  ctx_.state.cancelRequested = false;
  ctx_.state.recordingWarnings.clear();
  delivery_ = ctx_.options.cbSubtitles();
  ctx_.pump();

  SavedTarget saved(files);
  const bool targetExisted = saved.targetExists();
  bool writing = false;
  try {
    // Nothing is written, or removed, before every name the run uses is known to be safe.
    checkBeforeWriting(files);
    writing = true;
    saved.moveAside();
    outcome = ctx_.state.selectedFiles.size() <= 1 ? runSingle(files) : runMerge(files);
  } catch (const std::exception& e) {
    if (!writing) return outcomeOf(RunStatus::Failed, e.what(), outputPath);
    if (stages_.discardMerge) stages_.discardMerge(ctx_.state);
    for (const std::string& path : files.intermediates()) removeWorkingFile(path);
    outcome = outcomeOf(RunStatus::Failed, e.what(), outputPath);
  }
  std::vector<std::string> warnings = ctx_.state.recordingWarnings;
  warnings.insert(warnings.end(), outcome.warnings.begin(), outcome.warnings.end());
  outcome.warnings = std::move(warnings);

  const bool onlyPlainMp4 = outcome.status == RunStatus::Failed &&
                            outcome.failedStep == ConversionStep::BurnSubtitles && fileHoldsData(outputPath);
  if (outcome.status == RunStatus::Succeeded || (onlyPlainMp4 && !saved.movedAside())) {
    saved.discard();
  } else if (onlyPlainMp4) {
    // The file that stood at the target stays there; the MP4 without subtitles goes beside it.
    outcome.message = subtitleFailure(delivery_) + outcome.burnInReason + ".";
    try {
      const std::string kept = saved.keepPlainMp4Beside();
      const std::string problem = saved.restore();
      outcome.message += problem.empty() ? " The file that was at " + outputPath + " is there as before" : " " + problem;
      outcome.message += "; the MP4 without subtitles is kept as " + kept + ".";
    } catch (const std::exception&) {
      outcome.message += " " + outputPath + " holds the MP4 without subtitles; the file that was there is kept as " +
                         saved.release() + ".";
    }
  } else {
    // Whatever is at the target now is ours: a merged recording or a partial MP4.
    if (!targetExisted || saved.movedAside()) removeWorkingFile(outputPath);
    const std::string problem = saved.restore();
    if (!problem.empty()) outcome.message += (outcome.message.empty() ? "" : " ") + problem;
  }
  return outcome;
}

RunOutcome ConversionRun::runSingle(const RunFiles& files) {
  report(1, 2);
  ctx_.pump();
  ctx_.pump();
  RunOutcome outcome = convert(ctx_.state.selectedFiles.front(), files);
  if (outcome.status == RunStatus::Succeeded) report(2, 2);
  // A cancelled run is back at the start, as after a cancel between merged files.
  if (outcome.status == RunStatus::Cancelled) report(0, 2);
  return outcome;
}

RunOutcome ConversionRun::runMerge(const RunFiles& files) {
  const std::vector<std::string> recordings = ctx_.state.selectedFiles;
  const int count = static_cast<int>(recordings.size());
  const int total = count + 1;
  const std::string& merged = files.merged;
  report(0, total);
  for (int i = 0; i < count; ++i) {
    if (callbacks_.stage) callbacks_.stage("merge " + std::to_string(i + 1) + "/" + std::to_string(count));
    stages_.merge(ctx_, recordings[static_cast<std::size_t>(i)], i + 1, count, merged);
    report(i + 1, total);
    ctx_.pump();
    ctx_.pump();
    if (ctx_.state.cancelRequested) {
      ctx_.state.cancelRequested = false;
      report(0, total);
      RunOutcome cancelled = outcomeOf(RunStatus::Cancelled, "", files.target);
      if (i + 1 != count) {
        stages_.discardMerge(ctx_.state);
      } else {
        // The finished merged recording carries the target's name; it must not
        // pass for the MP4.
        removeWorkingFile(merged);
        cancelled.message = "The conversion was cancelled; the merged recording written to " + merged +
                            " was removed.";
      }
      return cancelled;
    }
    ctx_.pump();
  }
  ctx_.log.append(kMergeDoneLine);
  RunOutcome outcome = convert(merged, files, ctx_.state.recordedSeconds);
  ctx_.pump();
  if (outcome.status == RunStatus::Cancelled) report(0, total);
  if (outcome.status == RunStatus::Succeeded) {
    report(total, total);
    ctx_.pump();
    ctx_.pump();
  }
  return outcome;
}

RunOutcome ConversionRun::convert(const std::string& inputPath, const RunFiles& files, int64_t recordedSeconds) {
  const std::string& outputPath = files.target;
  DemuxControl control;
  control.extract = stages_.extract;
  control.delivery = delivery_;
  control.recordedSeconds = recordedSeconds;
  // A cancel during the extraction ends the run before the converter starts.
  control.stopRequested = [this] { return stopRequested_ || ctx_.state.cancelRequested; };
  control.stepStarted = [this](ConversionStep step) {
    if (callbacks_.stage) callbacks_.stage(stageName(step));
  };
  control.watch.keepWaiting = [this] {
    ctx_.pump();
    return !stopRequested_;
  };
  control.watch.running = [this](bool active) {
    inConverterStep_ = active;
    if (callbacks_.converterStep) callbacks_.converterStep(active);
  };
  control.watch.onOutput = callbacks_.converterOutput;

  const DemuxResult r = DemuxAndConvert(ctx_, inputPath, files, control);
  RunOutcome outcome =
      outcomeOf(RunStatus::Succeeded, convertedMessage(delivery_) + encoderNote(r.encoder), outputPath);
  if (!r.warning.empty()) outcome.warnings.push_back(r.warning);
  outcome.encoder = r.encoder;
  outcome.fallbacks = r.fallbacks;
  if (r.status == StepStatus::Cancelled) {
    ctx_.state.cancelRequested = false;
    outcome.status = RunStatus::Cancelled;
    outcome.message = r.message;
  } else if (!r.ok()) {
    outcome.status = RunStatus::Failed;
    outcome.message = r.message;
    outcome.failedStep = r.failedStep;
    outcome.burnInReason = r.reason;
  } else if (!fileHoldsData(outputPath)) {
    outcome.status = RunStatus::Failed;
    outcome.message = "The converted video is missing at " + outputPath + ".";
    outcome.failedStep = ConversionStep::BurnSubtitles;
  }
  return outcome;
}

}  // namespace vk2
