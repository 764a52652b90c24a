#include "cli/run_options.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <filesystem>
#include <map>
#include <set>
#include <ostream>

#include "cli/interrupt.h"
#include "core/time_window.h"
#include "core/file_error.h"
#include "core/filesystem_names.h"
#include "mmv/scan.h"
#include "mp4/burn_encoders.h"
#include "platform/folders.h"

namespace vk2::cli {

namespace {

bool PlainConversionOptions::*hideItem(const std::string& item) {
  static const std::map<std::string, bool PlainConversionOptions::*> items = {
      {"vehicle", &PlainConversionOptions::vehicleNo},
      {"gsensor", &PlainConversionOptions::gsensor},
      {"datetime", &PlainConversionOptions::dateTime},
      {"direction", &PlainConversionOptions::direction},
      {"speed", &PlainConversionOptions::speed},
      {"rpm", &PlainConversionOptions::rpm},
      {"latlong", &PlainConversionOptions::latLong},
      {"fcw", &PlainConversionOptions::fcw},
      {"ldw", &PlainConversionOptions::ldw},
      {"fpw", &PlainConversionOptions::fpw},
      {"fvsa", &PlainConversionOptions::fvsa},
      {"alarm-gsensor", &PlainConversionOptions::alarmGsensor},
      {"speeding", &PlainConversionOptions::overSpeeding},
      {"panic", &PlainConversionOptions::panic},
  };
  const auto found = items.find(item);
  if (found == items.end()) throw UsageError("--hide: unknown item '" + item + "'");
  return found->second;
}

void hideItems(const std::string& list, PlainConversionOptions& options) {
  std::size_t begin = 0;
  while (true) {
    const std::size_t comma = list.find(',', begin);
    options.*hideItem(list.substr(begin, comma - begin)) = false;
    if (comma == std::string::npos) return;
    begin = comma + 1;
  }
}

SubtitleDelivery subtitleDelivery(const std::string& text) {
  if (text == "burn") return SubtitleDelivery::Burn;
  if (text == "burn-fast") return SubtitleDelivery::BurnFast;
  if (text == "track") return SubtitleDelivery::Track;
  if (text == "none") return SubtitleDelivery::None;
  throw UsageError("--subtitles: expected burn, burn-fast, track or none, not '" + text + "'");
}

std::string encoderChoice(const std::string& text) {
  const std::vector<std::string> choices = encoderChoices();
  if (std::find(choices.begin(), choices.end(), text) != choices.end()) return text;
  std::string allowed;
  for (std::size_t i = 0; i < choices.size(); ++i)
    allowed += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i];
  throw UsageError("--encoder: expected " + allowed + ", not '" + text + "'");
}

bool endsWithSeparator(const std::string& path) {
  if (path.empty()) return false;
  const char last = path.back();
#ifdef _WIN32
  return last == '\\' || last == '/';
#else
  return last == '/';
#endif
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Why the trims are refused, with the minimum they must leave.
std::string trimRefusal(const RunOptions& run, int64_t span) {
  const std::string trims =
      "--trim-start " + std::to_string(run.trimStart) + " and --trim-end " + std::to_string(run.trimEnd);
  const std::string minimum = std::to_string(kMinimumWindowSeconds);
  // The scan refuses an end before the start; what is left is a clock that wrapped in 2038.
  if (span < 0 || span > INT32_MAX)
    return trims + ": the recording's end stamp wraps past 2038, so it cannot be trimmed";
  const int64_t left = std::max<int64_t>(0, span - run.trimStart - run.trimEnd);
  std::string text = trims + " leave " + std::to_string(left) + (left == 1 ? " second" : " seconds") + " of the " +
                     std::to_string(span) + "-second recording; a trimmed window must be at least " + minimum +
                     " seconds long";
  if (span <= kMinimumWindowSeconds) text += ", so a recording of " + minimum + " seconds or less cannot be trimmed";
  return text;
}

std::string createdFolder(std::string folder) {
  if (!endsWithSeparator(folder)) folder += kPathSeparator;
  if (!createFolders(folder)) throw FileError(folder, "cannot create the output folder");
  return folder;
}

}  // namespace

int32_t secondsValue(const std::string& option, const std::string& text) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < 0)
    throw UsageError(option + ": '" + text + "' is not a whole number of seconds >= 0");
  return value;
}

bool choiceValue(const std::string& option, const std::string& text, const char* first, const char* second) {
  if (text == first) return true;
  if (text == second) return false;
  throw UsageError(option + ": expected " + first + " or " + second + ", not '" + text + "'");
}

int dateFormatValue(const std::string& text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '3') return text[0] - '0';
  if (text == "4" || text == "none") return kDateFormatNone;
  throw UsageError("--date-format: expected 0, 1, 2, 3, 4 or none, not '" + text + "'");
}

