#include "conversion/card_search.h"

#include <algorithm>

namespace vk2 {

namespace {

// A card of damaged files would otherwise fill the screen with one box.
constexpr std::size_t kListedUnreadable = 10;

std::string noTripProblem(const std::string& folder, const TripSearch& found) {
  if (!found.unreadableFolders.empty()) return found.unreadableFolders.front();
  if (found.mmvFiles == 0) return "No MMV files were found in " + folder + ".";
  // Files that cannot be read, and files that hold nothing to convert.
  std::vector<std::string> problems = found.unreadable;
  problems.insert(problems.end(), found.unusable.begin(), found.unusable.end());
  const std::string verb = found.unusable.empty() ? "read" : "converted";
  std::string text = found.mmvFiles == 1 ? "The MMV file in " + folder + " cannot be " + verb + ":"
                                          : "None of the " + std::to_string(found.mmvFiles) + " MMV files in " +
                                                folder + " can be " + verb + ":";
  const std::size_t listed = std::min(problems.size(), kListedUnreadable);
  for (std::size_t i = 0; i < listed; ++i) text += "\n" + problems[i];
  if (problems.size() > listed) text += "\n... and " + std::to_string(problems.size() - listed) + " more";
  return text;
}

}  // namespace

CardSearch searchCard(const std::string& folder) {
  const TripSearch found = FindTrips({folder}, false);
  CardSearch search;
  search.trips = found.trips;
  if (found.unreadableFolders.empty() && found.mmvFiles > 0) search.summary = tripSummary(found);
  for (const auto* list : {&found.unreadable, &found.unusable})
    for (const std::string& skipped : *list) search.logLines.push_back("Skipped " + skipped);
  if (search.trips.empty()) search.problem = noTripProblem(folder, found);
  return search;
}

std::string cardStatusText(const std::string& folder, const CardSearch& search) {
  return search.summary.empty() ? folder : folder + "\n" + search.summary;
}

}  // namespace vk2
