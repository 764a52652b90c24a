#include "telemetry/selection_totals.h"

#include "core/file_error.h"
#include "mmv/merge.h"
#include "mmv/record_walk.h"
#include "telemetry/recording_file.h"

namespace vk2 {

namespace {

int32_t wrappingSum(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

}  // namespace

SelectionTotals MergedTotals(StageContext& ctx, const std::vector<std::string>& files) {
  SelectionTotals totals;
  int64_t missingSeconds = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    RecordingFile file(files[i]);
    const int32_t count = file.info.totalFrameCount();
    // The merge's copy: the walker's complete records, their payloads skipped.
    MmvRecordWalker walker(file.in, file.size, file.path, count);
    MmvFrameHeader header;
    while (walker.nextRecord(header)) ctx.pump();
    totals.totalFrameCount = wrappingSum(totals.totalFrameCount, walker.records());
    if (const auto& end = walker.earlyEnd()) {
      totals.warnings.push_back(describeEarlyEnd(file.path, *end, count, file.seconds()));
      missingSeconds += MissingSeconds(file.info, walker.records());
    }
    if (i == 0) totals.startSeconds = file.info.startStamp().seconds();
    if (i + 1 == files.size())
      totals.endSeconds = static_cast<int32_t>(static_cast<uint32_t>(file.info.endStamp().seconds()) -
                                               static_cast<uint32_t>(missingSeconds));
  }
  return totals;
}

}  // namespace vk2
