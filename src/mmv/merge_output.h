#pragma once
// Helpers of the merge shared by its source files.
#include <string>

namespace vk2 {

// Throws FileError when `input` is the output.
void checkMergeInput(const std::string& input, const std::string& outputPath);

}  // namespace vk2
