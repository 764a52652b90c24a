#include "mmv/merge.h"

#include <cstdio>

#include "mmv/merge_output.h"
#include "core/file_error.h"
#include "core/file_identity.h"

namespace vk2 {

void checkMergeInput(const std::string& input, const std::string& outputPath) {
  if (sameFile(input, outputPath))
    throw FileError(input, "is a selected recording, and the merge would write its output " + outputPath + " over it");
}

void CheckMergeInputs(const std::vector<std::string>& inputs, const std::string& outputPath) {
  for (const std::string& input : inputs) checkMergeInput(input, outputPath);
}

void DiscardMergeOutput(ConversionState& state) {
  if (state.mergedOutput.is_open()) {
    state.mergedOutput.close();
    std::remove(state.mergedFilePath.c_str());
  }
}

}  // namespace vk2
