#include "mp4/command_lines.h"

#include "core/number_text.h"

namespace vk2 {

CommandLineBuilder& CommandLineBuilder::literal(const std::string& text) {
  for (char c : text) {
    if (c == ' ') {
      inToken_ = false;
      pendingSpace_ += c;
    } else {
      appendChar(c);
    }
  }
  return *this;
}

CommandLineBuilder& CommandLineBuilder::value(const std::string& text) {
  for (char c : text) appendChar(c);
  return *this;
}

void CommandLineBuilder::appendChar(char c) {
  if (!inToken_) {
    tokens_.push_back(Token{pendingSpace_, std::string()});
    pendingSpace_.clear();
    inToken_ = true;
  }
  tokens_.back().text += c;
}

CommandLine CommandLineBuilder::build() const {
  CommandLine line;
  for (const Token& t : tokens_) {
    line.arguments.push_back(t.text);
    line.text += t.spaceBefore;
    if (t.text.find(' ') != std::string::npos)
      line.text += '"' + t.text + '"';
    else
      line.text += t.text;
  }
  line.text += pendingSpace_;
  return line;
}

std::string durationText(int32_t durationSec) {
  return std::to_string(durationSec / 60) + ":" + std::to_string(durationSec % 60) + " ";
}

std::string frameRateText(double frameRate) { return fixedNumber(frameRate, 4, 8); }

namespace {

bool isSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::Windows && c == '\\');
}

bool isDrivePath(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return false;
  const char d = path[0];
  return (d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z');
}

}  // namespace

std::string converterFilePath(const std::string& path, PathStyle style) {
  if (style == PathStyle::Windows && isDrivePath(path)) return path;
  // The converter reads "-..." as an option and "name:..." as a protocol; a
  // folder in front makes either an ordinary file name.
  bool readAsSyntax = !path.empty() && path[0] == '-';
  for (std::size_t i = 0; i < path.size() && !isSeparator(path[i], style); ++i)
    if (path[i] == ':') readAsSyntax = true;
  if (!readAsSyntax) return path;
  return (style == PathStyle::Windows ? ".\\" : "./") + path;
}

std::string filterPath(const std::string& assPath, PathStyle style) {
  std::string out;
  // The option parser takes a backslash as an escape, so a POSIX name's own
  // backslash is escaped like any other syntax character.
  for (char c : converterFilePath(assPath, style)) {
    if (c == '\\' && style == PathStyle::Windows)
      out += '/';
    else if (c == ':' || c == '\'' || c == '=' || c == '\\')
      out += std::string("\\") + c;
    else
      out += c;
  }
  return out;
}

