#include "cli/progress_output.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <ostream>

#include "cli/log_mirror.h"
#include "core/file_error.h"

namespace vk2::cli {

ProgressOutput::ProgressOutput(const RunOptions& run, std::ostream& terminal)
    : terminal_(run.quiet ? nullptr : &terminal) {
  if (!run.logFile) return;
  refuseLogOverInputs(*run.logFile, run.inputs);
  // A target that is a file path names the MP4 before the scan; the log must not
  // truncate a file the run promises to leave unchanged when it fails.
  if (run.target) {
    const std::string& t = *run.target;
    const bool mp4 = t.size() >= 4 && t.compare(t.size() - 4, 4, ".mp4") == 0;
    std::error_code ec;
    if (std::filesystem::equivalent(*run.logFile, mp4 ? t : t + ".mp4", ec) && !ec)
      throw FileError(*run.logFile, "is the target; the log would replace it");
  }
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
