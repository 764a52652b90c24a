#include "conversion/conversion_run.h"
#include "mmv/merge.h"

namespace vk2 {

RunStages RunStages::real() {
  RunStages stages;
  stages.merge = MergeMmvFile;
  stages.discardMerge = DiscardMergeOutput;
  stages.extract = [](StageContext& ctx, const std::string& in, const std::string& out) {
    return ExtractStreams(ctx, in, out);
  };
  return stages;
}

}  // namespace vk2