std::string quotedFilterPath(const std::string& assPath, PathStyle style) {
  std::string out = "'";
  for (char c : filterPath(assPath, style)) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

namespace {

// Raw H.264 frames carry no presentation time. The MP4 muxer uses each frame's
// decoding time; the Matroska muxer does so only while the decoder reports no
// reordering and refuses the frame otherwise, so for it the time is copied first.
const char* timestampOptions(const std::string& outputPath) {
  const bool matroska = outputPath.size() >= 4 && outputPath.compare(outputPath.size() - 4, 4, ".mkv") == 0;
  return matroska ? " -bsf:v setts=pts=DTS" : "";
}

// The muxing of the raw streams; a script, when given, goes in as a third input
// and its subtitle track is copied beside the video and the audio.
CommandLine muxLine(const std::string& converter, const std::string& pcmPath, const std::string& h264Path,
                    const std::string* assPath, const std::string& outputPath, int32_t durationSec,
                    double frameRate, bool withAudio, PathStyle style) {
  CommandLineBuilder b;
  b.value(converter);
  if (withAudio) b.literal(" -f s16le -ar 48000 -ac 1 -i ").value(converterFilePath(pcmPath, style));
  b.literal(" -framerate ").literal(frameRateText(frameRate));
  b.literal(" -i ").value(converterFilePath(h264Path, style));
  if (assPath) {
    b.literal(" -i ").value(converterFilePath(*assPath, style));
    b.literal(withAudio ? " -map 1:v -map 0:a -map 2:s" : " -map 0:v -map 1:s");
  }
  b.literal(" -acodec aac -vcodec copy");
  if (assPath) b.literal(" -scodec copy");
  b.literal(timestampOptions(outputPath));
  // The Matroska muxer's checksums over every cluster cost as much time as copying
  // the video; players do not need them. The one pass is the whole conversion:
  // its progress line is kept, the rest silenced.
  if (assPath) b.literal(" -write_crc32 0 -stats");
  b.literal(" -y -t 00:").literal(durationText(durationSec));
  b.value(converterFilePath(outputPath, style)).literal(" -loglevel quiet");
  return b.build();
}

}  // namespace

CommandLine mp4CommandLine(const std::string& converter, const std::string& pcmPath,
                           const std::string& h264Path, const std::string& outputPath,
                           int32_t durationSec, double frameRate, bool withAudio, PathStyle style) {
  return muxLine(converter, pcmPath, h264Path, nullptr, outputPath, durationSec, frameRate, withAudio, style);
}

CommandLine trackMuxCommandLine(const std::string& converter, const std::string& pcmPath,
                                const std::string& h264Path, const std::string& assPath,
                                const std::string& outputPath, int32_t durationSec, double frameRate,
                                bool withAudio, PathStyle style) {
  return muxLine(converter, pcmPath, h264Path, &assPath, outputPath, durationSec, frameRate, withAudio, style);
}

CommandLine trackAudioCommandLine(const std::string& converter, const std::string& pcmPath, PathStyle style) {
  CommandLineBuilder b;
  b.value(converter).literal(" -f s16le -ar 48000 -ac 1 -i ").value(converterFilePath(pcmPath, style));
  b.literal(" -acodec aac -f adts pipe:1 -loglevel quiet");
  return b.build();
}

CommandLine trackJoinedMuxCommandLine(const std::string& converter, const std::string& h264Path,
                                      const std::string& assPath, const std::string& outputPath, int32_t durationSec,
                                      double frameRate, PathStyle style) {
  CommandLineBuilder b;
  b.value(converter).literal(" -framerate ").literal(frameRateText(frameRate));
  b.literal(" -i ").value(converterFilePath(h264Path, style));
  // The video is read far faster than the audio arrives: a long queue for the
  // pipe keeps the reading of one from waiting on the other.
  b.literal(" -thread_queue_size 1024 -f aac -i pipe:0");
  b.literal(" -i ").value(converterFilePath(assPath, style));
  b.literal(" -map 0:v -map 1:a -map 2:s -acodec copy -vcodec copy -scodec copy");
  b.literal(timestampOptions(outputPath));
  b.literal(" -write_crc32 0 -stats -y -t 00:").literal(durationText(durationSec));
  b.value(converterFilePath(outputPath, style)).literal(" -loglevel quiet");
  return b.build();
}

CommandLine withLogLevel(CommandLine line, const std::string& level) {
  std::vector<std::string>& a = line.arguments;
  if (a.size() < 2 || a[a.size() - 2] != "-loglevel") return line;
  const std::string& old = a.back();
  if (line.text.size() >= old.size() && line.text.compare(line.text.size() - old.size(), old.size(), old) == 0)
    line.text.replace(line.text.size() - old.size(), old.size(), level);
  a.back() = level;
  return line;
}

CommandLine encoderSubtitleCommandLine(const std::string& converter, const std::string& mp4Path,
                                       const std::string& assPath, const std::string& subOutputPath,
                                       const std::string& inputOptions, const std::string& filterTail,
                                       const std::string& encoderOptions, PathStyle style) {
  CommandLineBuilder b;
  b.value(converter).literal(inputOptions).literal(" -i ").value(converterFilePath(mp4Path, style));
  b.literal(" -vf subtitles=").value(quotedFilterPath(assPath, style) + filterTail);
  b.literal(encoderOptions).literal(" -y ").value(converterFilePath(subOutputPath, style));
  return b.build();
}

namespace {

CommandLine burnInLine(const std::string& converter, const std::string& mp4Path, const std::string& assPath,
                       const std::string& subOutputPath, const char* encoderOptions, PathStyle style) {
  return encoderSubtitleCommandLine(converter, mp4Path, assPath, subOutputPath, "", "", encoderOptions, style);
}

}  // namespace

CommandLine subtitleCommandLine(const std::string& converter, const std::string& mp4Path,
                                const std::string& assPath, const std::string& subOutputPath,
                                PathStyle style) {
  return burnInLine(converter, mp4Path, assPath, subOutputPath, "", style);
}

CommandLine fastSubtitleCommandLine(const std::string& converter, const std::string& mp4Path,
                                    const std::string& assPath, const std::string& subOutputPath,
                                    PathStyle style) {
  return burnInLine(converter, mp4Path, assPath, subOutputPath, " -preset veryfast", style);
}

}  // namespace vk2
