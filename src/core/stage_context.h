#pragma once
// What every stage of a conversion works with: the shared state, the progress
// log and subtitle line buffer, the option readers, the pump that lets the
// windows handle pending input, and the converter launcher.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/conversion_options.h"
#include "core/conversion_state.h"
#include "core/hidden_log.h"
#include "core/process_launcher.h"

namespace vk2 {

// Lets pending window input and painting run; never waits for new events.
using Pump = std::function<void()>;

struct StageContext {
  ConversionState& state;
  HiddenLog& log;          // memoMessage: progress log of every stage
  HiddenLog& subtitles;    // memoSubtitle: the subtitle script under construction
  const ConversionOptions& options;
  Pump pump = [] {};
  ProcessLauncher* launcher = nullptr;
  std::string converterPath;  // full path or bare name of the converter program
  // The encoders the converter lists, once it was asked: it is asked once a run.
  std::optional<std::vector<std::string>> listedEncoders{};
};

}  // namespace vk2
