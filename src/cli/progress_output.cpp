#include "cli/progress_output.h"

#include <cerrno>
#include <ostream>

#include "cli/log_mirror.h"
#include "mmv/mmv_error.h"

namespace vk2::cli {

ProgressOutput::ProgressOutput(const RunOptions& run, std::ostream& terminal)
    : terminal_(run.quiet ? nullptr : &terminal) {
  if (!run.logFile) return;
  refuseLogOverInputs(*run.logFile, run.inputs);
  errno = 0;
  file_.open(*run.logFile, std::ios::binary | std::ios::trunc);
  if (!file_)
    throw FileError(*run.logFile,
                    "cannot create the log file" + (errno ? ": " + systemReason(errno) : ""));
}

void ProgressOutput::attach(HiddenLog& log) {
  log.setObserver([this](const std::string& line) { write(line); });
}

void ProgressOutput::write(const std::string& line) {
  if (terminal_) *terminal_ << line << '\n' << std::flush;
  if (file_.is_open()) file_ << line << '\n' << std::flush;
}

}  // namespace vk2::cli
