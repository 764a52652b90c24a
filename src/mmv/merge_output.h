#pragma once
// Helpers of the merge shared by its source files.
#include <string>

namespace vk2 {

// Folder of the output + "Data.tmp".
std::string mergeBodyPath(const std::string& outputPath);
// Throws FileError when `input` is the output or its body file.
void checkMergeInput(const std::string& input, const std::string& outputPath);

}  // namespace vk2
