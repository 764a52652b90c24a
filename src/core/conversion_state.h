#pragma once
// The one record of state that the stages of a conversion share: the selection
// and its recording span, the time window and its trims, the folders, the cancel
// request, and the merge's working state across its per-file calls.
#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "core/calendar_time.h"
#include "core/mmv_blocks.h"

namespace vk2 {

// One continuous time base of a stream in a merged file.
struct StreamClock {
  uint64_t rebasedTime = 0;
  uint64_t lastSourceTime = 0;
};

enum StreamClockIndex { kVideoClock = 0, kAudioClock = 1, kDrvClock = 2 };

struct ConversionState {
  // Selection and recording span.
  std::vector<std::string> selectedFiles;
  bool mergeFailed = false;
  uint32_t fileStartTime = 0;
  uint32_t fileEndTime = 0;
  uint32_t previousEndTime = 0;
  int32_t spanStartTime = 0;
  int32_t spanEndTime = 0;
  CalendarTime spanStart;
  CalendarTime spanEnd;
  // The first file's start stamp, held by the scan until it reaches the last file.
  MmvTimeStamp scanStartStamp;

  // Time window.
  int32_t windowStartTime = 0;
  int32_t windowEndTime = 0;
  CalendarTime windowStart;
  CalendarTime windowEnd;
  int32_t trimStart = 0;
  int32_t trimEnd = 0;

  // Folders and flags. Folder texts end with a separator.
  std::string outputFolder;
  std::string sourceFolder;
  bool cancelRequested = false;

  // Merge working state. Sizes are kept in 64 bits so that totals of large
  // selections are logged correctly; index entries stay 32-bit as in the file.
  std::string mergedFilePath;
  std::string totalFileName;
  // The merged file: records are written in place behind the leading part,
  // which mergedHeader collects and which is written last.
  std::ofstream mergedOutput;
  std::vector<uint8_t> mergedHeader;
  int64_t headerFill = 0;
  MmvInfoBlock infoBlock;
  MmvIFrameIndex frameIndex;
  int32_t frameIndexFill = 0;
  int64_t mergedSpan = 0;
  int64_t bodyLength = 0;  // bytes of records written behind the leading part
  int32_t totalFrameSum = 0;
  int32_t iFrameSum = 0;
  int32_t drvFrameSum = 0;
  int32_t videoFrameTally = 0;
  int32_t audioFrameTally = 0;
  int32_t drvFrameTally = 0;
  int32_t nextFrameNumber = 0;
  std::array<StreamClock, 3> streamClocks{};
  // Seconds of recording missing from inputs that end early; taken off the
  // merged end stamp so that its length matches the records it holds.
  int64_t missingSeconds = 0;
  // Seconds the merged inputs' records stand for: each input's own span, less
  // what a cut-off one misses. Short of the merged span by the gaps between
  // inputs (longer where they overlap).
  int64_t recordedSeconds = 0;

  // Recordings that end early (cut off, zero-filled tail): one text each naming
  // the file, where it ends and what is missing. Filled by the merge, read by the run.
  std::vector<std::string> recordingWarnings;
};

}  // namespace vk2
