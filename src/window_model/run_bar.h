#pragma once
// The dialog's progress bar during a run, finer than the counter beside it:
// each counter step is kBarUnitsPerStep units, and the last step, the
// conversion, is shared out between the extraction and the converter steps,
// so that minutes of a burn-in move the bar and not only the converter label.
#include <optional>
#include <string>

#include "core/conversion_options.h"

namespace vk2::ui {

inline constexpr int kBarUnitsPerStep = 100;

enum class ConversionPart { Extract, MakeMp4, Subtitles };

// The run's stage names "extract", "mp4" and "subtitles"; nothing for a merge.
std::optional<ConversionPart> conversionPartOf(const std::string& stage);

// How far the conversion step is (0..1) when `part` is `share` (0..1) done.
double conversionShare(ConversionPart part, double share, SubtitleDelivery delivery);

}  // namespace vk2::ui
