#include "conversion/demux_and_convert.h"

#include <exception>

#include "core/file_identity.h"

namespace vk2 {

namespace {

void removeStreamsAndScript(const RunFiles& p) {
  for (const std::string* path : {&p.h264, &p.pcm, &p.drv, &p.ass, &p.subtitledMp4}) removeFileQuietly(*path);
}

DemuxResult failure(DemuxResult r, StepStatus status, ConversionStep step, std::string message) {
  r.status = status;
  r.failedStep = step;
  r.message = std::move(message);
  return r;
}

bool stopNow(const DemuxControl& control) { return control.stopRequested && control.stopRequested(); }

// How long the window's records last when the merged files join across gaps:
// the window takes the records in proportion to the span, gaps included, so
// it holds that much less than its length. -1 when the records fill the span.
double joinedLength(const ExtractResult& extracted, int64_t recordedSeconds) {
  if (recordedSeconds <= 0 || recordedSeconds >= extracted.mmvSec) return -1;
  return extracted.durationSec * static_cast<double>(recordedSeconds) / extracted.mmvSec;
}

}  // namespace

std::string subtitleFailure(SubtitleDelivery delivery) {
  return delivery == SubtitleDelivery::Track ? "The subtitle track could not be added: "
                                             : "The subtitles could not be burnt in: ";
}

DemuxResult DemuxAndConvert(StageContext& ctx, const std::string& inputPath, const RunFiles& files,
                            const DemuxControl& control) {
  DemuxResult result;
  result.paths = files;
  const RunFiles& p = result.paths;
  const std::string& outputPath = p.target;

  const auto begin = [&](ConversionStep step) {
    if (control.stepStarted) control.stepStarted(step);
  };
  ExtractResult extracted;
  begin(ConversionStep::Extract);
  try {
    extracted = control.extract ? control.extract(ctx, inputPath, p) : ExtractStreams(ctx, inputPath, p);
  } catch (const std::exception& e) {
    extracted.ok = false;
    extracted.error = e.what();
  }
  result.warning = extracted.warning;
  if (!extracted.ok) {
    removeStreamsAndScript(p);
    return failure(result, StepStatus::Failed, ConversionStep::Extract,
                   "Extracting the streams failed: " + extracted.error);
  }
  // A frame rate of zero or a window without length would only make the
  // converter fail with a less helpful message.
  if (extracted.durationSec <= 0 || !(extracted.frameRate > 0)) {
    removeStreamsAndScript(p);
    return failure(result, StepStatus::Failed, ConversionStep::Extract,
                   "Extracting the streams failed: the chosen window of " + inputPath +
                       " holds too little video to convert");
  }
  ctx.pump();
  if (stopNow(control)) {
    removeStreamsAndScript(p);
    return failure(result, StepStatus::Cancelled, ConversionStep::MakeMp4, "The conversion was cancelled.");
  }

  begin(ConversionStep::MakeMp4);
  const SubtitleDelivery delivery = control.delivery.value_or(ctx.options.cbSubtitles());
  const bool track = delivery == SubtitleDelivery::Track;
  const double joinedSec = joinedLength(extracted, control.recordedSeconds);
  // The subtitle track needs no second pass: the script is muxed with the streams.
  const ConverterStepResult mp4 =
      track ? MakeTrackMkv(ctx, p.pcm, p.h264, p.ass, outputPath, extracted.durationSec, extracted.frameRate,
                           ctx.options.checkBoxAudio(), control.watch, joinedSec)
            : MakeMp4(ctx, p.pcm, p.h264, outputPath, extracted.durationSec, extracted.frameRate,
                      ctx.options.checkBoxAudio(), control.watch, joinedSec);
  const std::string making = track ? "Making the MKV failed: " : "Making the MP4 failed: ";
  if (mp4.status == StepStatus::NotStarted)
    return failure(result, StepStatus::NotStarted, ConversionStep::MakeMp4,
                   making + mp4.message + ". The streams " + p.h264 + " and " + p.pcm + " and the script " + p.ass +
                       " are kept beside the target.");
  if (mp4.status == StepStatus::Cancelled || stopNow(control)) {
    removeStreamsAndScript(p);
    return failure(result, StepStatus::Cancelled, ConversionStep::MakeMp4, "The conversion was cancelled.");
  }
  if (mp4.status != StepStatus::Done) {
    removeStreamsAndScript(p);
    return failure(result, mp4.status, ConversionStep::MakeMp4, making + mp4.message + ".");
  }

  if (delivery == SubtitleDelivery::None || track) {
    // The muxed video is the result; the script has no use (or is in it already).
    removeFileQuietly(p.ass);
    result.status = StepStatus::Done;
    return result;
  }
  begin(ConversionStep::BurnSubtitles);
  const ConverterStepResult burn = BurnSubtitles(ctx, outputPath, p.ass, p.subtitledMp4, control.watch, delivery,
                                                 joinedSec < 0 ? -1 : extracted.durationSec);
  result.encoder = burn.encoder;
  result.fallbacks = burn.fallbacks;
  if (burn.status == StepStatus::Cancelled) {
    removeStreamsAndScript(p);
    return failure(result, StepStatus::Cancelled, ConversionStep::BurnSubtitles, "The conversion was cancelled.");
  }
  if (burn.status != StepStatus::Done) {
    result.reason = burn.message;
    return failure(result, burn.status, ConversionStep::BurnSubtitles,
                   subtitleFailure(delivery) + burn.message + ". " + outputPath +
                       " holds the MP4 without subtitles.");
  }
  result.status = StepStatus::Done;
  return result;
}

}  // namespace vk2
