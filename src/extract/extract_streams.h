#pragma once
// The walk of DemuxAndConvert up to the converter: splits one MMV file into the
// ".h264", ".pcm" and ".drv" streams beside the target, cuts them to the time
// window, and writes the ".ass" subtitle script.
#include <cstdint>
#include <string>

#include "conversion/stage_context.h"

namespace vk2 {

// Names derived from the target by replacing its extension (the part from the
// last "." of the file name on).
struct DerivedPaths {
  std::string h264;
  std::string pcm;
  std::string drv;
  std::string ass;
  std::string subtitledMp4;  // target without its last 4 characters + "_Sub.mp4"
  static DerivedPaths fromTarget(const std::string& outputPath);
};

struct ExtractResult {
  bool ok = false;
  std::string error;          // names the file and the reason when !ok
  DerivedPaths paths;
  int32_t durationSec = 0;    // mmvSec - (trimStart + trimEnd)
  double frameRate = 0.0;     // (videoWritten - 1) / durationSec; 0 when undefined
  int32_t videoWritten = 0;
  int32_t audioWritten = 0;
  int32_t drvWritten = 0;
};

// Walks `inputPath`, writes the streams and the script for `outputPath`, logs
// as the stage does. Keeps the ".drv" file when keepDrv is true (extract
// command); otherwise deletes it as the conversion does.
ExtractResult ExtractStreams(StageContext& ctx, const std::string& inputPath,
                             const std::string& outputPath, bool keepDrv = false);

}  // namespace vk2
