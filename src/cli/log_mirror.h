#pragma once
// Where the progress log goes besides the hidden list: a --log file (one line
// each, "\n" ends) and, for commands that show it, the terminal.
#include <fstream>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/hidden_log.h"

namespace vk2::cli {

// Throws FileError when `logPath` names one of `inputs`: a log must never replace a recording.
void refuseLogOverInputs(const std::string& logPath, const std::vector<std::string>& inputs);

class LogMirror {
 public:
  // Opens `logPath` when not empty; throws FileError when it cannot be created.
  explicit LogMirror(const std::string& logPath, std::ostream* terminal = nullptr);
  // Sends every line appended to `log` from now on to the file and terminal.
  void attach(HiddenLog& log);

 private:
  std::ofstream file_;
  std::ostream* terminal_;
};

}  // namespace vk2::cli
