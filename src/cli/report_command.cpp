// vk2mp4 report: the report page of a selection, or one page for every trip of
// a memory card's folder.
#include <algorithm>
#include <filesystem>
#include <ostream>
#include <sstream>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/run_options.h"
#include "cli/selection_file.h"
#include "cli/step_display.h"
#include "conversion/trip_names.h"
#include "core/file_error.h"
#include "core/filesystem_names.h"
#include "core/listing_text.h"
#include "core/paths.h"
#include "core/run_files.h"
#include "mmv/trips.h"
#include "platform/folders.h"
#include "telemetry/report_export.h"

namespace vk2::cli {

namespace {

bool endsWithHtml(const std::string& path) {
  if (path.size() < 5) return false;
  std::string tail = path.substr(path.size() - 5);
  std::transform(tail.begin(), tail.end(), tail.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
  return tail == ".html";
}

// One page of run.inputs at `target`; warnings go to `err`.
int writePage(const RunOptions& run, const std::string& target, std::ostream& out, std::ostream& err) {
  return writeSelectionFile(
      run, target, kReportLine,
      [&](StageContext& ctx) { return ExportReport(ctx, target, run.video.value_or("")).warnings; }, out, err);
}

// Every trip of the folder into its own page in the target folder, under the
// name `vk2mp4 trips` gives it; a trip that fails does not stop the others.
int writeTripPages(const RunOptions& run, std::ostream& out, std::ostream& err) {
  std::string outFolder = run.target.value_or("");
  std::error_code ec;
  if (outFolder.empty() || !(outFolder.back() == '/' || outFolder.back() == kPathSeparator ||
                             std::filesystem::is_directory(pathOf(outFolder), ec)))
    throw UsageError("--trips needs -o OUTDIR/, the folder the pages are written to");
  if (outFolder.back() != '/' && outFolder.back() != kPathSeparator) outFolder += kPathSeparator;
  const TripSearch search = FindTrips({*run.tripsFolder}, run.recursive);
  if (!search.unreadableFolders.empty()) {
    err << "vk2mp4: " << listingText(search.unreadableFolders.front()) << "\n";
    return 1;
  }
  for (const auto* list : {&search.unreadable, &search.unusable})
    for (const std::string& skipped : *list) err << "vk2mp4: skipped " << listingText(skipped) << "\n";
  if (!createFolders(outFolder)) throw FileError(outFolder, "cannot create the output folder");
  const std::vector<std::string> names =
      tripFileNames(search.trips, run.trimStart, run.trimEnd, run.options.timeLocal, ".html");
  const std::size_t count = search.trips.size();
  std::size_t written = 0;
  for (std::size_t i = 0; i < count && !interruptRequested(); ++i) {
    const Trip& found = search.trips[i];
    RunOptions trip = run;
    trip.tripsFolder.reset();
    trip.inputs = found.files;
    trip.quiet = true;
    const std::string target = outFolder + names[i];
    std::ostringstream tripOut, tripErr;
    int status = 1;
    if (names[i].empty()) {
      tripErr << trimsProblem(found.files.front(), static_cast<int64_t>(found.end) - found.start, run.trimStart,
                              run.trimEnd);
    } else {
      try {
        status = writePage(trip, target, tripOut, tripErr);
      } catch (const Interrupted&) {
        tripErr << "interrupted";
      } catch (const std::exception& e) {
        tripErr << e.what();
      }
    }
    std::vector<std::string> quoted{*run.tripsFolder, outFolder, target};
    quoted.insert(quoted.end(), found.files.begin(), found.files.end());
    std::string reasons = listingLines(tripErr.str(), quoted);
    // One label starts the trip's line; the messages' own program names go.
    for (std::size_t at = 0; (at = reasons.find("vk2mp4: ", at)) != std::string::npos;)
      if (at == 0 || reasons[at - 1] == '\n')
        reasons.erase(at, 8);
      else
        ++at;
    while (!reasons.empty() && reasons.back() == '\n') reasons.pop_back();
    const std::string label = "trip " + std::to_string(i + 1) + "/" + std::to_string(count);
    if (status == 0) {
      ++written;
      out << label << ": " << listingText(target) << "\n";
      if (!reasons.empty()) err << label << ": " << reasons << "\n";
    } else {
      err << label << " failed: " << reasons << "\n";
    }
  }
  out << written << " of " << count << (count == 1 ? " trip" : " trips") << " written"
      << (interruptRequested() ? "; interrupted, no further page was written" : "") << "\n";
  return written == count && !interruptRequested() ? 0 : 1;
}

int writeReport(const RunOptions& run, std::ostream& out, std::ostream& err) {
  if (run.tripsFolder) return writeTripPages(run, out, err);
  if (!run.target) return usageError(err, "report", "-o: the report page is missing");
  if (!endsWithHtml(*run.target)) return usageError(err, "report", "-o " + *run.target + ": expected a name ending in .html");
  return writePage(run, *run.target, out, err);
}

}  // namespace

int runReportCommand(const Args& args, std::ostream& out, std::ostream& err) {
  return runInterruptible("report", args, out, err, &writeReport, "report interrupted; no page was written",
                          CommandOptions::Report);
}

}  // namespace vk2::cli
