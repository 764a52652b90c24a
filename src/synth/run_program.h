#pragma once
// Runs a helper program (the encoder) and waits for it.
#include <string>
#include <vector>

namespace vk2::synth {

// Runs argv[0] (looked up on PATH when it has no folder) with its standard
// output discarded and waits for it. Throws std::runtime_error naming the
// program when it cannot be started or does not exit with status 0.
void runProgram(const std::vector<std::string>& argv);

}  // namespace vk2::synth
