#pragma once
// What the merged recording's info block says for a selection of two or more
// files, found without writing it: the records the merge would copy are
// counted from their headers alone (their payloads are skipped, not read).
#include <cstdint>
#include <string>
#include <vector>

#include "core/stage_context.h"

namespace vk2 {

struct SelectionTotals {
  int32_t startSeconds = 0;     // the first file's start stamp
  int32_t endSeconds = 0;       // the last file's end stamp, less the seconds missing from files that end early
  int32_t totalFrameCount = 0;  // each file's count, or the records it holds when it ends early
  std::vector<std::string> warnings;  // the merge's text for each file that ends early
};

// Calls ctx.pump() once per record. Throws FileError as the merge does.
SelectionTotals MergedTotals(StageContext& ctx, const std::vector<std::string>& files);

}  // namespace vk2
