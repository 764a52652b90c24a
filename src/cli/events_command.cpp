// vk2mp4 events: the alarm-event episodes of a selection, or of every trip of a
// card, as lines to read, one JSON document or a CSV table.
#include <optional>
#include <ostream>
#include <set>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/run_options.h"
#include "cli/trip_listing.h"
#include "conversion/trip_batch.h"
#include "conversion/trip_names.h"
#include "core/file_error.h"
#include "core/listing_text.h"
#include "mmv/trips.h"
#include "platform/terminal.h"
#include "telemetry/episode_text.h"
#include "telemetry/event_episodes.h"

namespace vk2::cli {

namespace {

enum class EventsOutput { Lines, Json, Csv };

struct EventsOptions {
  RunOptions run;  // the files, their trims and the lines' time basis, date, clock and speed unit
  EventsOutput output = EventsOutput::Lines;
  std::optional<std::string> card;
};

EventsOptions parseEventsOptions(const Args& args) {
  static const std::set<std::string> valued = {"--card",        "--trim-start", "--trim-end", "--time-basis",
                                               "--date-format", "--clock",      "--speed"};
  EventsOptions e;
  RunOptions& run = e.run;
  PlainConversionOptions& o = run.options;
  run.command = "events";
  bool optionsEnded = false, json = false, csv = false, trimmed = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      run.inputs.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--json") {
      json = true;
    } else if (arg == "--csv") {
      csv = true;
    } else if (arg == "--recursive") {
      run.recursive = true;
    } else if (!valued.count(arg)) {
      throw UsageError("unknown option '" + arg + "'");
    } else if (i + 1 >= args.size()) {
      throw UsageError(arg + ": missing value");
    } else {
      const std::string& value = args[++i];
      if (arg == "--card") {
        if (e.card) throw UsageError("--card: one folder at a time");
        if (value.empty()) throw UsageError("--card: empty path");
        e.card = value;
      } else if (arg == "--trim-start" || arg == "--trim-end") {
        (arg == "--trim-start" ? run.trimStart : run.trimEnd) = secondsValue(arg, value);
        trimmed = true;
      } else if (arg == "--time-basis") {
        o.timeLocal = choiceValue(arg, value, "local", "utc");
      } else if (arg == "--clock") {
        o.sub12h = choiceValue(arg, value, "12h", "24h");
      } else if (arg == "--speed") {
        o.speedKmh = choiceValue(arg, value, "kmh", "mph");
      } else {
        o.dateFormat = dateFormatValue(value);
      }
    }
  }
  if (json && csv) throw UsageError("--json and --csv cannot be used together");
  e.output = json ? EventsOutput::Json : csv ? EventsOutput::Csv : EventsOutput::Lines;
  if (run.recursive && !e.card) throw UsageError("--recursive needs --card");
  if (e.card) {
    if (!run.inputs.empty()) throw UsageError("--card takes a folder instead of MMV files");
    // Every trip has its own length; one pair of trims would fit some and not others.
    if (trimmed) throw UsageError("--trim-start and --trim-end cannot be used with --card");
  } else if (run.inputs.empty()) {
    throw UsageError("no MMV file given");
  }
  return e;
}

EpisodeDisplay displayOf(const PlainConversionOptions& o) {
  return EpisodeDisplay{o.timeLocal, o.dateFormat, o.sub12h, o.speedKmh};
}

