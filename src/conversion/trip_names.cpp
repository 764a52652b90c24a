#include "conversion/trip_names.h"

#include <climits>
#include <map>

#include "core/time_window.h"

namespace vk2 {

std::string trimsProblem(const std::string& firstFile, int64_t span, int32_t trimStart, int32_t trimEnd) {
  if (trimStart == 0 && trimEnd == 0) return std::string();
  // The same rule as the trims of the command line: the dialog could have reached them on this trip.
  if (span >= 0 && span <= INT32_MAX && trimsAllowed(static_cast<int32_t>(span), trimStart, trimEnd))
    return std::string();
  return firstFile + ": the trip of " + std::to_string(span) + " seconds is too short for the trims of " +
         std::to_string(trimStart) + " seconds at the start and " + std::to_string(trimEnd) + " at the end (at least " +
         std::to_string(kMinimumWindowSeconds) + " seconds must be left)";
}

std::vector<std::string> tripFileNames(const std::vector<Trip>& trips, int32_t trimStart, int32_t trimEnd, bool local,
                                       const std::string& extension) {
  std::vector<std::string> names;
  std::map<std::string, int> uses;
  for (const Trip& trip : trips) {
    const int64_t span = static_cast<int64_t>(trip.end) - trip.start;
    const std::string first = trip.files.empty() ? std::string() : trip.files.front();
    if (trip.files.empty() || !trimsProblem(first, span, trimStart, trimEnd).empty()) {
      names.emplace_back();
      continue;
    }
    // A proposed name ends in its length after "_", so a numbered one meets no other name.
    std::string name = describeTimeWindow(trip.start + trimStart, trip.end - trimEnd, local).fileName;
    if (const int n = ++uses[name]; n > 1) name.append(1, '-').append(std::to_string(n));
    names.push_back(name + extension);
  }
  return names;
}

}  // namespace vk2
