#pragma once
// Where the progress log goes besides the hidden list: a --log file (one line
// each, "\n" ends) and, for commands that show it, the terminal.
#include <fstream>
#include <iosfwd>
#include <string>

#include "conversion/hidden_log.h"

namespace vk2::cli {

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
