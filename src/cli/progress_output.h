#pragma once
// Where the progress log goes on the command line: each line the stages append
// to the main log is echoed to the terminal (unless quiet) and to the --log
// file, "\n" after each.
#include <fstream>
#include <iosfwd>
#include <string>

#include "cli/run_options.h"
#include "core/hidden_log.h"

namespace vk2::cli {

class ProgressOutput {
 public:
  // Creates the --log file; throws FileError naming it when that fails.
  ProgressOutput(const RunOptions& run, std::ostream& terminal);
  ProgressOutput(const ProgressOutput&) = delete;
  ProgressOutput& operator=(const ProgressOutput&) = delete;

  // Mirrors every line appended to `log` from now on; the output must outlive
  // the log's use.
  void attach(HiddenLog& log);

 private:
  void write(const std::string& line);

  std::ostream* terminal_;  // null when quiet
  std::ofstream file_;
};

}  // namespace vk2::cli
