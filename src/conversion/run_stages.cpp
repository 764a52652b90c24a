#include "conversion/conversion_run.h"
#include "mmv/merge.h"

namespace vk2 {

RunStages RunStages::real() {
  RunStages stages;
  stages.merge = MergeMmvFile;
  stages.discardMerge = DiscardMergeOutput;
  stages.extract = [](StageContext& ctx, const std::string& in, const RunFiles& files) {
    return ExtractStreams(ctx, in, files);
  };
  return stages;
}

}  // namespace vk2
