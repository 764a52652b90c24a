#pragma once
// DemuxAndConvert: the stream extraction, then MakeMp4 on the streams, then
// BurnSubtitles on the MP4 and the script; for the subtitle track, MakeTrackMkv
// on the streams and the script in one step. Says which step failed and why.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/stage_context.h"
#include "extract/extract_streams.h"
#include "mp4/converter_steps.h"

namespace vk2 {

enum class ConversionStep { None, Extract, MakeMp4, BurnSubtitles };

struct DemuxResult {
  StepStatus status = StepStatus::Failed;  // Done only when the target holds the subtitled video
  ConversionStep failedStep = ConversionStep::None;
  std::string message;  // which step failed and why; empty when Done
  std::string reason;   // the failed step's own reason, without the step's name
  std::string warning;  // the recording ends early: where, and what is missing
  std::string encoder;  // the burn-in's encoder, when one was chosen
  std::vector<std::string> fallbacks;  // the burn-in's encoders that failed, one line each
  RunFiles paths;
  bool ok() const { return status == StepStatus::Done; }
};

using ExtractFunction = std::function<ExtractResult(StageContext&, const std::string& inputPath, const RunFiles&)>;

struct DemuxControl {
  ConverterWatch watch;
  // Asked before each converter step; true ends the conversion there.
  std::function<bool()> stopRequested;
  // The stream extraction; ExtractStreams when empty.
  ExtractFunction extract;
  // Told when each step begins.
  std::function<void(ConversionStep)> stepStarted;
  // How the subtitles are delivered; the options' choice when unset.
  std::optional<SubtitleDelivery> delivery;
  // A merged recording: the seconds its inputs' records stand for
  // (ConversionState::recordedSeconds); 0 for one recording.
  int64_t recordedSeconds = 0;
};

// "The subtitles could not be burnt in: " (or that the track could not be added).
std::string subtitleFailure(SubtitleDelivery delivery);

// After a failure the intermediates are removed, except that the ".h264", ".pcm"
// and ".ass" stay when the converter could not be started for the muxing, and the
// plain MP4 (and, when the converter could not be started, the script) stays when
// only the burn-in failed. The target (files.target) itself is left to the caller.
DemuxResult DemuxAndConvert(StageContext& ctx, const std::string& inputPath, const RunFiles& files,
                            const DemuxControl& control = {});

}  // namespace vk2
