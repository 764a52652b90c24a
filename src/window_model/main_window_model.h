#pragma once
// TFormWebsocketclientf: the main window with the open and save commands, the
// status band and the hidden progress log every stage writes to.
#include <optional>
#include <string>
#include <vector>

#include "core/conversion_options.h"
#include "core/conversion_state.h"
#include "core/hidden_log.h"
#include "core/stage_context.h"
#include "mmv/trips.h"
#include "window_model/window_environment.h"
#include "window_model/window_model.h"

namespace vk2::ui {

class SaveMp4Model;

class MainWindowModel : public WindowModel {
 public:
  MainWindowModel(ConversionState& state, WindowEnvironment& env);

  // The options dialog is created after this window; the scan reads its time basis.
  void setSaveDialog(SaveMp4Model* dialog) { saveDialog_ = dialog; }
  SaveMp4Model* saveDialog() const { return saveDialog_; }

  ConversionState& state() { return state_; }
  HiddenLog& memoMessage() { return memoMessage_; }
  HiddenLog& memoSubtitle() { return memoSubtitle_; }
  WindowEnvironment& environment() { return env_; }
  // A stage context over this window's logs and the given option readers.
  StageContext makeContext(const ConversionOptions& options);

  void FormCreate();
  void SpeedButton2Click();  // OpenMmvFiles
  void sbtnSaveMp4Click();
  void sbtnSdCardClick();
  // The close box: refused while a run holds the window.
  bool FormCloseQuery() const { return !runInProgress_; }
  void setSaveCommandEnabled(bool enabled) { setControlEnabled(Control::sbtnSaveMp4, enabled); }

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

 private:
  void showSummary(const std::string& text) { setControlText(Control::lbDir, text); }
  void showSpanInPickers();
  void showTripsAgain();
  bool scanFirstTrip();
  const ConversionOptions& options() const;

  ConversionState& state_;
  WindowEnvironment& env_;
  SaveMp4Model* saveDialog_ = nullptr;
  HiddenLog memoMessage_;
  HiddenLog memoSubtitle_;
  PlainConversionOptions defaultOptions_;
  bool runInProgress_ = false;
  std::vector<Trip> trips_;
  std::string tripStatus_;  // lbDir's text for the trips
};

// browseForFolder: the chosen folder ending in a separator, or nothing when the
// chooser was cancelled or gave no path.
std::optional<std::string> browseForFolder(WindowView& view, const std::string& title);

}  // namespace vk2::ui
