#pragma once
// What `track` and `report` share: one file written from a selection's records,
// after the same scan and refusals, the written names checked against the
// recordings, the log opened and the target's folder made, under one stage line.
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/run_options.h"
#include "core/stage_context.h"

namespace vk2::cli {

// Writes the file at the target; returns the warnings to print.
using SelectionFileWriter = std::function<std::vector<std::string>(StageContext& ctx)>;

int writeSelectionFile(const RunOptions& run, const std::string& target, const char* stageLine,
                       const SelectionFileWriter& write, std::ostream& out, std::ostream& err);

}  // namespace vk2::cli
