#pragma once
// The options that extract and convert share: target, trims, audio and every
// subtitle choice, the progress log file and quiet mode.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>

#include "cli/commands.h"
#include "cli/log_mirror.h"
#include "core/conversion_options.h"
#include "core/conversion_state.h"
#include "core/stage_context.h"
#include "telemetry/track_format.h"

namespace vk2::cli {

// A command line the program cannot use: exit status 2, one line pointing to the help.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RunOptions {
  PlainConversionOptions options;
  int32_t trimStart = 0;
  int32_t trimEnd = 0;
  std::optional<std::string> target;  // -o exactly as given
  std::optional<std::string> logFile;
  bool quiet = false;
  bool verbose = false;  // -v: the progress log on standard output too
  std::string command;   // "convert": whose help a usage error points to
  std::vector<std::string> inputs;
  std::optional<std::string> tripsFolder;  // convert --trips FOLDER: every trip found there
  bool recursive = false;                  // --trips: the folder's subfolders too
  std::optional<TrackFormat> track;  // convert --track: the track file beside the video
  bool report = false;                     // convert --report: the report page beside the video
  std::optional<std::string> video;        // report --video: the video the page plays
  bool events = false;                     // convert --events: a clip per alarm event
  std::optional<std::string> cardFolder;   // --events --card FOLDER: every trip found there
  std::optional<int32_t> before, after;    // --events: seconds around each episode
};

// The values of the options every command spells alike, for a command with
// options of its own; each throws UsageError naming the option.
int32_t secondsValue(const std::string& option, const std::string& text);  // --trim-start 2
// Picks between two spellings, true for the first: --clock 12h|24h.
bool choiceValue(const std::string& option, const std::string& text, const char* first, const char* second);
int dateFormatValue(const std::string& text);  // --date-format 0..4|none

// Which command's own options the parse takes besides the shared ones.
enum class CommandOptions { Shared, Convert, Report };

// Parses the arguments after the command name; --subtitles, --track, --report,
// --events, --card, --before and --after only for convert, --video only for
// report, --trips and --recursive for both. Throws UsageError.
RunOptions parseRunOptions(const Args& args, CommandOptions own = CommandOptions::Shared);

// The scan and the time window of selectRecordings, for a command that names
// its own target: 0, or the exit status after printing why.
int scanRecordings(const RunOptions& options, StageContext& ctx, LogMirror& mirror, std::ostream& err);

// The common start of extract and convert: scans the recordings (same refusals
// as the windows), applies the trims and resolves the target. Returns 0 with
// `target` set, or the exit status after printing why (1 refused, 2 usage); a
// refused selection still gets its --log file with the scan's lines.
int selectRecordings(const RunOptions& options, StageContext& ctx, LogMirror& mirror, std::ostream& err,
                     std::string& target);

// Ends a command: a --log file that lost lines turns success into status 1.
int finishWithLog(int status, const LogMirror& mirror, std::ostream& err);

// Parses the arguments of the command `name` and runs `command` with them: a
// usage error gives status 2, a file that cannot be used gives status 1 naming it.
using RunCommand = std::function<int(const RunOptions&, std::ostream& out, std::ostream& err)>;
int runWithRunOptions(const char* name, const Args& args, std::ostream& out, std::ostream& err, RunCommand command,
                      CommandOptions own = CommandOptions::Shared);

// As runWithRunOptions, with Ctrl-C watched: an interruption that ends `command`
// gives status 1 and `interrupted` on the error stream.
int runInterruptible(const char* name, const Args& args, std::ostream& out, std::ostream& err, RunCommand command,
                     const char* interrupted, CommandOptions own = CommandOptions::Shared);

// Once the scan has set the recording span: checks the trims against it
// (UsageError when the dialog could not have reached them) and sets the window
// and the trims in the state as the dialog would.
void applyTimeWindow(const RunOptions& run, ConversionState& state);

// The proposed file name of the window in the --time-basis zone, without
// extension: "20211029_080503_60".
std::string proposedName(const RunOptions& run, const ConversionState& state);

// The target MP4 path by the -o rules: a folder (existing, or ending in a
// separator, then created) gets the proposed name inside it; other paths get
// ".mp4" appended when they do not end with it, and their folder is created when
// missing; no -o means the default output
// folder (created) and the proposed name. Throws FileError naming a folder that
// cannot be created.
std::string resolveTarget(const RunOptions& run, const ConversionState& state);

}  // namespace vk2::cli
