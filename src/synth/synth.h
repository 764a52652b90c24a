#pragma once
// The sample generator: writes one recording, or several consecutive ones that
// join in time, each file starting where the previous one ended.
#include <string>
#include <vector>

#include "synth/synth_options.h"

namespace vk2::synth {

// Writes the files of synthOutputPaths(options) and returns their paths.
// Throws std::runtime_error when the encoder or a file write fails.
std::vector<std::string> generateRecordings(const SynthOptions& options);

}  // namespace vk2::synth
