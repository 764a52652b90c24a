#include "window_model/run_bar.h"

#include <algorithm>

namespace vk2::ui {

namespace {

struct Range {
  double from, to;
};

// The burn-in re-encodes the picture and takes most of the time; without it
// the muxing (the subtitle track's included) is the last step.
Range rangeOf(ConversionPart part, SubtitleDelivery delivery) {
  const bool burn = delivery == SubtitleDelivery::Burn || delivery == SubtitleDelivery::BurnFast;
  switch (part) {
    case ConversionPart::Extract: return {0.0, 0.1};
    case ConversionPart::MakeMp4: return {0.1, burn ? 0.2 : 1.0};
    case ConversionPart::Subtitles: return {0.2, 1.0};
  }
  return {0.0, 1.0};
}

}  // namespace

std::optional<ConversionPart> conversionPartOf(const std::string& stage) {
  if (stage == "extract") return ConversionPart::Extract;
  if (stage == "mp4") return ConversionPart::MakeMp4;
  if (stage == "subtitles") return ConversionPart::Subtitles;
  return std::nullopt;
}

double conversionShare(ConversionPart part, double share, SubtitleDelivery delivery) {
  const Range r = rangeOf(part, delivery);
  return r.from + (r.to - r.from) * std::clamp(share, 0.0, 1.0);
}

}  // namespace vk2::ui
