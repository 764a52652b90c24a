#include "mmv/merge.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/paths.h"
#include "mmv/merge_output.h"
#include "core/file_error.h"

namespace vk2 {

namespace {

bool sameFile(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  const fs::path ca = fs::weakly_canonical(a, ec);
  if (ec) return false;
  const fs::path cb = fs::weakly_canonical(b, ec);
  return !ec && ca == cb;
}

}  // namespace

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
