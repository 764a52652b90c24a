#pragma once
// The part of the state a batch's scans and windows replace, taken before the
// batch and put back after it: the dialog goes on showing the selection it had.
#include <cstdint>
#include <string>
#include <vector>

#include "core/conversion_state.h"

namespace vk2 {

struct SavedSelection {
  explicit SavedSelection(const ConversionState& s)
      : files(s.selectedFiles), fileStart(s.fileStartTime), fileEnd(s.fileEndTime),
        previousEnd(s.previousEndTime), spanStartTime(s.spanStartTime), spanEndTime(s.spanEndTime),
        spanStart(s.spanStart), spanEnd(s.spanEnd), scanStart(s.scanStartStamp),
        windowStartTime(s.windowStartTime), windowEndTime(s.windowEndTime), windowStart(s.windowStart),
        windowEnd(s.windowEnd), trimStart(s.trimStart), trimEnd(s.trimEnd) {}
  void restore(ConversionState& s) const {
    s.selectedFiles = files;
    s.mergeFailed = false;
    s.fileStartTime = fileStart;
    s.fileEndTime = fileEnd;
    s.previousEndTime = previousEnd;
    s.spanStartTime = spanStartTime;
    s.spanEndTime = spanEndTime;
    s.spanStart = spanStart;
    s.spanEnd = spanEnd;
    s.scanStartStamp = scanStart;
    s.windowStartTime = windowStartTime;
    s.windowEndTime = windowEndTime;
    s.windowStart = windowStart;
    s.windowEnd = windowEnd;
    s.trimStart = trimStart;
    s.trimEnd = trimEnd;
  }

  std::vector<std::string> files;
  uint32_t fileStart, fileEnd, previousEnd;
  int32_t spanStartTime, spanEndTime;
  CalendarTime spanStart, spanEnd;
  MmvTimeStamp scanStart;
  int32_t windowStartTime, windowEndTime;
  CalendarTime windowStart, windowEnd;
  int32_t trimStart, trimEnd;
};

}  // namespace vk2
