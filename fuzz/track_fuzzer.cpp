// The track files (GPX, KML, GeoJSON, CSV) of one to three recordings, with
// the trims, the time basis and the speed unit from the input, and the trip
// grouping of a card: the recordings' own stamps and more made up around them.
#include <algorithm>
#include <map>

#include "core/file_error.h"
#include "fuzz_support.h"
#include "mmv/scan.h"
#include "mmv/trips.h"
#include "telemetry/event_episodes.h"
#include "telemetry/track_export.h"

using namespace vk2;
using namespace vk2::fuzz;

namespace {

const char* const kTargets[] = {"t.gpx", "t.kml", "t.geojson", "t.csv"};

// The episodes of the same walk: each one well formed, and those with a place
// are the GeoJSON's event points, one each.
void checkEpisodes(StageContext& ctx, const std::vector<uint8_t>& geojson, std::size_t files) {
  const std::vector<EventEpisode> episodes = FindEpisodes(ctx).episodes;
  std::size_t placed = 0;
  for (const EventEpisode& e : episodes) {
    require(e.kind < kTrackEvents.size() && e.startClock <= e.endClock && e.startSpeedKmh <= e.maxSpeedKmh,
            "an episode that ends before it starts or is slower than its start");
    require(e.start.file <= e.end.file && e.end.file < files, "an episode whose files run backwards");
    require(e.maxAcceleration >= 0 && e.maxAcceleration < 100, "an acceleration out of range");
    placed += e.position.has_value();
  }
  if (geojson.empty()) return;
  const std::string text(geojson.begin(), geojson.end());
  std::size_t points = 0;
  for (std::size_t at = text.find("\"event\":"); at != std::string::npos; at = text.find("\"event\":", at + 1)) ++points;
  require(points == placed, "the GeoJSON marks " + std::to_string(points) + " event starts, the episodes " +
                                std::to_string(placed));
}

void exportTrack(Controls& controls, const std::vector<std::string>& recordings, const std::string& outFolder,
                 const PlainConversionOptions& options) {
  ConversionState state;
  state.selectedFiles = recordings;
  state.trimStart = controls.byte() % 16;
  state.trimEnd = controls.byte() % 16;
  HiddenLog log, subtitles;
  StageContext ctx{state, log, subtitles, options, [] {}, nullptr, {}};
  const int format = controls.below(4);
  const std::string target = outFolder + kTargets[format];
  const bool earlierFile = controls.flag();
  const std::vector<uint8_t> earlier = {'o', 'l', 'd'};
  if (earlierFile) writeBytes(target, earlier);
  try {
    const TrackExport result = ExportTrack(ctx, target, static_cast<TrackFormat>(format));
    require(namesIn(outFolder) == std::vector<std::string>{kTargets[format]}, "the export left a working file");
    if (format == 3) {
      // One CRLF line per record after the header, and no other line break.
      std::size_t crlf = 0, breaks = 0;
      const std::vector<uint8_t> csv = readBytes(target);
      for (std::size_t i = 0; i < csv.size(); ++i) {
        breaks += csv[i] == '\n' || csv[i] == '\r';
        crlf += csv[i] == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n';
      }
      require(crlf == static_cast<std::size_t>(result.records) + 1 && breaks == 2 * crlf,
              "the CSV holds " + std::to_string(crlf) + " lines for " + std::to_string(result.records) + " records");
    }
    checkEpisodes(ctx, format == 2 ? readBytes(target) : std::vector<uint8_t>{}, recordings.size());
  } catch (const FileError& e) {
    bool named = false;
    for (const std::string& r : recordings) named = named || names(e.what(), r);
    require(named, std::string("a track error that names no recording: ") + e.what());
    const std::vector<std::string> left = namesIn(outFolder);
    require(earlierFile ? left == std::vector<std::string>{kTargets[format]} && readBytes(target) == earlier
                        : left.empty(),
            "a failed export touched the target's folder");
  }
}

// The grouping's own rules, checked on its result.
void checkTrips(const std::vector<TripFile>& files, const std::vector<Trip>& trips) {
  std::map<std::string, const TripFile*> byPath;
  for (const TripFile& f : files) byPath[f.path] = &f;
  std::size_t grouped = 0;
  for (std::size_t t = 0; t < trips.size(); ++t) {
    const Trip& trip = trips[t];
    require(!trip.files.empty() && trip.files.size() <= static_cast<std::size_t>(kMaxSelectedFiles),
            "a trip of " + std::to_string(trip.files.size()) + " files");
    require(trip.start == byPath[trip.files.front()]->start && trip.end == byPath[trip.files.back()]->end,
            "a trip's span is not its files'");
    for (std::size_t i = 1; i < trip.files.size(); ++i) {
      const TripFile& prev = *byPath[trip.files[i - 1]];
      const TripFile& next = *byPath[trip.files[i]];
      require(prev.start <= next.start, "a trip's files are out of start order");
      require(std::llabs(stampDifference(static_cast<uint32_t>(next.start), static_cast<uint32_t>(prev.end))) <=
                  kMaxJoinGapSeconds,
              "a trip joins files further apart than the join rule allows");
    }
    if (t > 0) require(trips[t - 1].start <= trip.start, "trips out of start order");
    grouped += trip.files.size();
  }
  require(grouped == files.size(), "the trips hold " + std::to_string(grouped) + " of " +
                                       std::to_string(files.size()) + " files");
}

void groupCard(Controls& controls, const std::vector<std::string>& recordings, const std::string& inFolder) {
  const TripSearch search = FindTrips({inFolder}, controls.flag());
  require(search.mmvFiles == static_cast<int>(recordings.size()), "the card search missed a recording");
  // Every recording is in a trip, or listed as unreadable or unusable (no complete record).
  std::size_t found = search.unreadable.size() + search.unusable.size();
  for (const Trip& t : search.trips) found += t.files.size();
  require(found == recordings.size(), "the card search lost a recording");

  // More files around the recordings' stamps: steps of a few seconds, and jumps across the clock's wrap.
  std::vector<TripFile> files;
  int32_t start = search.trips.empty() ? 0 : search.trips.front().start;
  int32_t end = search.trips.empty() ? 0 : search.trips.front().end;
  const int extra = controls.below(40);
  for (int i = 0; i < extra; ++i) {
    const int8_t step = controls.i8();
    const uint8_t length = controls.byte();
    const bool wrap = step == INT8_MIN;
    start = wrap ? static_cast<int32_t>(static_cast<uint32_t>(start) + 0x80000000u)
                 : static_cast<int32_t>(static_cast<uint32_t>(end) + static_cast<uint32_t>(static_cast<int32_t>(step)));
    end = static_cast<int32_t>(static_cast<uint32_t>(start) + length);
    files.push_back(TripFile{"f" + std::to_string(i) + ".mmv", start, end});
  }
  checkTrips(files, groupTrips(files));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Controls controls(data, size);
  const PlainConversionOptions options = optionsFrom(controls);
  const std::string inFolder = scratchSubfolder("in");
  std::vector<std::string> recordings;
  for (const auto& bytes : splitFiles(controls.body(), controls.bodySize(), 3)) {
    recordings.push_back(inFolder + "rec_" + std::to_string(recordings.size() + 1) + ".mmv");
    writeBytes(recordings.back(), bytes);
  }
  exportTrack(controls, recordings, scratchSubfolder("out"), options);
  groupCard(controls, recordings, inFolder);
  clearScratch();
  return 0;
}
