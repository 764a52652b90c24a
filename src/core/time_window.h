#pragma once
// Rules of the time window the user narrows in the options dialog: which step
// buttons may be used, the trims, and the texts shown for a window.
#include <cstdint>
#include <string>

#include "core/calendar_time.h"
#include "core/conversion_state.h"

namespace vk2 {

// The smallest window the step buttons leave: a window of this many seconds or
// less cannot be narrowed further.
constexpr int32_t kMinimumWindowSeconds = 5;

// Enabled states of the four step buttons. A rule that leaves a button as it was
// keeps the value passed in.
struct TimeButtons {
  bool fromPlus = true;
  bool fromMinus = true;
  bool toPlus = true;
  bool toMinus = true;
  bool operator==(const TimeButtons&) const = default;
};

// UpdateTimeButtons: new button states from the window and span, and the trims
// written back into the state.
TimeButtons UpdateTimeButtons(ConversionState& state, TimeButtons current);

// A window edge moved by `step` seconds, held at the ends of the 32-bit range
// that stamps have.
int32_t steppedTime(int32_t seconds, int32_t step);

// What ShowTimeWindow displays for a window, in the chosen zone.
struct TimeWindowView {
  CalendarTime start;
  CalendarTime end;
  std::string startLogLine;  // "Start Time = 2021.10.29 8:5:3"
  std::string endLogLine;    // "End Time = ..."
  std::string lengthText;    // lbSec, the 64-bit end - start
  std::string fileName;      // edMp4Filename proposal
};
TimeWindowView describeTimeWindow(int32_t startTime, int32_t endTime, bool local);

// Whether trims chosen outside the dialog (the command line) describe a window
// the dialog could have reached: both >= 0 and at least 5 seconds left, or both 0.
bool trimsAllowed(int32_t spanSeconds, int32_t trimStart, int32_t trimEnd);

}  // namespace vk2
