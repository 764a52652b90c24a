// Start and Cancel of the options dialog: the conversion run with its progress,
// completion message and the locks that keep the state the run uses unchanged.
#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "conversion/conversion_run.h"
#include "telemetry/track_export.h"
#include "telemetry/track_format.h"
#include "conversion/trip_batch.h"
#include "gui/main_window.h"
#include "gui/output_target.h"
#include "gui/save_mp4_dialog.h"

namespace vk2::gui {

namespace {
std::string toText(const QString& s) { return s.toLocal8Bit().toStdString(); }

// A recording that ended early is named below the message, one line each.
std::string withWarnings(std::string text, const std::vector<std::string>& warnings) {
  for (const std::string& w : warnings) text += "\n" + w;
  return text;
}
}  // namespace

bool TformSaveMp4::running() const { return batch_ || (run_ && run_->running()); }

void TformSaveMp4::showProgress(const RunProgress& progress) {
  barFile_->setMaximum(progress.maximum);
  barFile_->setValue(progress.position);
  lbProgress_->setText(QString::fromLocal8Bit(progress.label));
  emit progressShown(lbProgress_->text(), progress.position, progress.maximum);
}

// The bar and counter at 0 for the selection, as before any run.
void TformSaveMp4::resetProgress() {
  const int steps = static_cast<int>(state_.selectedFiles.size()) + 1;
  barFile_->setRange(0, steps);
  barFile_->setValue(0);
  lbProgress_->setText(QString("0/%1").arg(steps));
}

void TformSaveMp4::setConverterStepLock(bool locked) {
  // While the converter runs the windows keep painting, but only Cancel answers.
  if (locked == converterStepLocked_) return;
  converterStepLocked_ = locked;
  if (locked) {
    // Closed earlier in the run: shown again, or a converter that hangs could
    // not be cancelled while the main window waits for the run.
    if (!isVisible()) show();
    lockedByConverterStep_.clear();
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      // The bar and the counter only show progress; they stay as they look.
      if (w == btnCancel_ || w == barFile_ || w == lbProgress_ || w == lbConverter_ || !w->isEnabled()) continue;
      w->setEnabled(false);
      lockedByConverterStep_.push_back(w);
    }
  } else {
    for (QWidget* w : lockedByConverterStep_) w->setEnabled(true);
    lockedByConverterStep_.clear();
  }
}

void TformSaveMp4::returnToIdle() {
  setConverterStepLock(false);
  btnStart_->setEnabled(true);
  btnCancel_->setEnabled(false);
  main_.setRunInProgress(false);
  if (!isVisible()) main_.enableUnlessRunning();
}

RunCallbacks TformSaveMp4::runCallbacks() {
  RunCallbacks callbacks;
  callbacks.progress = [this](const RunProgress& p) { showProgress(p); };
  callbacks.converterStep = [this](bool active) {
    setConverterStepLock(active);
    converterProgress_ = ConverterProgress();
    stepStart_ = std::chrono::steady_clock::now();
    lbConverter_->clear();
  };
  callbacks.converterOutput = [this](const std::string& chunk) {
    if (const auto share = converterProgress_.feed(chunk)) {
      const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - stepStart_;
      lbConverter_->setText(QString::fromStdString(progressText(*share, elapsed.count())));
    }
  };
  return callbacks;
}

void TformSaveMp4::btnStartClick() {
  if (running()) return;
  if (main_.tripMode()) {
    startTrips();
    return;
  }
  const OutputTarget target =
      outputTarget(toText(edFolder_->text()), toText(edMp4Filename_->text()), outputExtension(cbSubtitles()));
  if (!target.problem.empty()) {
    main_.environment().dialogs.showMessage(this, target.problem);
    return;
  }
  StageContext ctx = beginRun();
  run_ = std::make_unique<ConversionRun>(ctx, runCallbacks());

  RunOutcome outcome;
  try {
    outcome = run_->start(target.path);
    saveTrackIfChosen(ctx, target.path, outcome);
  } catch (const std::exception& e) {
    // An error inside a stage ends the run; the dialog goes back to idle.
    run_.reset();
    returnToIdle();
    resetProgress();
    main_.environment().dialogs.showError(this, e.what());
    return;
  }
  run_.reset();
  returnToIdle();
  // A run that made no MP4 leaves the dialog as it was before Start.
  if (outcome.status != RunStatus::Succeeded) resetProgress();

  QWidget* owner = isVisible() ? static_cast<QWidget*>(this) : &main_;
  switch (outcome.status) {
    case RunStatus::Cancelled:
      if (!outcome.message.empty()) main_.environment().dialogs.showMessage(owner, outcome.message);
      return;
    case RunStatus::Failed:
      main_.environment().dialogs.showError(owner, withWarnings(outcome.message, outcome.warnings));
      return;
    case RunStatus::Succeeded:
      break;
  }
  main_.environment().dialogs.showMessage(
      owner, withWarnings(outcome.message.empty() ? std::string("MP4 converted successfully") : outcome.message,
                          outcome.warnings));
  if (main_.environment().openFolder)
    main_.environment().openFolder(main_.environment().launcher, toText(edFolder_->text()));
  if (isVisible())
    close();
  else
    FormClose();
}

StageContext TformSaveMp4::beginRun() {
  state_.cancelRequested = false;
  btnStart_->setEnabled(false);
  btnCancel_->setEnabled(true);
  main_.setRunInProgress(true);
  StageContext ctx = main_.makeContext(*this);
  ctx.converterPath = main_.environment().converterPath();
  return ctx;
}

void TformSaveMp4::saveTrackIfChosen(StageContext& ctx, const std::string& target, RunOutcome& outcome) {
  if (outcome.status != RunStatus::Succeeded || !saveTrack_->isChecked()) return;
  const auto format = static_cast<TrackFormat>(std::clamp(trackFormat_->currentIndex(), 0, 3));
  const std::string path = trackPathBeside(target, format);
  try {
    CheckTrackTarget(state_.selectedFiles, path);
    ExportTrack(ctx, path, format);
    outcome.message = (outcome.message.empty() ? std::string(kConvertedMessage) : outcome.message) +
                      "\nThe track is saved as " + path;
  } catch (const std::exception& e) {
    outcome.warnings.push_back(std::string("The video was made, but the track could not be written: ") + e.what());
  }
}

void TformSaveMp4::btnCancelClick() {
  state_.cancelRequested = true;
  if (batch_) batch_->requestCancel();
  if (run_) run_->requestCancel();
}

}  // namespace vk2::gui
