#include "conversion/card_search.h"

#include <algorithm>

namespace vk2 {

namespace {

// A card of damaged files would otherwise fill the screen with one box.
constexpr std::size_t kListedUnreadable = 10;

std::string noTripProblem(const std::string& folder, const TripSearch& found) {
  if (!found.unreadableFolders.empty()) return found.unreadableFolders.front();
  if (found.mmvFiles == 0) return "No MMV files were found in " + folder + ".";
  std::string text = found.mmvFiles == 1 ? "The MMV file in " + folder + " cannot be read:"
                                          : "None of the " + std::to_string(found.mmvFiles) + " MMV files in " +
                                                folder + " can be read:";
  const std::size_t listed = std::min(found.unreadable.size(), kListedUnreadable);
  for (std::size_t i = 0; i < listed; ++i) text += "\n" + found.unreadable[i];
  if (found.unreadable.size() > listed)
    text += "\n... and " + std::to_string(found.unreadable.size() - listed) + " more";
  return text;
}

}  // namespace

CardSearch searchCard(const std::string& folder) {
  const TripSearch found = FindTrips({folder}, false);
  CardSearch search;
  search.trips = found.trips;
  if (found.unreadableFolders.empty() && found.mmvFiles > 0) search.summary = tripSummary(found);
  for (const std::string& skipped : found.unreadable) search.logLines.push_back("Skipped " + skipped);
  if (search.trips.empty()) search.problem = noTripProblem(folder, found);
  return search;
}

std::string cardStatusText(const std::string& folder, const CardSearch& search) {
  return search.summary.empty() ? folder : folder + "\n" + search.summary;
}

}  // namespace vk2
