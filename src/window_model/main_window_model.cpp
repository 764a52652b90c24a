#include "window_model/main_window_model.h"

#include <algorithm>

#include "conversion/card_search.h"
#include "core/calendar_time.h"
#include "mmv/scan.h"
#include "platform/folders.h"
#include "window_model/save_mp4_model.h"

namespace vk2::ui {

MainWindowModel::MainWindowModel(ConversionState& state, WindowEnvironment& env)
    : WindowModel(Window::Main), state_(state), env_(env) {
  FormCreate();
}

void MainWindowModel::FormCreate() {
  state_.outputFolder = defaultOutputFolder();
  memoMessage_.append("Documents = " + state_.outputFolder);
  createFolders(state_.outputFolder);  // a failure shows later, when a stage writes there
  state_.sourceFolder.clear();
}

const ConversionOptions& MainWindowModel::options() const {
  if (saveDialog_) return *saveDialog_;
  return defaultOptions_;
}

StageContext MainWindowModel::makeContext(const ConversionOptions& options) {
  StageContext ctx{state_, memoMessage_, memoSubtitle_, options, {}, &env_.launcher, {}};
  ctx.pump = [this] {
    pumpView();
    // A signal ends a running conversion as Cancel does during the converter.
    if (saveDialog_ && env_.stopRequested && env_.stopRequested()) saveDialog_->stopRun();
  };
  return ctx;
}

void MainWindowModel::SpeedButton2Click() {
  if (runInProgress_ || !view()) return;
  state_.mergeFailed = false;
  if (!state_.sourceFolder.empty()) showSummary(state_.sourceFolder);
  const auto chosen = view()->chooseMmvFiles(state_.sourceFolder);
  if (!chosen) {
    showTripsAgain();
    return;
  }

  const int barMaximum = std::max<int>(0, static_cast<int>(chosen->size()) - 1);
  setControlProgress(Control::mainBarFile, 0, barMaximum);
  setControlVisible(Control::mainBarFile, true);
  auto hideBar = [this, barMaximum] {
    setControlProgress(Control::mainBarFile, 0, barMaximum);
    setControlVisible(Control::mainBarFile, false);
  };

  StageContext ctx = makeContext(options());
  OpenResult result;
  try {
    result = OpenMmvFiles(ctx, *chosen, [this, barMaximum](int index) {
      setControlProgress(Control::mainBarFile, std::min(index, barMaximum), barMaximum);
    });
  } catch (const std::exception& e) {
    // The selection is only partly scanned: the earlier span no longer belongs
    // to selectedFiles, so the save command must not use it.
    trips_.clear();
    hideBar();
    showSummary("");
    setSaveCommandEnabled(false);
    view()->showError(e.what());
    return;
  }

  // The box keeps its fixed text; what it is about goes to the diagnosis log.
  if (!result.detail.empty()) memoMessage_.append(result.detail);
  if (result.outcome == OpenOutcome::TooManyFiles) {
    view()->showMessage(result.message);
    hideBar();
    showTripsAgain();
    return;
  }
  if (result.outcome == OpenOutcome::Cancelled) {
    hideBar();
    showTripsAgain();
    return;
  }
  // The files chosen replace the card's trips, whether or not they can be converted.
  trips_.clear();
  if (result.outcome == OpenOutcome::NotJoined) {
    view()->showMessage(result.message);
    hideBar();
    showSummary("");
    setSaveCommandEnabled(false);
    return;
  }
  showSpanInPickers();
  showSummary(result.summary());
  setControlVisible(Control::mainBarFile, false);
  setSaveCommandEnabled(true);
}

// The pickers hold the span: their text the time, their value the stamp.
void MainWindowModel::showSpanInPickers() {
  setControlProgress(Control::DateTimePickerFrom, state_.spanStartTime, 0);
  setControlText(Control::DateTimePickerFrom, isoDateTime(state_.spanStart, ' '));
  setControlProgress(Control::DateTimePickerTo, state_.spanEndTime, 0);
  setControlText(Control::DateTimePickerTo, isoDateTime(state_.spanEnd, ' '));
}

// The open command shows the source folder before its chooser; a chooser that
// changed nothing leaves the card's trips, and their text comes back.
void MainWindowModel::showTripsAgain() {
  if (tripMode()) showSummary(tripStatus_);
}

// The dialog starts from the first trip, scanned as the open command scans a selection.
bool MainWindowModel::scanFirstTrip() {
  StageContext ctx = makeContext(options());
  OpenResult result;
  try {
    result = OpenMmvFiles(ctx, trips_.front().files);
  } catch (const std::exception& e) {
    view()->showError(e.what());
    return false;
  }
  if (result.outcome != OpenOutcome::Selected) {
    view()->showMessage(result.message);
    return false;
  }
  showSpanInPickers();
  return true;
}

void MainWindowModel::sbtnSaveMp4Click() {
  if (!saveDialog_ || runInProgress_) return;
  if (tripMode() && !scanFirstTrip()) return;
  state_.windowStart = state_.spanStart;
  state_.windowEnd = state_.spanEnd;
  state_.windowStartTime = state_.spanStartTime;
  state_.windowEndTime = state_.spanEndTime;
  saveDialog_->showSpan(state_.windowStart, state_.windowEnd,
                        static_cast<int64_t>(state_.spanEndTime) - state_.spanStartTime);
  saveDialog_->UpdateTimeButtons();
  saveDialog_->showOverMain();
}

void MainWindowModel::sbtnSdCardClick() {
  if (runInProgress_ || !view()) return;
  const auto folder = browseForFolder(*view(), "Select SD Card Drive");
  if (!folder) return;
  state_.sourceFolder = *folder;
  showSummary(state_.sourceFolder);
  // The search replaces whatever the save command would have converted.
  const CardSearch search = searchCard(state_.sourceFolder);
  for (const std::string& line : search.logLines) memoMessage_.append(line);
  trips_ = search.trips;
  tripStatus_ = cardStatusText(state_.sourceFolder, search);
  showSummary(tripStatus_);
  setSaveCommandEnabled(tripMode());
  if (!search.problem.empty()) view()->showMessage(search.problem);
}

void MainWindowModel::setRunInProgress(bool running) {
  runInProgress_ = running;
  if (running) enableWindow(false);
}

void MainWindowModel::enableUnlessRunning() {
  if (!runInProgress_) enableWindow(true);
}

std::optional<std::string> browseForFolder(WindowView& view, const std::string& title) {
  std::optional<std::string> path = view.chooseFolder(title);
  if (!path || path->empty()) return std::nullopt;
#ifdef _WIN32
  if (path->back() != '\\' && path->back() != '/') path->push_back('\\');
#else
  if (path->back() != kPathSeparator) path->push_back(kPathSeparator);
#endif
  return path;
}

}  // namespace vk2::ui
