#pragma once
// Which frame records fall inside the time window: sequence numbers from
// trimStart x doubleFramePerSec to totalFrameCount - trimEnd x doubleFramePerSec,
// compared in floating point with both ends included.
#include <cstdint>

namespace vk2 {

struct FrameWindow {
  bool cut = false;  // false: every frame is kept (the rate is unknown)
  double first = 0.0;
  double last = 0.0;

  static FrameWindow from(int32_t trimStart, int32_t trimEnd, int32_t totalFrameCount,
                          double framesPerSecond, bool rateKnown) {
    FrameWindow w;
    w.cut = rateKnown;
    w.first = trimStart * framesPerSecond;
    w.last = totalFrameCount - trimEnd * framesPerSecond;
    return w;
  }

  bool contains(int32_t sequenceNumber) const {
    if (!cut) return true;
    const double n = sequenceNumber;
    return first <= n && n <= last;
  }
};

}  // namespace vk2
