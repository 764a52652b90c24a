#pragma once
// What a stage gets, owned by the test: state, both logs, options and a pump
// that counts its calls.
#include "core/stage_context.h"

namespace vk2::testing {

struct StageHarness {
  StageHarness() = default;
  StageHarness(const StageHarness&) = delete;  // ctx refers to this object's members
  StageHarness& operator=(const StageHarness&) = delete;

  ConversionState state;
  HiddenLog log, subtitles;
  PlainConversionOptions options;
  int pumps = 0;
  StageContext ctx{state, log, subtitles, options, [this] { ++pumps; }, nullptr, {}};
};

}  // namespace vk2::testing
