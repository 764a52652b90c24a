#pragma once
// Joins 2 to 15 consecutive recordings into one MMV file, one call per input in
// selection order. The calls share their working state in ConversionState. The
// records go straight to their place behind the fixed-size leading part, which
// holds totals known only after the last input and is written last.
#include <cstdint>
#include <string>
#include <vector>

#include "core/stage_context.h"

namespace vk2 {

// Appends input `index` (1-based) of `count` to the merged file at `outputPath`.
// After the call with index == count the merged file is complete; no other file
// is written. Throws FileError (naming the file and the reason) when an input
// cannot be read or is damaged, or the output cannot be written; the output is
// then closed and deleted, as DiscardMergeOutput does.
void MergeMmvFile(StageContext& ctx, const std::string& path, int index, int count,
                  const std::string& outputPath);

// Refuses, with a FileError naming the input, a selection in which an input is
// the output itself; the first call would otherwise truncate an input before it
// is read. MergeMmvFile checks its own input too.
void CheckMergeInputs(const std::vector<std::string>& inputs, const std::string& outputPath);

// Seconds of an input's recording that its missing records stood for, when
// only `copiedRecords` of them are complete: what the merged end stamp loses.
int64_t MissingSeconds(const MmvInfoBlock& info, int32_t copiedRecords);

// The streamTime to store for a record of `frameType` in the merged file.
uint64_t RebaseStreamTime(ConversionState& state, uint8_t frameType, uint64_t sourceTime);

// Closes the merge output when it is open and deletes its file.
void DiscardMergeOutput(ConversionState& state);

}  // namespace vk2
