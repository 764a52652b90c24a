#pragma once
// TFormWebsocketclientf: the main window with the open and save commands, the
// status band and the hidden progress log every stage writes to.
#include <QWidget>
#include <vector>

#include "core/conversion_options.h"
#include "core/conversion_state.h"
#include "core/hidden_log.h"
#include "core/stage_context.h"
#include "gui/gui_environment.h"
#include "mmv/trips.h"

class QDateTimeEdit;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;

namespace vk2::gui {

class TformSaveMp4;

inline constexpr const char* kMainCaption =
    "VK2 MP4 Conversion Tool                                                             ";

class TFormWebsocketclientf : public QWidget {
  Q_OBJECT

 public:
  TFormWebsocketclientf(ConversionState& state, GuiEnvironment& env, QWidget* parent = nullptr);
  ~TFormWebsocketclientf() override;

  // The options dialog is created after this window; the scan reads its time basis.
  void setSaveDialog(TformSaveMp4* dialog) { saveDialog_ = dialog; }

  ConversionState& state() { return state_; }
  HiddenLog& memoMessage() { return memoMessage_; }
  HiddenLog& memoSubtitle() { return memoSubtitle_; }
  GuiEnvironment& environment() { return env_; }
  // A stage context over this window's logs and the given option readers.
  StageContext makeContext(const ConversionOptions& options);

  void FormCreate();
  void SpeedButton2Click();  // OpenMmvFiles
  void sbtnSaveMp4Click();
  void sbtnSdCardClick();
  void setSaveCommandEnabled(bool enabled);

  // After an SD-card search found trips, until the open command scans a new
  // selection: the save command converts every trip.
  bool tripMode() const { return !trips_.empty(); }
  const std::vector<Trip>& trips() const { return trips_; }

  // The main window's commands stay locked from Start until the run ends, even
  // when the dialog is closed in between.
  void setRunInProgress(bool running);
  bool runInProgress() const { return runInProgress_; }
  // Enables the window unless a run still holds it.
  void enableUnlessRunning();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildLayout();
  void showSummary(const std::string& text);
  void showSpanInPickers();
  void showTripsAgain();
  bool scanFirstTrip();
  const ConversionOptions& options() const;

  ConversionState& state_;
  GuiEnvironment& env_;
  TformSaveMp4* saveDialog_ = nullptr;
  HiddenLog memoMessage_;
  HiddenLog memoSubtitle_;
  PlainConversionOptions defaultOptions_;
  bool runInProgress_ = false;
  std::vector<Trip> trips_;
  std::string tripStatus_;  // lbDir's text for the trips

  QToolButton* speedButton2_ = nullptr;
  QToolButton* sbtnSaveMp4_ = nullptr;
  QToolButton* sbtnSdCard_ = nullptr;
  QLabel* lbDir_ = nullptr;
  QProgressBar* barFile_ = nullptr;
  QDateTimeEdit* pickerFrom_ = nullptr;
  QDateTimeEdit* pickerTo_ = nullptr;
};

}  // namespace vk2::gui
