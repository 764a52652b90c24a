#include "mmv/merge.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/paths.h"
#include "mmv/merge_output.h"
#include "core/file_error.h"
#include "core/file_identity.h"

namespace vk2 {

std::string mergeBodyPath(const std::string& outputPath) { return folderOf(outputPath) + "Data.tmp"; }

void checkMergeInput(const std::string& input, const std::string& outputPath) {
  if (sameFile(input, outputPath)) throw FileError(input, "the input is the merge's output file");
  if (sameFile(input, mergeBodyPath(outputPath)))
    throw FileError(input, "the input is the merge's body file Data.tmp");
}

void CheckMergeInputs(const std::vector<std::string>& inputs, const std::string& outputPath) {
  for (const std::string& input : inputs) checkMergeInput(input, outputPath);
}

void DiscardMergeOutput(ConversionState& state) {
  if (state.mergedOutput.is_open()) {
    state.mergedOutput.close();
    std::remove(state.mergedFilePath.c_str());
  }
  if (state.bodyTemp.is_open()) {
    state.bodyTemp.close();
    std::remove(state.bodyTempPath.c_str());
  }
}

}  // namespace vk2
