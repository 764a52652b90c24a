#include <ostream>

#include "cli/commands.h"
#include "cli/trip_listing.h"
#include "conversion/trip_names.h"
#include "core/listing_text.h"
#include "mmv/trips.h"

namespace vk2::cli {

int runTripsCommand(const Args& args, std::ostream& out, std::ostream& err) {
  bool recursive = false, local = true, json = false;
  Args folders;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--recursive") {
      recursive = true;
    } else if (args[i] == "--json") {
      json = true;
    } else if (args[i] == "--time-basis" && i + 1 < args.size() && (args[i + 1] == "local" || args[i + 1] == "utc")) {
      local = args[++i] == "local";
    } else if (!args[i].empty() && args[i][0] == '-') {
      return usageError(err, "trips", "trips: unknown option or value '" + args[i] + "'");
    } else {
      folders.push_back(args[i]);
    }
  }
  if (folders.empty()) {
    return usageError(err, "trips", "trips: no folder given");
  }
  const TripSearch search = FindTrips(folders, recursive);
  for (const std::string& folder : search.unreadableFolders) err << "vk2mp4: " << listingText(folder) << "\n";
  if (search.unreadableFolders.size() == folders.size()) return 1;
  // The names convert --trips writes them under, numbered where two trips propose one.
  const std::vector<std::string> names = tripFileNames(search.trips, 0, 0, local, "");
  if (json) {
    // One trip a task for a batch system: its files and name are a convert command line.
    std::vector<std::string> trips;
    for (std::size_t i = 0; i < search.trips.size(); ++i)
      trips.push_back(tripJson(i, search.trips[i], names[i]));
    out << "{\"trips\":" << jsonLines(trips) << ",\"unreadable\":" << jsonStrings(search.unreadable)
        << ",\"unusable\":" << jsonStrings(search.unusable) << "}\n";
    return 0;
  }
  for (std::size_t i = 0; i < search.trips.size(); ++i) out << tripLine(i, search.trips[i], names[i], local) << "\n";
  for (const std::string& skipped : search.unreadable) out << "unreadable: " << listingText(skipped) << "\n";
  for (const std::string& skipped : search.unusable) out << "unusable: " << listingText(skipped) << "\n";
  out << tripSummary(search) << "\n";
  return 0;
}

}  // namespace vk2::cli
