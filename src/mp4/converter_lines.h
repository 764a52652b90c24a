#pragma once
// What the converter wrote to its standard error, kept to say why a step
// failed: its last lines, and its reason, the last of them.
#include <deque>
#include <string>
#include <vector>

#include "core/hidden_log.h"

namespace vk2 {

class ConverterLines {
 public:
  // The next piece of output, whole lines or not ('\n', '\r' or both end one).
  void feed(const std::string& chunk);

  // Up to the last five lines, oldest first, a last unfinished one included:
  // blank lines and progress lines ("frame=...", "size=...") are left out,
  // control characters blanked and each line cut at 500 bytes.
  std::vector<std::string> lastLines() const;

  // The converter's own reason: the last line other than its closing
  // "Conversion failed!", without the "[component @ 0x...] " in front or a
  // closing '.' or "--"; "" when it said nothing.
  std::string reason() const;

 private:
  void endLine();
  std::string pending_;
  std::deque<std::string> lines_;
};

// Logs what the converter said ("converter: " and each of its last lines) and
// ends `message` with its reason (": ..."); nothing when it said nothing.
void addConverterReason(HiddenLog& log, const ConverterLines& said, std::string& message);

}  // namespace vk2
