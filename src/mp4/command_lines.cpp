#include "mp4/command_lines.h"

#include <cstdio>

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

std::string frameRateText(double frameRate) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%8.4f", frameRate);
  return buffer;
}

std::string filterPath(const std::string& assPath) {
  std::string out;
  for (char c : assPath) {
    if (c == '\\')
      out += '/';
    else if (c == ':' || c == '\'' || c == '=')
      out += std::string("\\") + c;
    else
      out += c;
  }
  return out;
}

std::string quotedFilterPath(const std::string& assPath) {
  std::string out = "'";
  for (char c : filterPath(assPath)) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

CommandLine mp4CommandLine(const std::string& converter, const std::string& pcmPath,
                           const std::string& h264Path, const std::string& outputPath,
                           int32_t durationSec, double frameRate, bool withAudio) {
  CommandLineBuilder b;
  b.value(converter);
  if (withAudio) b.literal(" -f s16le -ar 48000 -ac 1 -i ").value(pcmPath);
  b.literal(" -framerate ").literal(frameRateText(frameRate));
  b.literal(" -i ").value(h264Path);
  b.literal(" -acodec aac -vcodec copy -y -t 00:").literal(durationText(durationSec));
  b.value(outputPath).literal(" -loglevel quiet");
  return b.build();
}

CommandLine subtitleCommandLine(const std::string& converter, const std::string& mp4Path,
                                const std::string& assPath, const std::string& subOutputPath) {
  CommandLineBuilder b;
  b.value(converter).literal(" -i ").value(mp4Path);
  b.literal(" -vf subtitles=").value(quotedFilterPath(assPath));
  b.literal(" -y ").value(subOutputPath);
  return b.build();
}

}  // namespace vk2
