#pragma once
// TformSaveMp4, "Save as MP4 Video": the conversion options, the time window,
// the output folder and name, and Start/Cancel of the run. The option controls
// are the options: the stages read them through ConversionOptions.
#include <QWidget>
#include <chrono>
#include <memory>

#include "core/conversion_options.h"
#include "core/conversion_state.h"
#include "core/converter_progress.h"
#include "core/hidden_log.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vk2 {
class ConversionRun;
class TripBatch;
struct RunCallbacks;
struct RunProgress;
struct RunOutcome;
struct StageContext;
}  // namespace vk2

namespace vk2::gui {

class ListChoice;
class TFormWebsocketclientf;

class TformSaveMp4 : public QWidget, public ConversionOptions {
  Q_OBJECT

 public:
  TformSaveMp4(ConversionState& state, TFormWebsocketclientf& mainWindow);
  ~TformSaveMp4() override;

  // Option readers (the states of the controls).
  bool checkBoxCam1() const override;
  bool checkBoxAudio() const override;
  bool rbTimeLocal() const override;
  bool checkBoxVehicleNo() const override;
  bool checkBoxGsensor() const override;
  bool checkBoxDateTime() const override;
  bool checkBoxDirection() const override;
  bool checkBoxSpeed() const override;
  bool checkBoxRpm() const override;
  bool checkBoxLatLong() const override;
  bool checkBoxFcw() const override;
  bool checkBoxLdw() const override;
  bool checkBoxFpw() const override;
  bool checkBoxFvsa() const override;
  bool checkBoxAlarmGsensor() const override;
  bool checkBoxOverSpeeding() const override;
  bool checkBoxPanic() const override;
  bool rbSpeedKmh() const override;
  bool rbSubLocal() const override;
  bool rbSub12h() const override;
  int cbSubDateFormat() const override;
  SubtitleDelivery cbSubtitles() const override;

  // The save command's part: the span's labels before the dialog is shown, then
  // showing it centred over the main window (FormShow runs first).
  void showSpan(const CalendarTime& start, const CalendarTime& end, int64_t lengthSeconds);
  void showOver(QWidget* owner);

  void FormCreate();
  void FormShow();
  void FormClose();
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

  // The dialog's own hidden log (time-window lines).
  HiddenLog& memoMessage() { return memoMessage_; }

 signals:
  // Every change of the run's bar or counter, after it is shown.
  void progressShown(const QString& label, int position, int maximum);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildLayout();
  void showLength(const QString& seconds);
  void showProgress(const RunProgress& progress);
  void resetProgress();
  void setConverterStepLock(bool locked);
  void returnToIdle();
  // The bar, counter and converter label follow a run.
  RunCallbacks runCallbacks();
  // Start's common part: the dialog and the main window locked for a run, and its context.
  StageContext beginRun();
  // After a conversion that made its video: the track file beside it when
  // "Save the track" is ticked; the message says where, or why not.
  void saveTrackIfChosen(StageContext& ctx, const std::string& target, RunOutcome& outcome);
  // Start in trip mode: every trip of the card, one message at the end.
  void startTrips();

  ConversionState& state_;
  TFormWebsocketclientf& main_;
  HiddenLog memoMessage_;
  std::unique_ptr<ConversionRun> run_;
  std::unique_ptr<TripBatch> batch_;  // while the trips of a card run
  bool converterStepLocked_ = false;
  bool windowShownLocal_ = true;  // the basis ShowTimeWindow last used
  std::vector<QWidget*> lockedByConverterStep_;

  QCheckBox* cam1_ = nullptr;
  QCheckBox* audio_ = nullptr;
  QLabel* lbTimeFrom_ = nullptr;
  QLabel* lbTimeTo_ = nullptr;
  QPushButton* timeFromPlus_ = nullptr;
  QPushButton* timeFromMinus_ = nullptr;
  QPushButton* timeToPlus_ = nullptr;
  QPushButton* timeToMinus_ = nullptr;
  QRadioButton* timeLocal_ = nullptr;
  QRadioButton* timeUtc_ = nullptr;
  QLabel* lbSec_ = nullptr;
  QCheckBox* vehicleNo_ = nullptr;
  QCheckBox* latLong_ = nullptr;
  QCheckBox* gsensor_ = nullptr;
  QCheckBox* rpm_ = nullptr;
  QCheckBox* dateTime_ = nullptr;
  QCheckBox* speed_ = nullptr;
  QCheckBox* direction_ = nullptr;
  QCheckBox* fcw_ = nullptr;
  QCheckBox* ldw_ = nullptr;
  QCheckBox* fpw_ = nullptr;
  QCheckBox* fvsa_ = nullptr;
  QCheckBox* alarmGsensor_ = nullptr;
  QCheckBox* panic_ = nullptr;
  QCheckBox* overSpeeding_ = nullptr;
  QRadioButton* speedKmh_ = nullptr;
  QRadioButton* speedMph_ = nullptr;
  QRadioButton* subLocal_ = nullptr;
  QRadioButton* subUtc_ = nullptr;
  QRadioButton* sub12h_ = nullptr;
  QRadioButton* sub24h_ = nullptr;
  QComboBox* dateFormat_ = nullptr;
  ListChoice* dateFormatChoice_ = nullptr;
  QLineEdit* edFolder_ = nullptr;
  QPushButton* button1_ = nullptr;
  QLineEdit* edMp4Filename_ = nullptr;
  QProgressBar* barFile_ = nullptr;
  QLabel* lbProgress_ = nullptr;
  QComboBox* subtitles_ = nullptr;
  QCheckBox* saveTrack_ = nullptr;
  QComboBox* trackFormat_ = nullptr;
  // How far the running converter step is, from its own progress output.
  QLabel* lbConverter_ = nullptr;
  ConverterProgress converterProgress_;
  std::chrono::steady_clock::time_point stepStart_;
  QPushButton* btnStart_ = nullptr;
  QPushButton* btnCancel_ = nullptr;
  QPushButton* btnClose_ = nullptr;
};

}  // namespace vk2::gui