std::string counted(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

void warn(const std::vector<std::string>& warnings, std::ostream& err) {
  for (const std::string& warning : warnings) err << "vk2mp4: warning: " << warning << "\n";
}

// Each episode as the output asks, named by the file of `files` it starts in.
std::vector<std::string> episodeTexts(const std::vector<EventEpisode>& episodes,
                                      const std::vector<std::string>& files, EventsOutput output,
                                      const EpisodeDisplay& display) {
  std::vector<std::string> texts;
  for (const EventEpisode& e : episodes) {
    const std::string& file = files.at(e.start.file);
    texts.push_back(output == EventsOutput::Json  ? episodeJson(e, file)
                    : output == EventsOutput::Csv ? episodeCsvRow(e, file)
                                                  : episodeLine(e, file, display));
  }
  return texts;
}

int listSelection(const EventsOptions& e, std::ostream& out, std::ostream& err) {
  ConversionState state;
  HiddenLog log;
  HiddenLog subtitles;
  LogMirror mirror;
  // Ctrl-C is noticed at the next record.
  StageContext ctx{state, log, subtitles, e.run.options, throwIfInterrupted, nullptr, {}};
  if (const int refused = scanRecordings(e.run, ctx, mirror, err)) return refused;
  const EpisodeReading reading = FindEpisodes(ctx);
  warn(reading.track.warnings, err);
  const std::vector<std::string> texts =
      episodeTexts(reading.episodes, state.selectedFiles, e.output, displayOf(e.run.options));
  if (e.output == EventsOutput::Json) {
    out << "{\"episodes\":" << jsonLines(texts) << "}\n";
  } else if (e.output == EventsOutput::Csv) {
    out << episodeCsvHeader();
    for (const std::string& row : texts) out << row;
  } else {
    for (const std::string& line : texts) out << line << "\n";
    out << counted(texts.size(), "event episode", "event episodes") << " in "
        << counted(state.selectedFiles.size(), "recording", "recordings") << "\n";
  }
  return 0;
}

// Every trip in turn, as convert --trips takes them; a trip that cannot be read
// is named on standard error and does not stop the others.
int listCard(const EventsOptions& e, std::ostream& out, std::ostream& err) {
  const bool local = e.run.options.timeLocal;
  const TripSearch search = FindTrips({*e.card}, e.run.recursive);
  for (const std::string& folder : search.unreadableFolders) err << "vk2mp4: " << listingText(folder) << "\n";
  if (!search.unreadableFolders.empty()) return 1;
  const std::vector<std::string> names = tripFileNames(search.trips, 0, 0, local, "");
  const EpisodeDisplay display = displayOf(e.run.options);
  ConversionState state;
  HiddenLog log;
  HiddenLog subtitles;
  StageContext ctx{state, log, subtitles, e.run.options, throwIfInterrupted, nullptr, {}};
  std::size_t total = 0;
  bool failed = false;
  std::vector<std::string> jsonTrips;
  if (e.output == EventsOutput::Csv) out << "trip," << episodeCsvHeader();
  for (std::size_t i = 0; i < search.trips.size(); ++i) {
    const Trip& trip = search.trips[i];
    if (e.output == EventsOutput::Lines) out << tripLine(i, trip, names[i], local) << "\n";
    std::vector<EventEpisode> episodes;
    std::string problem;
    try {
      prepareTrip(ctx, trip, 0, 0, local);
      EpisodeReading reading = FindEpisodes(ctx);
      warn(reading.track.warnings, err);
      episodes = std::move(reading.episodes);
    } catch (const Interrupted&) {
      throw;
    } catch (const std::exception& x) {
      problem = x.what();
      failed = true;
      err << "vk2mp4: trip " << i + 1 << ": " << listingText(problem) << "\n";
    }
    total += episodes.size();
    const std::vector<std::string> texts = episodeTexts(episodes, trip.files, e.output, display);
    if (e.output == EventsOutput::Json) {
      std::string more = ",\"episodes\":";
      more += jsonLines(texts);
      if (!problem.empty()) {
        more += ",\"error\":";
        more += jsonString(problem);
      }
      jsonTrips.push_back(tripJson(i, trip, names[i], more));
    } else if (e.output == EventsOutput::Csv) {
      for (const std::string& row : texts) out << i + 1 << "," << row;
    } else {
      for (const std::string& line : texts) out << "  " << line << "\n";
    }
  }
  // A person reads the skipped files in the listing; a JSON or CSV reader needs its output unmixed.
  const bool lines = e.output == EventsOutput::Lines;
  std::ostream& skipped = lines ? out : err;
  const std::string prefix = lines ? "" : "vk2mp4: ";
  for (const std::string& file : search.unreadable) skipped << prefix << "unreadable: " << listingText(file) << "\n";
  for (const std::string& file : search.unusable) skipped << prefix << "unusable: " << listingText(file) << "\n";
  if (e.output == EventsOutput::Json)
    out << "{\"trips\":" << jsonLines(jsonTrips) << ",\"unreadable\":" << jsonStrings(search.unreadable)
        << ",\"unusable\":" << jsonStrings(search.unusable) << "}\n";
  if (lines) out << counted(total, "event episode", "event episodes") << "; " << tripSummary(search) << "\n";
  return failed ? 1 : 0;
}

}  // namespace

int runEventsCommand(const Args& args, std::ostream& out, std::ostream& err) {
  EventsOptions e;
  try {
    e = parseEventsOptions(args);
  } catch (const UsageError& x) {
    return usageError(err, "events", x.what());
  }
  if (e.output == EventsOutput::Csv) writeStandardOutputUnchanged();
  watchForInterrupt();
  try {
    return e.card ? listCard(e, out, err) : listSelection(e, out, err);
  } catch (const FileError& x) {
    err << "vk2mp4: " << x.what() << "\n";
    return 1;
  } catch (const Interrupted&) {
    err << "vk2mp4: events interrupted\n";
    return 1;
  }
}

}  // namespace vk2::cli
