#pragma once
// The converter command lines: muxing the raw streams into an MP4 (or, with
// the script as a subtitle track, into an MKV), and burning the subtitle
// script into its picture. A command is held both as the
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

// frameRate as "%8.4f" writes it in the C locale, whatever the locale: " 29.9750", "120.0000", "  5.0000".
std::string frameRateText(double frameRate);

// How the converter reads a path. POSIX: only '/' separates, and '\' is an
// ordinary character of a name. Windows: '\' and '/' separate, and a letter and
// ':' in front name a drive.
enum class PathStyle { Posix, Windows };
#ifdef _WIN32
inline constexpr PathStyle kHostPathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kHostPathStyle = PathStyle::Posix;
#endif

// `path` in a form the converter opens as a plain file. A relative name it would
// take for an option (leading '-') or a protocol (a ':' before the first
// separator, as in "pipe:1.mp4") gets "./" (Windows ".\") in front; every other
// path, a drive path included, is returned unchanged.
std::string converterFilePath(const std::string& path, PathStyle style = kHostPathStyle);

// The script path as the subtitle filter's option value: converterFilePath,
// then on Windows "\" -> "/"; ":" -> "\:". Characters the filter option parser
// would take as syntax ("'", "=" and, on POSIX, "\") are escaped with a
// backslash as well; plain paths are rewritten exactly as above.
std::string filterPath(const std::string& assPath, PathStyle style = kHostPathStyle);

// The filter argument's quoted form: "'" + filter path + "'", where a single
// quote inside the path leaves and re-enters the quotes so it survives the
// filter-graph level (which takes everything else inside quotes literally).
std::string quotedFilterPath(const std::string& assPath, PathStyle style = kHostPathStyle);

// Muxing: raw PCM (when withAudio) and raw H.264 into outputPath. Every path
// argument (not the converter itself) goes through converterFilePath.
CommandLine mp4CommandLine(const std::string& converter, const std::string& pcmPath,
                           const std::string& h264Path, const std::string& outputPath,
                           int32_t durationSec, double frameRate, bool withAudio,
                           PathStyle style = kHostPathStyle);

// The subtitle track's MKV in one pass: the raw streams muxed as by
// mp4CommandLine, the script at assPath beside them as a copied subtitle track,
// without the Matroska checksums. The converter's progress line is kept
// ("-stats") while the rest is silenced.
CommandLine trackMuxCommandLine(const std::string& converter, const std::string& pcmPath,
                                const std::string& h264Path, const std::string& assPath,
                                const std::string& outputPath, int32_t durationSec, double frameRate,
                                bool withAudio, PathStyle style = kHostPathStyle);

// The subtitle track with its audio encoded beside the muxing, on the other
// processor core: trackAudioCommandLine encodes the PCM to AAC and writes it as
// ADTS to its standard output, which trackJoinedMuxCommandLine reads through a
// pipe ("pipe:0") as its audio while it copies the video and the script, as
// trackMuxCommandLine does with the audio in the same process.
CommandLine trackAudioCommandLine(const std::string& converter, const std::string& pcmPath,
                                  PathStyle style = kHostPathStyle);
CommandLine trackJoinedMuxCommandLine(const std::string& converter, const std::string& h264Path,
                                      const std::string& assPath, const std::string& outputPath, int32_t durationSec,
                                      double frameRate, PathStyle style = kHostPathStyle);

// The same line with the value of its closing "-loglevel" replaced: the muxing
// line, silenced ("quiet") when it runs, asked for its errors ("error") when it
// has failed.
CommandLine withLogLevel(CommandLine line, const std::string& level);

// Burn-in: the script drawn into mp4Path's picture, written to subOutputPath.
CommandLine subtitleCommandLine(const std::string& converter, const std::string& mp4Path,
                                const std::string& assPath, const std::string& subOutputPath,
                                PathStyle style = kHostPathStyle);

// The burn-in with the encoder's veryfast preset: a somewhat bigger file, much sooner.
CommandLine fastSubtitleCommandLine(const std::string& converter, const std::string& mp4Path,
                                    const std::string& assPath, const std::string& subOutputPath,
                                    PathStyle style = kHostPathStyle);

// The burn-in for a chosen encoder: `inputOptions` before the input (a device
// to open), `filterTail` after the subtitle filter (",format=..."), and
// `encoderOptions` after the filter argument, each beginning with its blank.
CommandLine encoderSubtitleCommandLine(const std::string& converter, const std::string& mp4Path,
                                       const std::string& assPath, const std::string& subOutputPath,
                                       const std::string& inputOptions, const std::string& filterTail,
                                       const std::string& encoderOptions, PathStyle style = kHostPathStyle);

}  // namespace vk2
