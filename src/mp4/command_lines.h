#pragma once
// The two converter command lines: muxing the raw streams into an MP4, and
// burning the subtitle script into its picture. A command is held both as the
// argument vector handed to the process (POSIX) and as the one text line that is
// logged and, on Windows, handed to the narrow process-creation call.
#include <cstdint>
#include <string>
#include <vector>

namespace vk2 {

struct CommandLine {
  std::vector<std::string> arguments;  // arguments[0] names the converter
  std::string text;                    // the logged line / Windows command line
};

// Joins literal pieces (whose blanks separate arguments) and value pieces (paths,
// which are never split). An argument containing a blank is shown in double
// quotes in the text; everything else is joined exactly as given.
class CommandLineBuilder {
 public:
  CommandLineBuilder& literal(const std::string& text);
  CommandLineBuilder& value(const std::string& text);
  CommandLine build() const;

 private:
  struct Token {
    std::string spaceBefore;
    std::string text;
  };
  void appendChar(char c);
  std::vector<Token> tokens_;
  std::string pendingSpace_;
  bool inToken_ = false;
};

// "1:15 " for 75 seconds, "62:5 " for 3725: minutes (not folded into hours),
// ":", seconds, one trailing blank.
std::string durationText(int32_t durationSec);

// frameRate as "%8.4f": " 29.9750", "120.0000", "  5.0000".
std::string frameRateText(double frameRate);

// The script path in the converter's filter syntax: "\" -> "/", ":" -> "\:".
// Characters the filter option parser would take as syntax ("'" and "=") are
// escaped with a backslash as well; plain paths are rewritten exactly as above.
std::string filterPath(const std::string& assPath);

// The filter argument's quoted form: "'" + filter path + "'", where a single
// quote inside the path leaves and re-enters the quotes so it survives the
// filter-graph level.
std::string quotedFilterPath(const std::string& assPath);

// Muxing: raw PCM (when withAudio) and raw H.264 into outputPath.
CommandLine mp4CommandLine(const std::string& converter, const std::string& pcmPath,
                           const std::string& h264Path, const std::string& outputPath,
                           int32_t durationSec, double frameRate, bool withAudio);

// Burn-in: the script drawn into mp4Path's picture, written to subOutputPath.
CommandLine subtitleCommandLine(const std::string& converter, const std::string& mp4Path,
                                const std::string& assPath, const std::string& subOutputPath);

}  // namespace vk2
