#include "mp4/converter_lines.h"

namespace vk2 {

namespace {

constexpr std::size_t kKeptLines = 5;
constexpr std::size_t kLongestLine = 500;

std::string trimmed(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

bool isProgress(const std::string& line) { return line.rfind("frame=", 0) == 0 || line.rfind("size=", 0) == 0; }

// "[mp4 @ 0x55d0c1a2b3c0] Could not find tag" -> "Could not find tag".
std::string withoutComponent(const std::string& line) {
  if (line.empty() || line[0] != '[') return line;
  const std::size_t close = line.find("] ");
  if (close == std::string::npos || line.find(" @ ") > close) return line;
  return line.substr(close + 2);
}

}  // namespace

void ConverterLines::feed(const std::string& chunk) {
  for (const char c : chunk) {
    if (c == '\n' || c == '\r') {
      endLine();
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    // Blanked: the reason reaches a terminal and a message box.
    if (pending_.size() < kLongestLine) pending_ += byte < 0x20 || byte == 0x7F ? ' ' : c;
  }
}

void ConverterLines::endLine() {
  std::string line = trimmed(pending_);
  pending_.clear();
  if (line.empty() || isProgress(line)) return;
  lines_.push_back(std::move(line));
  if (lines_.size() > kKeptLines) lines_.pop_front();
}

std::vector<std::string> ConverterLines::lastLines() const {
  ConverterLines ended = *this;
  ended.endLine();
  return std::vector<std::string>(ended.lines_.begin(), ended.lines_.end());
}

std::string ConverterLines::reason() const {
  const std::vector<std::string> lines = lastLines();
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    if (*line == "Conversion failed!") continue;
    std::string text = withoutComponent(*line);
    // "Error initializing output stream 0:1 -- " ends where an empty error text was put.
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "--") == 0) text.resize(text.size() - 2);
    text = trimmed(text);
    while (!text.empty() && text.back() == '.') text.pop_back();
    if (!text.empty()) return text;
  }
  return std::string();
}

void addConverterReason(HiddenLog& log, const ConverterLines& said, std::string& message) {
  for (const std::string& line : said.lastLines()) log.append("converter: " + line);
  const std::string reason = said.reason();
  if (!reason.empty()) message += ": " + reason;
}

}  // namespace vk2
