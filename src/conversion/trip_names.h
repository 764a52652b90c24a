#pragma once
// The names a batch writes its trips under, fixed before the first trip runs:
// two trips may propose one name (the repeated hour when summer time ends, a
// copy of a drive, two cards with the same times), and neither may replace the other.
#include <cstdint>
#include <string>
#include <vector>

#include "mmv/trips.h"

namespace vk2 {

// In trip order, each trip's proposed name for its window (the trims applied,
// in local time or UTC) with `extension`; a name that an earlier trip of the
// batch already has gets "-2", "-3" ... before the extension. A trip too short
// for the trims gets "" and takes no name from the others.
std::vector<std::string> tripFileNames(const std::vector<Trip>& trips, int32_t trimStart, int32_t trimEnd, bool local,
                                       const std::string& extension);

// Why a trip of `span` seconds cannot take the trims, naming its first file;
// "" when it can (no trims always can).
std::string trimsProblem(const std::string& firstFile, int64_t span, int32_t trimStart, int32_t trimEnd);

}  // namespace vk2
