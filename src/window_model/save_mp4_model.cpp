#include "window_model/save_mp4_model.h"

#include <algorithm>

#include "conversion/conversion_run.h"
#include "conversion/clip_batch.h"
#include "conversion/trip_batch.h"
#include "core/time_window.h"
#include "window_model/main_window_model.h"

namespace vk2::ui {

SaveMp4Model::SaveMp4Model(ConversionState& state, MainWindowModel& mainWindow)
    : WindowModel(Window::SaveMp4), state_(state), main_(mainWindow) {
  FormCreate();
}

SaveMp4Model::~SaveMp4Model() = default;

int SaveMp4Model::cbSubDateFormat() const {
  // Typed text selects no layout, like the empty fifth entry.
  const int index = control(Control::cbSubDateFormat).selection;
  return (index >= 0 && index <= 3) ? index : kDateFormatNone;
}

SubtitleDelivery SaveMp4Model::cbSubtitles() const {
  return static_cast<SubtitleDelivery>(std::clamp(control(Control::cbSubtitles).selection, 0, 3));
}

// Creation, showing and closing -------------------------------------------------

void SaveMp4Model::FormCreate() {
  state_.windowStart = CalendarTime{};
  state_.windowEnd = CalendarTime{};
  state_.trimStart = 0;
  state_.trimEnd = 0;
  state_.cancelRequested = false;
}

std::string SaveMp4Model::windowLabelOf(const CalendarTime& t) const {
  const WindowEnvironment& env = main_.environment();
  const LocaleSeparators sep = env.separators ? env.separators() : LocaleSeparators{};
  return windowLabel(t, sep.date, sep.time);
}

void SaveMp4Model::showSpan(const CalendarTime& start, const CalendarTime& end, int64_t lengthSeconds) {
  setControlText(Control::lbSec, std::to_string(lengthSeconds));
  setControlText(Control::lbTimeFrom, windowLabelOf(start));
  setControlText(Control::lbTimeTo, windowLabelOf(end));
}

void SaveMp4Model::showOverMain() {
  FormShow();
  showWindow(true);
}

void SaveMp4Model::FormShow() {
  setControlText(Control::edFolder, state_.outputFolder);
  // Each trip of a card gets its own proposed name; the field shows the first trip's.
  setControlReadOnly(Control::edMp4Filename, main_.tripMode());
  setControlVisible(Control::rbEveryTrip, main_.tripMode());
  setControlVisible(Control::rbEventClips, main_.tripMode());
  resetProgress();
  main_.enableWindow(false);
  ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
}

void SaveMp4Model::FormClose() {
  main_.setSaveCommandEnabled(false);
  main_.enableUnlessRunning();
  showWindow(false);
}

bool SaveMp4Model::FormCloseQuery() {
  // During a converter step only Cancel takes input.
  if (converterStepLocked_) return false;
  FormClose();
  return true;
}

void SaveMp4Model::Button1Click() {
  if (!view()) return;
  if (const auto folder = browseForFolder(*view(), "Select MP4 Directory")) setControlText(Control::edFolder, *folder);
}

// Time window -------------------------------------------------------------------

void SaveMp4Model::ShowTimeWindow(int32_t startTime, int32_t endTime) {
  const TimeWindowView shown = describeTimeWindow(startTime, endTime, rbTimeLocal());
  memoMessage_.append(shown.startLogLine);
  memoMessage_.append(shown.endLogLine);
  state_.windowStart = shown.start;
  state_.windowEnd = shown.end;
  setControlText(Control::lbTimeFrom, windowLabelOf(shown.start));
  setControlText(Control::lbTimeTo, windowLabelOf(shown.end));
  setControlText(Control::lbSec, shown.lengthText);
  setControlText(Control::edMp4Filename, shown.fileName);
}

void SaveMp4Model::UpdateTimeButtons() {
  const TimeButtons current{control(Control::sbtnTimeFromPlus).enabled, control(Control::sbtnTimeFromMinus).enabled,
                            control(Control::sbtnTimeToPlus).enabled, control(Control::sbtnTimeToMinus).enabled};
  const TimeButtons next = vk2::UpdateTimeButtons(state_, current);
  setControlEnabled(Control::sbtnTimeFromPlus, next.fromPlus);
  setControlEnabled(Control::sbtnTimeFromMinus, next.fromMinus);
  setControlEnabled(Control::sbtnTimeToPlus, next.toPlus);
  setControlEnabled(Control::sbtnTimeToMinus, next.toMinus);
}

void SaveMp4Model::sbtnTimeFromPlusClick() {
  state_.windowStartTime = steppedTime(state_.windowStartTime, 1);
  ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
  UpdateTimeButtons();
}

void SaveMp4Model::sbtnTimeFromMinusClick() {
  state_.windowStartTime = steppedTime(state_.windowStartTime, -1);
  ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
  UpdateTimeButtons();
}

void SaveMp4Model::sbtnTimeToPlusClick() {
  state_.windowEndTime = steppedTime(state_.windowEndTime, 1);
  ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
  UpdateTimeButtons();
}

void SaveMp4Model::sbtnTimeToMinusClick() {
  state_.windowEndTime = steppedTime(state_.windowEndTime, -1);
  ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
  UpdateTimeButtons();
}

// Every click proposes the name afresh, as the time buttons do.
void SaveMp4Model::rbTimeLocalClick() { ShowTimeWindow(state_.windowStartTime, state_.windowEndTime); }
void SaveMp4Model::rbTimeUtcClick() { ShowTimeWindow(state_.windowStartTime, state_.windowEndTime); }

}  // namespace vk2::ui