RunOptions parseRunOptions(const Args& args, CommandOptions own) {
  const bool convertOptions = own == CommandOptions::Convert;
  const bool tripOptions = convertOptions || own == CommandOptions::Report;
  RunOptions run;
  PlainConversionOptions& o = run.options;
  bool optionsEnded = false;
  bool trimmed = false;  // given at all, even as 0: --events refuses them, as each clip cuts its own
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      run.inputs.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    static const std::set<std::string> convertOnly = {"--track", "--subtitles", "--report", "--events",
                                                      "--card",  "--before",    "--after",  "--encoder"};
    if (!convertOptions && convertOnly.count(arg)) throw UsageError(arg + ": only convert takes it");
    if (!tripOptions && (arg == "--trips" || arg == "--recursive"))
      throw UsageError(arg + ": only convert and report take it");
    if (own != CommandOptions::Report && arg == "--video") throw UsageError(arg + ": only report takes it");
    if (arg == "--no-audio") {
      o.audio = false;
      continue;
    }
    if (arg == "-q" || arg == "--quiet") {
      run.quiet = true;
      continue;
    }
    if (arg == "-v" || arg == "--verbose") {
      run.verbose = true;
      continue;
    }
    if (arg == "--recursive") {
      run.recursive = true;
      continue;
    }
    if (arg == "--report") {
      run.report = true;
      continue;
    }
    if (arg == "--events") {
      run.events = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      // The last argument: an option that takes no value is no option at all.
      static const std::set<std::string> valued = {"-o",      "--trim-start", "--trim-end",  "--time-basis",
                                                   "--sub-time", "--clock",   "--speed",     "--date-format",
                                                   "--trips", "--subtitles",  "--hide",      "--track",
                                                   "--log",   "--video",      "--card",      "--before",
                                                   "--after",  "--encoder"};
      throw UsageError(valued.count(arg) ? arg + ": missing value" : "unknown option '" + arg + "'");
    }
    const std::string& value = args[++i];
    if (arg == "-o") {
      if (value.empty()) throw UsageError("-o: empty path");
      run.target = value;
    } else if (arg == "--trim-start") {
      run.trimStart = secondsValue(arg, value);
      trimmed = true;
    } else if (arg == "--trim-end") {
      run.trimEnd = secondsValue(arg, value);
      trimmed = true;
    } else if (arg == "--before") {
      run.before = secondsValue(arg, value);
    } else if (arg == "--after") {
      run.after = secondsValue(arg, value);
    } else if (arg == "--card") {
      run.cardFolder = value;
    } else if (arg == "--time-basis") {
      o.timeLocal = choiceValue(arg, value, "local", "utc");
    } else if (arg == "--sub-time") {
      o.subLocal = choiceValue(arg, value, "local", "utc");
    } else if (arg == "--clock") {
      o.sub12h = choiceValue(arg, value, "12h", "24h");
    } else if (arg == "--speed") {
      o.speedKmh = choiceValue(arg, value, "kmh", "mph");
    } else if (arg == "--date-format") {
      o.dateFormat = dateFormatValue(value);
    } else if (arg == "--trips") {
      run.tripsFolder = value;
    } else if (arg == "--subtitles") {
      o.subtitles = subtitleDelivery(value);
    } else if (arg == "--encoder") {
      o.encoder = encoderChoice(value);
    } else if (arg == "--hide") {
      hideItems(value, o);
    } else if (arg == "--track") {
      run.track = trackFormatNamed(value);
      if (!run.track) throw UsageError("--track: expected gpx, kml, geojson or csv, not '" + value + "'");
    } else if (arg == "--video") {
      if (value.empty()) throw UsageError("--video: empty path");
      run.video = value;
    } else if (arg == "--log") {
      if (value.empty()) throw UsageError("--log: empty path");
      run.logFile = value;
    } else {
      throw UsageError("unknown option '" + arg + "'");
    }
  }
  if (run.quiet && run.verbose) throw UsageError("-q and -v cannot be used together");
  if (!o.encoder.empty() && o.subtitles != SubtitleDelivery::Burn && o.subtitles != SubtitleDelivery::BurnFast)
    throw UsageError("--encoder needs --subtitles burn or burn-fast");
  if ((run.before || run.after) && !run.events)
    throw UsageError(std::string(run.before ? "--before" : "--after") + " needs --events");
  if (run.cardFolder && !run.events) throw UsageError("--card needs --events (--trips converts every trip)");
  if (run.recursive && !run.tripsFolder && !run.cardFolder) throw UsageError("--recursive needs --trips or --card");
  if (run.events) {
    if (run.tripsFolder) throw UsageError("--events takes --card FOLDER instead of --trips");
    if (trimmed) throw UsageError("--events cuts its own windows; --trim-start and --trim-end cannot be used with it");
    if (!run.target) throw UsageError("--events needs -o OUTDIR/, the folder the clips are written to");
    if (run.cardFolder && !run.inputs.empty()) throw UsageError("--card takes a folder instead of MMV files");
    // Each clip shows its one line, as each trip does.
    if (run.logFile) throw UsageError("--log cannot be used with --events");
    if (run.verbose) throw UsageError("-v cannot be used with --events");
    if (run.cardFolder) return run;
  } else if (run.tripsFolder) {
    if (!run.inputs.empty()) throw UsageError("--trips takes a folder instead of MMV files");
    if (run.logFile) throw UsageError("--log cannot be used with --trips");
    // Each trip shows its one line; the trips' logs would run into each other.
    if (run.verbose) throw UsageError("-v cannot be used with --trips");
    if (run.video) throw UsageError("--video cannot be used with --trips: a trip's page has no video");
    return run;
  }
  if (run.inputs.empty()) throw UsageError("no MMV file given");
  return run;
}

