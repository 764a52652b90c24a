#pragma once
// Builds the ASS subtitle script of one extraction in the subtitle line buffer
// (ctx.subtitles) and saves it. Options are read from ctx.options for every
// record, so a change made during a run shows from the next record on.
#include <array>
#include <cstdint>
#include <string>

#include "core/stage_context.h"
#include "extract/drv_record.h"
#include "extract/event_latch.h"
#include "core/mmv_blocks.h"

namespace vk2 {

class SubtitleWriter {
 public:
  // `tenthsPerRecord`: how long one telemetry record lasts on the video.
  SubtitleWriter(StageContext& ctx, double tenthsPerRecord);

  // Clears the line buffer and appends the nine header lines.
  void StartScript(const MmvFileHeader& header);
  // Appends the left and the right line of record `eventNumber` (0-based count
  // of the records kept so far).
  void AddRecordEvents(int32_t eventNumber, const DrvRecord& record);
  // Writes every line followed by CR LF, bytes unchanged, no byte-order mark.
  // Throws FileError naming `path` when it cannot be created or written.
  void SaveScript(const std::string& path) const;

 private:
  std::string eventTitle(const DrvRecord& record);

  StageContext& ctx_;
  double tenthsPerRecord_;
  std::string vehicleNumber_;
  // FCW, LDW, FPW, FVSA, G-Sensor, Speeding, Panic: the order in which a later
  // title replaces an earlier one.
  std::array<EventLatch, 7> latches_{};
};

}  // namespace vk2
