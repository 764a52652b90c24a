#include "core/time_window.h"

namespace vk2 {

TimeButtons UpdateTimeButtons(ConversionState& state, TimeButtons current) {
  TimeButtons b = current;
  if (state.windowStartTime == state.spanStartTime)
    b.fromMinus = false;
  else if (state.windowStartTime > state.spanStartTime)
    b.fromMinus = true;

  if (state.windowEndTime == state.spanEndTime)
    b.toPlus = false;
  else if (state.windowEndTime < state.spanEndTime)
    b.toPlus = true;

  const bool narrowest =
      static_cast<int64_t>(state.windowEndTime) - state.windowStartTime <= kMinimumWindowSeconds;
  b.fromPlus = !narrowest;
  b.toMinus = !narrowest;

  state.trimStart = state.windowStartTime - state.spanStartTime;
  state.trimEnd = state.spanEndTime - state.windowEndTime;
  return b;
}

TimeWindowView describeTimeWindow(int32_t startTime, int32_t endTime, bool local) {
  TimeWindowView v;
  v.start = breakDownTime(startTime, local);
  v.end = breakDownTime(endTime, local);
  v.startLogLine = "Start Time = " + logDateTime(v.start);
  v.endLogLine = "End Time = " + logDateTime(v.end);
  const int32_t length = static_cast<int32_t>(static_cast<int64_t>(endTime) - startTime);
  v.lengthText = std::to_string(length);
  v.fileName = proposedFileName(v.start, length);
  return v;
}

bool trimsAllowed(int32_t spanSeconds, int32_t trimStart, int32_t trimEnd) {
  if (trimStart == 0 && trimEnd == 0) return true;
  if (trimStart < 0 || trimEnd < 0) return false;
  const int64_t left = static_cast<int64_t>(spanSeconds) - trimStart - trimEnd;
  return left >= kMinimumWindowSeconds;
}

}  // namespace vk2
