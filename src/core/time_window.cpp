#include "core/time_window.h"

#include <algorithm>
#include <limits>

namespace vk2 {

namespace {

// Stamps from damaged recordings can lie more than 2^31 seconds apart (an end
// before the start, or a span across the whole 32-bit range). Such a trim is held
// at the int32 limit: it still cuts past every frame of the recording.
int32_t clampedToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

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

  state.trimStart = clampedToInt32(static_cast<int64_t>(state.windowStartTime) - state.spanStartTime);
  state.trimEnd = clampedToInt32(static_cast<int64_t>(state.spanEndTime) - state.windowEndTime);
  return b;
}

int32_t steppedTime(int32_t seconds, int32_t step) {
  return clampedToInt32(static_cast<int64_t>(seconds) + step);
}

TimeWindowView describeTimeWindow(int32_t startTime, int32_t endTime, bool local) {
  TimeWindowView v;
  v.start = breakDownTime(startTime, local);
  v.end = breakDownTime(endTime, local);
  v.startLogLine = "Start Time = " + logDateTime(v.start);
  v.endLogLine = "End Time = " + logDateTime(v.end);
  const int64_t length = static_cast<int64_t>(endTime) - startTime;
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
