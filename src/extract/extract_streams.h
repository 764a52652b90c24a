#pragma once
// The walk of DemuxAndConvert up to the converter: splits one MMV file into the
// ".h264", ".pcm" and ".drv" streams beside the target, cuts them to the time
// window, and writes the ".ass" subtitle script.
#include <cstdint>
#include <string>

#include "core/run_files.h"
#include "core/stage_context.h"

namespace vk2 {

struct ExtractResult {
  // True when the streams and the script were written completely and there is
  // something to convert: only then may the converter steps run.
  bool ok = false;
  // The streams and script were written, but the trimmed window is 0 seconds or
  // less (durationSec <= 0): the converter must not run. ok is false and error
  // says so.
  bool nothingToConvert = false;
  // The recording ends before its totalFrameCount (cut off, or a zero-filled
  // tail): the complete records before that point were written and `warning`
  // names the file, where it ends and what is missing. ok stays true when the
  // window still holds video.
  bool endedEarly = false;
  std::string warning;
  std::string error;  // names the file and the reason when !ok
  RunFiles paths;  // the names it wrote
  int32_t durationSec = 0;  // mmvSec - (trimStart + trimEnd), or what the complete records hold
  double frameRate = 0.0;   // (videoWritten - 1) / durationSec; 0 when undefined
  int32_t videoWritten = 0;
  int32_t audioWritten = 0;
  int32_t drvWritten = 0;
  int32_t mmvSec = 0;  // endStamp.seconds - startStamp.seconds
  int64_t videoBytes = 0;
  int64_t audioBytes = 0;
  int64_t drvBytes = 0;
};

// Walks `inputPath`, writes the streams and the script under the names of
// `files`, logs as the stage does. Keeps the ".drv" file when keepDrv is true
// (extract command); otherwise deletes it as the conversion does. Never throws
// for bad input or output files: they are reported in the result.
ExtractResult ExtractStreams(StageContext& ctx, const std::string& inputPath, const RunFiles& files,
                             bool keepDrv = false);

}  // namespace vk2
