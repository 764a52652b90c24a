// The help of vk2mp4 and of each command, and the one line of a usage error.
// Every option is listed with its default; the numbers come from the rules
// themselves, so the help cannot drift from them.
#include <ostream>

#include "cli/commands.h"
#include "conversion/event_clips.h"
#include "core/time_window.h"
#include "mmv/scan.h"

namespace vk2::cli {

namespace {

const std::string kMinimum = std::to_string(kMinimumWindowSeconds);
const std::string kMaxFiles = std::to_string(kMaxSelectedFiles);

const std::string kUsageLines =
    "usage:\n"
    "  vk2mp4 info FILE.mmv...\n"
    "  vk2mp4 merge [-q] [--log FILE] -o OUT.mmv FILE.mmv...\n"
    "  vk2mp4 extract [OPTIONS] [-o TARGET] FILE.mmv...\n"
    "  vk2mp4 convert [OPTIONS] [-o TARGET] FILE.mmv...\n"
    "  vk2mp4 convert [OPTIONS] --trips FOLDER [--recursive] -o OUTDIR/\n"
    "  vk2mp4 convert [OPTIONS] --events [--before SEC] [--after SEC]\n"
    "                 (FILE.mmv... | --card FOLDER [--recursive]) -o OUTDIR/\n"
    "  vk2mp4 trips [--json] [--recursive] [--time-basis local|utc] FOLDER...\n"
    "  vk2mp4 track [OPTIONS] -o OUT.gpx|OUT.kml|OUT.geojson|OUT.csv FILE.mmv...\n"
    "  vk2mp4 events [OPTIONS] [--json|--csv] FILE.mmv...\n"
    "  vk2mp4 events [OPTIONS] [--json|--csv] --card FOLDER [--recursive]\n"
    "  vk2mp4 report [OPTIONS] [--video FILE] -o OUT.html FILE.mmv...\n"
    "  vk2mp4 report [OPTIONS] --trips FOLDER [--recursive] -o OUTDIR/\n"
    "  vk2mp4 COMMAND --help    the command in full\n"
    "  vk2mp4 --help            this text\n"
    "  vk2mp4 --version         the program's version\n";

const std::string kSelection = "FILE.mmv...: 1 to " + kMaxFiles +
                               " recordings, each starting within 4 seconds of the\n"
                               "previous one's end.\n";

const std::string kTargetOption =
    "  -o TARGET               the file to write; \".mp4\" is added when missing\n"
    "                          (\".mkv\" with --subtitles track). A folder, existing\n"
    "                          or ending in a separator, gets the proposed name:\n"
    "                          the window's start and length, as in\n"
    "                          20211029_080503_60.mp4. Default: the proposed name\n"
    "                          in the default folder (below).\n";

const std::string kTrimOptions =
    "  --trim-start SEC        whole seconds cut from the start (default 0)\n"
    "  --trim-end SEC          whole seconds cut from the end (default 0).\n"
    "                          The trims must leave at least " + kMinimum + " seconds, so a\n"
    "                          recording of " + kMinimum + " seconds or less takes none.\n";

const std::string kSubtitleOptions =
    "  --no-audio              the sound left out (default: with the sound)\n"
    "  --time-basis local|utc  the span and the proposed name in local time or in\n"
    "                          UTC (default local)\n"
    "  --sub-time local|utc    the subtitles' clock (default local)\n"
    "  --clock 12h|24h         the subtitles' hours (default 12h)\n"
    "  --speed kmh|mph         the subtitles' speed unit (default kmh)\n"
    "  --date-format N         the subtitles' date: 0 MM/DD/YYYY, 1 MM.DD.YYYY,\n"
    "                          2 YYYY/MM/DD, 3 YYYY.MM.DD, 4 or none: no date\n"
    "                          (default 0)\n"
    "  --hide ITEM[,ITEM...]   subtitle items left out (default: none): vehicle,\n"
    "                          gsensor, datetime, direction, speed, rpm, latlong,\n"
    "                          fcw, ldw, fpw, fvsa, alarm-gsensor, speeding, panic\n";

const std::string kConvertOptions =
    "  --subtitles CHOICE      how the telemetry reaches the video (default burn):\n"
    "                          burn (drawn into the picture), burn-fast (the same\n"
    "                          in about half the time), track (a subtitle track\n"
    "                          in a .mkv, no re-encoding), none\n"
    "  --encoder NAME          with burn or burn-fast: the burn-in's encoder: auto\n"
    "                          (the hardware encoders the converter lists, in\n"
    "                          this order, then libx264), x264 (libx264 only),\n"
    "                          h264_nvenc, h264_qsv, h264_amf, h264_mf (Windows)\n"
    "                          or h264_vaapi (Linux), each followed by libx264 if\n"
    "                          it fails (default: auto for burn-fast, libx264 for\n"
    "                          burn)\n"
    "  --track FORMAT          the telemetry also beside the video, under its\n"
    "                          name: gpx, kml, geojson or csv (default: none)\n"
    "  --report                the report page also beside the video, under its\n"
    "                          name with .html, playing it (default: not)\n"
    "  --trips FOLDER          every trip of a memory card's folder, each into its\n"
    "                          own file in OUTDIR under the name `vk2mp4 trips`\n"
    "                          lists; -o OUTDIR/ is required, --log and -v are\n"
    "                          refused (default: none, the FILE.mmv given)\n"
    "  --recursive             with --trips or --card: the subfolders too\n"
    "                          (default: not)\n"
    "  --events                a clip per alarm event into OUTDIR (-o OUTDIR/ is\n"
    "                          required; --trim-start, --trim-end, --trips, --log\n"
    "                          and -v are refused), named by the event's start\n"
    "                          and kind: 20211029_080553_G-Sensor.mp4; events\n"
    "                          whose windows overlap share one clip (default: not)\n"
    "  --before SEC            with --events: whole seconds before an event's\n"
    "                          start (default " + std::to_string(kDefaultSecondsBefore) + ")\n"
    "  --after SEC             with --events: whole seconds after its end\n"
    "                          (default " + std::to_string(kDefaultSecondsAfter) + ")\n"
    "  --card FOLDER           with --events: every trip of a memory card's folder\n"
    "                          instead of FILE.mmv... (default: none)\n";

const std::string kOutputOptions =
    "  --log FILE              the progress log written to FILE (default: none)\n"
    "  -v, --verbose           the progress log on standard output too (default:\n"
    "                          a line per stage and one naming what was written)\n"
    "  -q, --quiet             nothing on standard output; errors and warnings\n"
    "                          still go to standard error (default: not quiet)\n";
// What convert shows besides, on a terminal.
const std::string kConverterShare =
    "On a terminal the line of the burn-in also shows how far the converter is.\n";

const std::string kDefaultFolder =
    "The default folder, created when missing:\n"
    "  Linux:    $HOME/Documents/Velmora/MMV_TO_MP4/\n"
    "  Windows:  %HOMEDRIVE%%HOMEPATH%\\Documents\\Velmora\\MMV_TO_MP4\\\n";

const std::string kExitSuccess =
    "exit status:\n"
    "  0  success, also when a recording ends early: its complete records are\n"
    "     used, and a warning on standard error names it\n";
const std::string kExitFailed =
    "  1  the run failed, was refused or was interrupted (Ctrl-C): one line on\n"
    "     standard error says why\n";
const std::string kExitUsage = "  2  usage error\n";

// The usage lines first, as every help here starts.
const std::string kProgramHelp =
    kUsageLines +
    "\nvk2mp4 converts a vehicle camera's MMV recordings into MP4 videos with the\n"
    "telemetry (clock, position, heading, speed, engine speed, acceleration and\n"
    "alarm events) as subtitles.\n"
    "\ncommands:\n"
    "  info     the info block of each file, and whether they convert together\n"
    "  merge    2 to " + kMaxFiles + " files that follow each other joined into one MMV file\n"
    "  extract  the streams and the subtitle script, without the converter\n"
    "  convert  an MP4 (or MKV) with the telemetry as subtitles; with --trips,\n"
    "           one for every trip of a memory card; with --events, a clip per\n"
    "           alarm event\n"
    "  trips    the trips among a memory card's recordings, with their names\n"
    "  track    the telemetry as a GPX, KML, GeoJSON or CSV file\n"
    "  events   the alarm events of recordings or of a card's trips\n"
    "  report   a page to read a trip in a browser: route, charts, events, video\n"
    "\nOPTIONS of extract and convert:\n" +
    kTargetOption + kTrimOptions + kSubtitleOptions + kOutputOptions + "\nOPTIONS of convert alone:\n" +
    kConvertOptions + "\ntrack takes the options of extract; its -o OUT is required (see vk2mp4\n"
    "track --help). So does report, with --video, --trips and --recursive (see\n"
    "vk2mp4 report --help). events takes its own (see vk2mp4 events --help).\n" +
    kConverterShare + "\n" + kDefaultFolder + "\n" + kExitSuccess + kExitFailed + kExitUsage;

const std::string kInfoHelp =
    "usage: vk2mp4 info FILE.mmv...\n\n"
    "Scans the files in the order given, as opening them in the windows does:\n"
    "the progress log of each file's info block on standard output, then the\n"
    "files' folder and how many are selected.\n\n"
    "exit status:\n"
    "  0  the files convert together\n"
    "  1  refused (more than " + kMaxFiles + " files, or files that do not follow each\n"
    "     other in time), or a file cannot be read\n" +
    kExitUsage;

const std::string kMergeHelp =
    "usage: vk2mp4 merge [-q] [--log FILE] -o OUT.mmv FILE.mmv...\n\n"
    "Joins 2 to " + kMaxFiles + " files that follow each other in time into one MMV file.\n"
    "It is written beside OUT.mmv and takes its place only when complete.\n\n"
    "  -o OUT.mmv              the merged file, exactly as given (required)\n"
    "  --log FILE              the progress log written to FILE (default: none)\n"
    "  -q, --quiet             nothing on standard output (default: a line per\n"
    "                          file and one at the end)\n\n" +
    "exit status:\n  0  success\n" + kExitFailed + kExitUsage;

const std::string kExtractHelp =
    "usage: vk2mp4 extract [OPTIONS] [-o TARGET] FILE.mmv...\n\n"
    "The conversion up to the converter: the recordings merged (two or more, as\n"
    "TARGET with \".mmv\", removed afterwards), then the raw video, the audio, the\n"
    "telemetry and the subtitle script written beside TARGET as X.h264, X.pcm,\n"
    "X.drv and X.ass.\n" + kSelection + "\n" +
    kTargetOption + kTrimOptions + kSubtitleOptions + kOutputOptions + "\n" + kDefaultFolder + "\n" + kExitSuccess +
    kExitFailed + kExitUsage;

const std::string kConvertHelp =
    "usage: vk2mp4 convert [OPTIONS] [-o TARGET] FILE.mmv...\n"
    "       vk2mp4 convert [OPTIONS] --trips FOLDER [--recursive] -o OUTDIR/\n"
    "       vk2mp4 convert [OPTIONS] --events [--before SEC] [--after SEC]\n"
    "                      (FILE.mmv... | --card FOLDER [--recursive]) -o OUTDIR/\n\n"
    "Converts the recordings into one video with the telemetry as subtitles;\n"
    "on success exactly one new file is left, TARGET. With --trips, every trip\n"
    "of the folder is converted; a failed trip does not stop the others. With\n"
    "--events, each alarm event gets a clip from SEC before its start to SEC\n"
    "after its end, within the recordings; a failed clip does not stop the others.\n" +
    kSelection + "\n" + kTargetOption + kTrimOptions + kSubtitleOptions + kConvertOptions + kOutputOptions +
    kConverterShare + "\n" + kDefaultFolder + "\n" + kExitSuccess + kExitFailed + "     With --trips: 1 when any trip failed; with --events, when any clip\n"
    "     failed or a trip could not be read (0 when there is no event).\n" + kExitUsage;

const std::string kTripsHelp =
    "usage: vk2mp4 trips [--json] [--recursive] [--time-basis local|utc] FOLDER...\n\n"
    "Lists the trips among the folders' MMV files: runs of recordings in start\n"
    "order, each starting within 4 seconds of the previous one's end, at most " + kMaxFiles + "\n"
    "files each, with the names `vk2mp4 convert --trips` gives them; then what\n"
    "cannot be read or used, and a summary.\n\n"
    "  --json                  the same as one JSON document: each trip's number,\n"
    "                          start and end (UTC and local), seconds, files and\n"
    "                          name, then what cannot be read or used (default:\n"
    "                          the lines)\n"
    "  --recursive             the folders' subfolders too (default: not)\n"
    "  --time-basis local|utc  times and names in local time or in UTC\n"
    "                          (default local)\n\n"
    "exit status:\n"
    "  0  success, also when no trip is found\n"
    "  1  no folder can be read\n" +
    kExitUsage;

const std::string kTrackHelp =
    "usage: vk2mp4 track [OPTIONS] -o OUT.gpx|OUT.kml|OUT.geojson|OUT.csv FILE.mmv...\n\n"
    "The telemetry of the recordings, the records the subtitles show, as a GPX\n"
    "track, a KML document, a GeoJSON feature collection or a CSV table, as the\n"
    "extension of OUT says.\n" + kSelection + "\n"
    "  -o OUT                  the track file (required)\n" +
    kTrimOptions +
    "  --sub-time local|utc    the CSV's second time column (default local)\n"
    "  --speed kmh|mph         the CSV's speed unit (default kmh)\n" +
    kOutputOptions +
    "\nThe other options of extract are taken as well and change nothing here.\n\n" + kExitSuccess + kExitFailed +
    kExitUsage;

const std::string kEventsHelp =
    "usage: vk2mp4 events [OPTIONS] [--json|--csv] FILE.mmv...\n"
    "       vk2mp4 events [OPTIONS] [--json|--csv] --card FOLDER [--recursive]\n\n"
    "Lists the alarm-event episodes (FCW, LDW, FPW, FVSA, G-Sensor, Speeding,\n"
    "Panic) in the records the subtitles show. An episode starts at a record that\n"
    "raises its event (state 1 or 2) and goes on while the raises follow each\n"
    "other at most 3 seconds apart; each event has its own. A line per episode:\n"
    "the event, its start and end, the recording and how far into it the episode\n"
    "starts, the position, the speed at the start and the highest, and the largest\n"
    "acceleration besides gravity within 2 seconds of the episode; then a summary.\n"
    "With --card, every trip of the folder as `vk2mp4 trips` lists it, its\n"
    "episodes below it.\n" + kSelection + "\n"
    "  --card FOLDER           every trip of a memory card's folder instead of\n"
    "                          FILE.mmv (default: none, the FILE.mmv given)\n"
    "  --recursive             with --card: the subfolders too (default: not)\n"
    "  --json                  one JSON document instead of the lines (default:\n"
    "                          the lines)\n"
    "  --csv                   a CSV table with CRLF line ends instead of the\n"
    "                          lines (default: the lines)\n" +
    kTrimOptions +
    "                          Not with --card.\n"
    "  --time-basis local|utc  the lines' times, and with --card the trips'\n"
    "                          times and names, in local time or in UTC\n"
    "                          (default local)\n"
    "  --date-format N         the lines' date: 0 MM/DD/YYYY, 1 MM.DD.YYYY,\n"
    "                          2 YYYY/MM/DD, 3 YYYY.MM.DD, 4 or none: no date\n"
    "                          (default 0)\n"
    "  --clock 12h|24h         the lines' hours (default 12h)\n"
    "  --speed kmh|mph         the lines' speed unit (default kmh)\n\n"
    "The JSON and the CSV give every time in UTC and in local time with its\n"
    "offset, and speeds in km/h, whatever the options. With --json or --csv,\n"
    "the files that cannot be read or used go to standard error.\n\n"
    "exit status:\n"
    "  0  success, also when no episode is found\n"
    "  1  a recording cannot be read or the selection is refused; with --card,\n"
    "     the folder or a trip cannot be read (the other trips are still listed):\n"
    "     a line on standard error says why\n" +
    kExitUsage;
const std::string kReportHelp =
    "usage: vk2mp4 report [OPTIONS] [--video FILE] -o OUT.html FILE.mmv...\n"
    "       vk2mp4 report [OPTIONS] --trips FOLDER [--recursive] -o OUTDIR/\n\n"
    "One HTML page to read the recordings in a browser, offline: the route, the\n"
    "speed, engine speed and acceleration over the trip's time with the events\n"
    "as bands, and the table of events. Pointing at a chart shows its values;\n"
    "with a video, clicking a chart or an event plays the video from there.\n" +
    kSelection + "\n"
    "  -o OUT.html             the page (required); with --trips, the folder\n"
    "                          the pages are written to\n"
    "  --video FILE            the video the page plays, referred to relative\n"
    "                          to the page, as `convert --report` does\n"
    "                          (default: none)\n"
    "  --trips FOLDER          every trip of a memory card's folder, each into its\n"
    "                          own page in OUTDIR under the name `vk2mp4 trips`\n"
    "                          lists; --log, -v and --video are refused\n"
    "                          (default: none, the FILE.mmv given)\n"
    "  --recursive             with --trips: the subfolders too (default: not)\n" +
    kTrimOptions +
    "  --time-basis local|utc  the page's times in local time or in UTC\n"
    "                          (default local)\n"
    "  --clock 12h|24h         the page's hours (default 12h)\n"
    "  --speed kmh|mph         the page's speed unit (default kmh)\n"
    "  --date-format N         the page's date, as for convert (default 0)\n" +
    kOutputOptions +
    "\nThe other options of extract are taken as well and change nothing here.\n\n" + kExitSuccess + kExitFailed +
    "     With --trips: 1 when any trip failed.\n" + kExitUsage;

}  // namespace

std::optional<std::string> helpText(const std::string& command) {
  if (command.empty()) return kProgramHelp;
  if (command == "info") return kInfoHelp;
  if (command == "merge") return kMergeHelp;
  if (command == "extract") return kExtractHelp;
  if (command == "convert") return kConvertHelp;
  if (command == "trips") return kTripsHelp;
  if (command == "track") return kTrackHelp;
  if (command == "events") return kEventsHelp;
  if (command == "report") return kReportHelp;
  return std::nullopt;
}

bool asksForHelp(const Args& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

int usageError(std::ostream& err, const std::string& command, const std::string& problem) {
  err << "vk2mp4: " << problem << "; see vk2mp4 " << (command.empty() ? "" : command + " ") << "--help\n";
  return 2;
}

}  // namespace vk2::cli
