#include <ostream>

#include "cli/commands.h"
#include "conversion/trip_names.h"
#include "core/calendar_time.h"
#include "core/listing_text.h"
#include "core/time_window.h"
#include "mmv/trips.h"

namespace vk2::cli {

int runTripsCommand(const Args& args, std::ostream& out, std::ostream& err) {
  bool recursive = false, local = true;
  Args folders;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--recursive") {
      recursive = true;
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
  for (std::size_t i = 0; i < search.trips.size(); ++i) {
    const Trip& trip = search.trips[i];
    const TimeWindowView view = describeTimeWindow(trip.start, trip.end, local);
    out << "trip " << i + 1 << ": " << isoDateTime(view.start, ' ') << " - " << isoDateTime(view.end, ' ') << ", "
        << view.lengthText << " s, " << trip.files.size() << (trip.files.size() == 1 ? " file, " : " files, ")
        << names[i] << "\n";
  }
  for (const std::string& skipped : search.unreadable) out << "unreadable: " << listingText(skipped) << "\n";
  for (const std::string& skipped : search.unusable) out << "unusable: " << listingText(skipped) << "\n";
  out << tripSummary(search) << "\n";
  return 0;
}

}  // namespace vk2::cli
