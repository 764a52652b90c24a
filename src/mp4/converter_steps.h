#pragma once
// The converter steps: MakeMp4 wraps the raw streams into an MP4, then
// BurnSubtitles draws the subtitle script into its picture and gives the result
// the target's name; MakeTrackMkv wraps the streams and the script into an MKV.
// Each checks how the converter ended and what it wrote.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/stage_context.h"

namespace vk2 {

enum class StepStatus {
  Done,        // the converter ran and wrote its output
  NotStarted,  // the converter was not found or could not be started
  Failed,      // it ran but failed (exit status, or no output written)
  Cancelled,   // it was ended on request
};

struct ConverterStepResult {
  StepStatus status = StepStatus::Failed;
  std::string message;  // why, when not Done
  std::string encoder{};  // the burn-in's encoder, when one was chosen; "" otherwise
  std::vector<std::string> fallbacks{};  // "h264_nvenc failed (why); burning in with libx264 instead", one each
  bool started() const { return status != StepStatus::NotStarted; }
  bool ok() const { return status == StepStatus::Done; }
};

// How a step waits for the converter.
struct ConverterWatch {
  std::function<bool()> keepWaiting;                  // every ~50 ms; false ends the converter
  std::function<void(bool running)> running;          // around the converter's run
  std::function<void(const std::string&)> onOutput;   // the converter's diagnostic output
};

inline constexpr const char* kMp4StartFailedLine = "Fail to create process for mp4.";
inline constexpr const char* kMp4ExecutedLine = "mp4 making is executed..";
inline constexpr const char* kMp4AskWhyLine = "mp4 making failed; run again to learn why: ";
inline constexpr const char* kSubtitleStartFailedLine = "Fail to create process for mp4 with subtitle.";
inline constexpr const char* kSubtitleExecutedLine = "mp4(with subtitle) making is executed..";

// Runs the muxing command. Done: h264Path and pcmPath are deleted and
// outputPath holds the MP4. NotStarted: nothing is deleted. Failed or
// Cancelled: the partial output and both streams are deleted. The output must
// last durationSec or, for files that join across gaps, joinedSec (the
// records' own length; -1: none), within a second.
ConverterStepResult MakeMp4(StageContext& ctx, const std::string& pcmPath, const std::string& h264Path,
                            const std::string& outputPath, int32_t durationSec, double frameRate, bool withAudio,
                            const ConverterWatch& watch = {}, double joinedSec = -1);

// The subtitle track's choice in one converter pass: the raw streams muxed as by
// MakeMp4, the script at assPath copied beside them as a subtitle track, into
// the Matroska file outputPath. The same outcomes as MakeMp4's, the script
// deleted with the streams. Its progress counts towards durationSec.
ConverterStepResult MakeTrackMkv(StageContext& ctx, const std::string& pcmPath, const std::string& h264Path,
                                 const std::string& assPath, const std::string& outputPath, int32_t durationSec,
                                 double frameRate, bool withAudio, const ConverterWatch& watch = {},
                                 double joinedSec = -1);

// Runs the burn-in (SubtitleDelivery::Burn or BurnFast). Done: assPath and
// mp4Path are gone and the subtitled video is at subOutputPath without its
// "_Sub.mp4" + ".mp4". NotStarted: nothing is touched. A burn-in may try
// several encoders (see burn_encoders.h): each failed one's output is removed
// before the next runs, and a cancel ends the step at once. Failed or Cancelled:
// the partial output and the script are deleted; mp4Path is never deleted then.
// The output must last as long as mp4Path or, for files that join across gaps,
// joinedWindowSec (the window's length; -1: none), within a second.
ConverterStepResult BurnSubtitles(StageContext& ctx, const std::string& mp4Path, const std::string& assPath,
                                  const std::string& subOutputPath, const ConverterWatch& watch = {},
                                  SubtitleDelivery delivery = SubtitleDelivery::Burn, double joinedWindowSec = -1);

// subOutputPath without its last 8 characters ("_Sub.mp4"), + ".mp4" (".mkv"
// when subOutputPath ends so).
std::string burnInFinalPath(const std::string& subOutputPath);

}  // namespace vk2