void applyTimeWindow(const RunOptions& run, ConversionState& state) {
  // A recording whose end stamp lies before its start (or wrapped) takes no
  // trims, so the window's ends below stay inside 32 bits.
  const int64_t span = static_cast<int64_t>(state.spanEndTime) - state.spanStartTime;
  const bool untrimmed = run.trimStart == 0 && run.trimEnd == 0;
  const bool spanUsable = span >= 0 && span <= INT32_MAX;
  if (!untrimmed && !(spanUsable && trimsAllowed(static_cast<int32_t>(span), run.trimStart, run.trimEnd)))
    throw UsageError(trimRefusal(run, span));
  state.trimStart = run.trimStart;
  state.trimEnd = run.trimEnd;
  state.windowStartTime = state.spanStartTime + run.trimStart;
  state.windowEndTime = state.spanEndTime - run.trimEnd;
  state.windowStart = breakDownTime(state.windowStartTime, run.options.timeLocal);
  state.windowEnd = breakDownTime(state.windowEndTime, run.options.timeLocal);
}

std::string proposedName(const RunOptions& run, const ConversionState& state) {
  return describeTimeWindow(state.windowStartTime, state.windowEndTime, run.options.timeLocal)
      .fileName;
}

std::string resolveTarget(const RunOptions& run, const ConversionState& state) {
  const std::string extension = outputExtension(run.options.subtitles);
  const std::string name = proposedName(run, state) + extension;
  if (!run.target) return createdFolder(defaultOutputFolder()) + name;
  const std::string& path = *run.target;
  std::error_code ec;
  if (endsWithSeparator(path) || std::filesystem::is_directory(pathOf(path), ec))
    return createdFolder(path) + name;
  // The target's own folder is created too, so "-o out/x.mp4" works in a fresh place.
  const std::string folder = folderOf(path);
  if (!folder.empty()) createdFolder(folder);
  if (endsWith(path, extension)) return path;
  // The extension follows the subtitle choice: "x.mp4" becomes "x.mkv" for a track, and back.
  const std::string other = extension == ".mp4" ? ".mkv" : ".mp4";
  if (endsWith(path, other)) return path.substr(0, path.size() - other.size()) + extension;
  return path + extension;
}

int scanRecordings(const RunOptions& options, StageContext& ctx, LogMirror& mirror, std::ostream& err) {
  const std::string logPath = options.logFile.value_or("");
  const OpenResult opened = OpenMmvFiles(ctx, options.inputs);
  if (opened.outcome != OpenOutcome::Selected) {
    mirror.openFile(logPath, ctx.log, options.inputs, {});
    err << opened.refusalText() << "\n";
    return 1;
  }
  try {
    applyTimeWindow(options, ctx.state);
  } catch (const UsageError& e) {
    mirror.openFile(logPath, ctx.log, options.inputs, {});
    return usageError(err, options.command, e.what());
  }
  return 0;
}

int selectRecordings(const RunOptions& options, StageContext& ctx, LogMirror& mirror, std::ostream& err,
                     std::string& target) {
  if (const int refused = scanRecordings(options, ctx, mirror, err)) return refused;
  target = resolveTarget(options, ctx.state);
  return 0;
}

int finishWithLog(int status, const LogMirror& mirror, std::ostream& err) {
  if (mirror.fileError().empty()) return status;
  err << "vk2mp4: " << mirror.fileError() << "\n";
  return status == 0 ? 1 : status;
}

int runWithRunOptions(const char* name, const Args& args, std::ostream& out, std::ostream& err, RunCommand command,
                      CommandOptions own) {
  RunOptions options;
  try {
    options = parseRunOptions(args, own);
  } catch (const UsageError& e) {
    return usageError(err, name, e.what());
  }
  options.command = name;
  try {
    return command(options, out, err);
  } catch (const UsageError& e) {
    return usageError(err, name, e.what());
  } catch (const FileError& e) {
    err << "vk2mp4: " << e.what() << "\n";
    return 1;
  }
}

int runInterruptible(const char* name, const Args& args, std::ostream& out, std::ostream& err, RunCommand command,
                     const char* interrupted, CommandOptions own) {
  const auto watched = [command, interrupted](const RunOptions& run, std::ostream& o, std::ostream& e) {
    watchForInterrupt();
    try {
      return command(run, o, e);
    } catch (const Interrupted&) {
      e << "vk2mp4: " << interrupted << "\n";
      return 1;
    }
  };
  return runWithRunOptions(name, args, out, err, watched, own);
}

}  // namespace vk2::cli
