// Start and Cancel of the options dialog: the conversion run with its progress,
// completion message and the locks that keep the state the run uses unchanged.
#include <algorithm>

#include "conversion/conversion_run.h"
#include "conversion/clip_batch.h"
#include "conversion/trip_batch.h"
#include "core/paths.h"
#include "telemetry/report_export.h"
#include "telemetry/track_export.h"
#include "telemetry/track_format.h"
#include "window_model/main_window_model.h"
#include "window_model/output_target.h"
#include "window_model/save_mp4_model.h"

namespace vk2::ui {

namespace {
// A recording that ended early is named below the message, one line each.
std::string withWarnings(std::string text, const std::vector<std::string>& warnings) {
  for (const std::string& w : warnings) text += "\n" + w;
  return text;
}
}  // namespace

bool SaveMp4Model::running() const { return batch_ || clipBatch_ || (run_ && run_->running()); }

WindowView& SaveMp4Model::boxOwner() {
  return (windowStatus().visible || !main_.view()) ? *view() : *main_.view();
}

void SaveMp4Model::showProgress(const RunProgress& progress) {
  barSteps_ = progress.maximum;
  barStepsDone_ = progress.position;
  conversionPart_.reset();
  setControlProgress(Control::barFile, progress.position * kBarUnitsPerStep, progress.maximum * kBarUnitsPerStep);
  setControlText(Control::lbProgress, progress.label);
  if (view()) view()->runProgressShown(progress.label, progress.position, progress.maximum);
}

// The conversion is the counter's last step; the bar never moves back within it.
void SaveMp4Model::showConversionShare(double share) {
  if (!conversionPart_ || barStepsDone_ != barSteps_ - 1) return;
  const int position = barStepsDone_ * kBarUnitsPerStep +
                       static_cast<int>(conversionShare(*conversionPart_, share, runDelivery_) * kBarUnitsPerStep);
  if (position > control(Control::barFile).position)
    setControlProgress(Control::barFile, position, barSteps_ * kBarUnitsPerStep);
}

// The bar and counter at 0 for the selection, as before any run.
void SaveMp4Model::resetProgress() {
  const int steps = static_cast<int>(state_.selectedFiles.size()) + 1;
  setControlProgress(Control::barFile, 0, steps * kBarUnitsPerStep);
  setControlText(Control::lbProgress, "0/" + std::to_string(steps));
}

void SaveMp4Model::setConverterStepLock(bool locked) {
  // While the converter runs the windows keep painting, but only Cancel answers.
  if (locked == converterStepLocked_) return;
  converterStepLocked_ = locked;
  if (locked) {
    // Closed earlier in the run: shown again, or a converter that hangs could
    // not be cancelled while the main window waits for the run.
    if (!windowStatus().visible) showWindow(true);
    lockedByConverterStep_.clear();
    for (const ControlSpec& s : controlTable()) {
      if (s.window != Window::SaveMp4 || s.parent != Control::None) continue;
      // The bar and the counter only show progress; they stay as they look.
      if (s.id == Control::btnCancel || s.id == Control::barFile || s.id == Control::lbProgress ||
          s.id == Control::lbConverter || !control(s.id).enabled)
        continue;
      setControlEnabled(s.id, false);
      lockedByConverterStep_.push_back(s.id);
    }
  } else {
    for (Control c : lockedByConverterStep_) setControlEnabled(c, true);
    lockedByConverterStep_.clear();
  }
}

void SaveMp4Model::returnToIdle() {
  setConverterStepLock(false);
  setControlEnabled(Control::btnStart, true);
  setControlEnabled(Control::btnCancel, false);
  main_.setRunInProgress(false);
  if (!windowStatus().visible) main_.enableUnlessRunning();
}

RunCallbacks SaveMp4Model::runCallbacks() {
  RunCallbacks callbacks;
  callbacks.progress = [this](const RunProgress& p) { showProgress(p); };
  callbacks.converterStep = [this](bool active) {
    setConverterStepLock(active);
    converterProgress_ = ConverterProgress();
    stepStart_ = std::chrono::steady_clock::now();
    setControlText(Control::lbConverter, "");
  };
  callbacks.converterOutput = [this](const std::string& chunk) {
    if (const auto share = converterProgress_.feed(chunk)) {
      const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - stepStart_;
      setControlText(Control::lbConverter, progressText(*share, elapsed.count()));
      showConversionShare(*share);
    }
  };
  callbacks.stage = [this](const std::string& stage) {
    conversionPart_ = conversionPartOf(stage);
    showConversionShare(0);
  };
  return callbacks;
}

// Done: the dialog closes as its Close button would.
void SaveMp4Model::finishShown() {
  if (windowStatus().visible)
    FormCloseQuery();
  else
    FormClose();
}

void SaveMp4Model::btnStartClick() {
  if (running()) return;
  if (main_.tripMode()) {
    if (checked(Control::rbEventClips))
      startClips();
    else
      startTrips();
    return;
  }
  const OutputTarget target = outputTarget(control(Control::edFolder).text, control(Control::edMp4Filename).text,
                                           outputExtension(cbSubtitles()));
  if (!target.problem.empty()) {
    view()->showMessage(target.problem);
    return;
  }
  StageContext ctx = beginRun();
  run_ = std::make_unique<ConversionRun>(ctx, runCallbacks());

  RunOutcome outcome;
  try {
    outcome = run_->start(runFiles(target.path));
    saveTrackIfChosen(ctx, target.path, outcome);
    saveReportIfChosen(ctx, target.path, outcome);
  } catch (const std::exception& e) {
    // An error inside a stage ends the run; the dialog goes back to idle.
    run_.reset();
    returnToIdle();
    resetProgress();
    view()->showError(e.what());
    return;
  }
  run_.reset();
  returnToIdle();
  // A run that made no MP4 leaves the dialog as it was before Start.
  if (outcome.status != RunStatus::Succeeded) resetProgress();
  if (stoppedFromOutside_) return;

  WindowView& owner = boxOwner();
  switch (outcome.status) {
    case RunStatus::Cancelled:
      if (!outcome.message.empty()) owner.showMessage(outcome.message);
      return;
    case RunStatus::Failed:
      owner.showError(withWarnings(outcome.message, outcome.warnings));
      return;
    case RunStatus::Succeeded:
      break;
  }
  owner.showMessage(withWarnings(
      outcome.message.empty() ? std::string(convertedMessage(runDelivery_)) : outcome.message, outcome.warnings));
  WindowEnvironment& env = main_.environment();
  if (env.openFolder) env.openFolder(env.launcher, control(Control::edFolder).text);
  finishShown();
}

StageContext SaveMp4Model::beginRun() {
  state_.cancelRequested = false;
  runDelivery_ = cbSubtitles();
  stoppedFromOutside_ = false;
  setControlEnabled(Control::btnStart, false);
  setControlEnabled(Control::btnCancel, true);
  main_.setRunInProgress(true);
  StageContext ctx = main_.makeContext(*this);
  ctx.converterPath = main_.environment().converterPath();
  return ctx;
}

// The run's names, the track's included, so that all are checked before it writes anything.
RunFiles SaveMp4Model::runFiles(const std::string& target) const {
  RunFiles files = RunFiles::forConversion(target, state_.selectedFiles.size());
  if (checked(Control::checkBoxTrack)) files.track = trackPathBeside(target, trackFormat());
  if (checked(Control::checkBoxReport)) files.report = reportPathBeside(target);
  return files;
}

TrackFormat SaveMp4Model::trackFormat() const {
  return static_cast<TrackFormat>(std::clamp(control(Control::cbTrackFormat).selection, 0, 3));
}

void SaveMp4Model::saveTrackIfChosen(StageContext& ctx, const std::string& target, RunOutcome& outcome) {
  if (outcome.status != RunStatus::Succeeded || !checked(Control::checkBoxTrack)) return;
  const TrackFormat format = trackFormat();
  const std::string path = trackPathBeside(target, format);
  try {
    CheckTrackTarget(state_.selectedFiles, path);
    const TrackExport track = ExportTrack(ctx, path, format);
    // A track without points, or without records, is named; a recording's early end is already.
    for (const std::string& w : track.warnings)
      if (std::find(outcome.warnings.begin(), outcome.warnings.end(), w) == outcome.warnings.end())
        outcome.warnings.push_back(w);
    outcome.message = (outcome.message.empty() ? std::string(convertedMessage(runDelivery_)) : outcome.message) +
                      "\nThe track is saved as " + path;
  } catch (const std::exception& e) {
    outcome.warnings.push_back(std::string("The video was made, but the track could not be written: ") + e.what());
  }
}

void SaveMp4Model::saveReportIfChosen(StageContext& ctx, const std::string& target, RunOutcome& outcome) {
  if (outcome.status != RunStatus::Succeeded || !checked(Control::checkBoxReport)) return;
  const std::string path = reportPathBeside(target);
  try {
    const ReportExport page = ExportReport(ctx, path, target);
    for (const std::string& w : page.warnings)
      if (std::find(outcome.warnings.begin(), outcome.warnings.end(), w) == outcome.warnings.end())
        outcome.warnings.push_back(w);
    outcome.message = (outcome.message.empty() ? std::string(convertedMessage(runDelivery_)) : outcome.message) +
                      "\nThe report page is saved as " + path;
  } catch (const std::exception& e) {
    outcome.warnings.push_back(std::string("The video was made, but the report page could not be written: ") +
                               e.what());
  }
}

void SaveMp4Model::btnCancelClick() {
  state_.cancelRequested = true;
  if (batch_) batch_->requestCancel();
  if (clipBatch_) clipBatch_->requestCancel();
  if (run_) run_->requestCancel();
}

void SaveMp4Model::stopRun() {
  if (!running() || stoppedFromOutside_) return;
  stoppedFromOutside_ = true;
  state_.cancelRequested = true;
  if (batch_) batch_->requestCancel();
  if (clipBatch_) clipBatch_->requestCancel();
  if (run_) run_->requestStop();
}

// The folder a batch writes into, or none after the box saying why not.
std::optional<std::string> SaveMp4Model::batchFolder(const std::string& extension) {
  const std::string folderText = control(Control::edFolder).text;
  const OutputTarget first = outputTarget(folderText, control(Control::edMp4Filename).text, extension.c_str());
  if (!first.problem.empty()) {
    view()->showMessage(first.problem);
    return std::nullopt;
  }
  return outputFolder(folderText);
}

// One trip or clip of a batch, with the track file and the report page the
// dialog asks for beside it.
RunOutcome SaveMp4Model::convertBatchItem(StageContext& ctx, const std::string& target, const std::string& extension) {
  showTrip(target, extension);
  run_ = std::make_unique<ConversionRun>(ctx, runCallbacks());
  struct Release {
    std::unique_ptr<ConversionRun>& run;
    ~Release() { run.reset(); }
  } release{run_};
  RunOutcome outcome = run_->start(runFiles(target));
  saveTrackIfChosen(ctx, target, outcome);
  saveReportIfChosen(ctx, target, outcome);
  return outcome;
}

// Start in trip mode: every trip of the memory card into the chosen folder, one
// after another with the dialog's choices, and one message at the end.
void SaveMp4Model::startTrips() {
  const std::string folderText = control(Control::edFolder).text;
  const std::string extension = outputExtension(cbSubtitles());
  // The folder is checked before anything runs, as for one recording.
  const std::optional<std::string> folder = batchFolder(extension);
  if (!folder) return;
  const TripSettings settings{*folder, state_.trimStart, state_.trimEnd, rbTimeLocal(), extension};
  StageContext ctx = beginRun();
  const std::string caption = windowStatus().caption;
  TripBatchCallbacks callbacks;
  callbacks.tripStarted = [this, &caption](std::size_t index, std::size_t count, const Trip&) {
    setCaption(tripCaption(caption, index, count));
  };
  callbacks.convert = [this, &ctx, &extension](const std::string& target) {
    return convertBatchItem(ctx, target, extension);
  };
  batch_ = std::make_unique<TripBatch>(ctx, main_.trips(), settings, std::move(callbacks));
  const TripBatchResult result = batch_->run();
  batch_.reset();
  setCaption(caption);
  returnToIdle();
  if (stoppedFromOutside_) return;

  boxOwner().showMessage(result.message(settings.folder));
  WindowEnvironment& env = main_.environment();
  if (result.converted > 0 && env.openFolder) env.openFolder(env.launcher, folderText);
  // As after one recording: done, the dialog closes; otherwise it is ready for
  // another Start, which begins with the first trip again.
  if (!result.allConverted()) {
    ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
    resetProgress();
  } else {
    finishShown();
  }
}

// Start with "A clip per event": every trip read for its alarm events, then a
// clip per event (or per run of overlapping ones) into the chosen folder with
// the dialog's choices; the time window's trims do not apply, each clip cuts its own.
void SaveMp4Model::startClips() {
  const std::string folderText = control(Control::edFolder).text;
  const std::string extension = outputExtension(cbSubtitles());
  const std::optional<std::string> folder = batchFolder(extension);
  if (!folder) return;
  const ClipSettings settings{*folder, ClipMargins{}, rbTimeLocal(), extension};
  StageContext ctx = beginRun();
  const std::string caption = windowStatus().caption;
  ClipBatchCallbacks callbacks;
  callbacks.tripRead = [this, &caption](std::size_t index, std::size_t count) {
    setCaption(caption + " - reading trip " + std::to_string(index + 1) + " of " + std::to_string(count));
  };
  callbacks.clipStarted = [this, &caption](std::size_t index, std::size_t count, const EventClip&) {
    setCaption(clipCaption(caption, index, count));
  };
  callbacks.convert = [this, &ctx, &extension](const std::string& target) {
    return convertBatchItem(ctx, target, extension);
  };
  clipBatch_ = std::make_unique<ClipBatch>(ctx, main_.trips(), settings, std::move(callbacks));
  const TripBatchResult result = clipBatch_->run();
  clipBatch_.reset();
  setCaption(caption);
  returnToIdle();
  if (stoppedFromOutside_) return;

  boxOwner().showMessage(clipBatchMessage(result, settings.folder));
  WindowEnvironment& env = main_.environment();
  if (result.converted > 0 && env.openFolder) env.openFolder(env.launcher, folderText);
  if (!result.allConverted() || !result.failures.empty() || result.cancelled) {
    ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
    resetProgress();
  } else {
    finishShown();
  }
}

// The scan and the trims have set the trip's selection and window; the name is
// its own, numbered when an earlier trip has it.
void SaveMp4Model::showTrip(const std::string& target, const std::string& extension) {
  ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
  std::string name = fileNameOf(target);
  if (name.ends_with(extension)) name.resize(name.size() - extension.size());
  setControlText(Control::edMp4Filename, name);
  const int steps = static_cast<int>(state_.selectedFiles.size()) + 1;
  showProgress(RunProgress{0, steps, "0/" + std::to_string(steps)});
}

}  // namespace vk2::ui
