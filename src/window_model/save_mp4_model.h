#pragma once
// TformSaveMp4, "Save as MP4 Video": the conversion options, the time window,
// the output folder and name, and Start/Cancel of the run. The option controls
// are the options: the stages read them through ConversionOptions.
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/conversion_options.h"
#include "core/conversion_state.h"
#include "core/converter_progress.h"
#include "core/hidden_log.h"
#include "core/run_files.h"
#include "telemetry/track_format.h"
#include "window_model/run_bar.h"
#include "window_model/window_model.h"

namespace vk2 {
class ClipBatch;
class ConversionRun;
class TripBatch;
struct RunCallbacks;
struct RunProgress;
struct RunOutcome;
struct StageContext;
}  // namespace vk2

namespace vk2::ui {

class MainWindowModel;

class SaveMp4Model : public WindowModel, public ConversionOptions {
 public:
  SaveMp4Model(ConversionState& state, MainWindowModel& mainWindow);
  ~SaveMp4Model() override;

  // Option readers (the states of the controls).
  bool checkBoxCam1() const override { return checked(Control::checkBoxCam1); }
  bool checkBoxAudio() const override { return checked(Control::checkBoxAudio); }
  bool rbTimeLocal() const override { return checked(Control::rbTimeLocal); }
  bool checkBoxVehicleNo() const override { return checked(Control::checkBoxVehicleNo); }
  bool checkBoxGsensor() const override { return checked(Control::checkBoxGsensor); }
  bool checkBoxDateTime() const override { return checked(Control::checkBoxDateTime); }
  bool checkBoxDirection() const override { return checked(Control::checkBoxDirection); }
  bool checkBoxSpeed() const override { return checked(Control::checkBoxSpeed); }
  bool checkBoxRpm() const override { return checked(Control::checkBoxRpm); }
  bool checkBoxLatLong() const override { return checked(Control::checkBoxLatLong); }
  bool checkBoxFcw() const override { return checked(Control::checkBoxFcw); }
  bool checkBoxLdw() const override { return checked(Control::checkBoxLdw); }
  bool checkBoxFpw() const override { return checked(Control::checkBoxFpw); }
  bool checkBoxFvsa() const override { return checked(Control::checkBoxFvsa); }
  bool checkBoxAlarmGsensor() const override { return checked(Control::checkBoxAlarmGsensor); }
  bool checkBoxOverSpeeding() const override { return checked(Control::checkBoxOverSpeeding); }
  bool checkBoxPanic() const override { return checked(Control::checkBoxPanic); }
  bool rbSpeedKmh() const override { return checked(Control::rbSpeedKmh); }
  bool rbSubLocal() const override { return checked(Control::rbSubLocal); }
  bool rbSub12h() const override { return checked(Control::rbSub12h); }
  int cbSubDateFormat() const override;
  SubtitleDelivery cbSubtitles() const override;

  // The save command's part: the span's labels before the dialog is shown, then
  // showing it over the main window (FormShow runs first).
  void showSpan(const CalendarTime& start, const CalendarTime& end, int64_t lengthSeconds);
  void showOverMain();

  void FormCreate();
  void FormShow();
  void FormClose();
  // The close box and Escape: refused during a converter step, when only Cancel answers.
  bool FormCloseQuery();
  void Button1Click();

  // Time window.
  void ShowTimeWindow(int32_t startTime, int32_t endTime);
  void UpdateTimeButtons();
  void sbtnTimeFromPlusClick();
  void sbtnTimeFromMinusClick();
  void sbtnTimeToPlusClick();
  void sbtnTimeToMinusClick();
  void rbTimeLocalClick();
  void rbTimeUtcClick();

  // Run.
  void btnStartClick();
  void btnCancelClick();
  bool running() const;
  // A stop from outside the program (a signal) while a run goes: it ends at the
  // next chance, as after Cancel during the converter, and no box follows, as
  // the program quits next.
  void stopRun();

  // The dialog's own hidden log (time-window lines).
  HiddenLog& memoMessage() { return memoMessage_; }

 private:
  bool checked(Control c) const { return control(c).checked; }
  std::string windowLabelOf(const CalendarTime& t) const;
  void showProgress(const RunProgress& progress);
  // Within the conversion step: the bar at `share` of the part running.
  void showConversionShare(double share);
  void resetProgress();
  void setConverterStepLock(bool locked);
  void returnToIdle();
  // The boxes belong to the dialog while it is shown, else to the main window.
  WindowView& boxOwner();
  // The bar, counter and converter label follow a run.
  RunCallbacks runCallbacks();
  // Start's common part: the dialog and the main window locked for a run, and its context.
  StageContext beginRun();
  // After a conversion that made its video: the track file beside it when
  // "Save the track" is ticked; the message says where, or why not.
  void saveTrackIfChosen(StageContext& ctx, const std::string& target, RunOutcome& outcome);
  // ... and the report page beside it, playing it, when "Report" is ticked.
  void saveReportIfChosen(StageContext& ctx, const std::string& target, RunOutcome& outcome);
  RunFiles runFiles(const std::string& target) const;
  TrackFormat trackFormat() const;
  // Start in trip mode: every trip of the card, one message at the end.
  RunOutcome convertBatchItem(StageContext& ctx, const std::string& target, const std::string& extension);
  void startTrips();
  // Start with "A clip per event": the clips of every trip, one message at the end.
  void startClips();
  // The folder Start writes a card's files into, checked as for one recording; nothing when refused (said).
  std::optional<std::string> batchFolder(const std::string& extension);
  // The trip about to be converted to `target`: its window, length, name and counter.
  void showTrip(const std::string& target, const std::string& extension);
  void finishShown();

  ConversionState& state_;
  MainWindowModel& main_;
  HiddenLog memoMessage_;
  std::unique_ptr<ConversionRun> run_;
  std::unique_ptr<TripBatch> batch_;  // while the trips of a card run
  std::unique_ptr<ClipBatch> clipBatch_;  // while the clips of a card's events run
  bool converterStepLocked_ = false;
  bool stoppedFromOutside_ = false;  // this run, by stopRun()
  std::vector<Control> lockedByConverterStep_;
  ConverterProgress converterProgress_;
  // The bar of the run: the counter's steps, the part of the conversion that
  // runs, and the subtitle choice read at Start.
  int barSteps_ = 1;
  int barStepsDone_ = 0;
  std::optional<ConversionPart> conversionPart_;
  SubtitleDelivery runDelivery_ = SubtitleDelivery::Burn;
  std::chrono::steady_clock::time_point stepStart_;
};

}  // namespace vk2::ui
