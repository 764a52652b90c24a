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
    RecordingFile file(files[i], /*merged=*/true);
    const int32_t count = file.info.totalFrameCount();
    MmvRecordWalker walker(file.in, file.size, file.path, count);
    MmvFrameHeader header;
    EarlyEnd end{kLeadingPartSize, 0, std::string()};
    int32_t records = 0;
    // The merge's copy: it stops at a header that holds no record or a payload past the end.
    while (walker.nextHeader(header)) {
      ctx.pump();
      if (!holdsRecordNumber(header)) {
        end.reason = strayHeaderReason(header, walker.recordOffset());
        break;
      }
      if (!walker.payloadFits()) break;
      if (!walker.skipPayload()) throw FileError(file.path, damageReason(walker, file.path));
      ++records;
      end.offset = walker.position();
      end.lastRecord = header.sequenceNumber();
    }
    if (end.reason.empty()) end.reason = damageReason(walker, file.path);
    const bool endedEarly = !end.reason.empty();
    totals.totalFrameCount = wrappingSum(totals.totalFrameCount, endedEarly ? records : count);
    if (endedEarly) {
      totals.warnings.push_back(describeEarlyEnd(file.path, end, count, file.seconds()));
      missingSeconds += MissingSeconds(file.info, records);
    }
    if (i == 0) totals.startSeconds = file.info.startStamp().seconds();
    if (i + 1 == files.size())
      totals.endSeconds = static_cast<int32_t>(static_cast<uint32_t>(file.info.endStamp().seconds()) -
                                               static_cast<uint32_t>(missingSeconds));
  }
  return totals;
}

}  // namespace vk2
