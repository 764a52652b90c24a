#include "cli/log_mirror.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <ostream>

#include "core/file_error.h"

namespace vk2::cli {

void refuseLogOverInputs(const std::string& logPath, const std::vector<std::string>& inputs) {
  if (logPath.empty()) return;
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (std::filesystem::equivalent(logPath, input, ec) && !ec)
      throw FileError(logPath, "is one of the recordings; the log would replace it");
  }
}

LogMirror::LogMirror(const std::string& logPath, std::ostream* terminal) : terminal_(terminal) {
  if (logPath.empty()) return;
  file_.open(logPath, std::ios::binary | std::ios::trunc);
  if (!file_) throw FileError(logPath, "cannot create the log file: " + systemReason(errno));
}

void LogMirror::attach(HiddenLog& log) {
  log.setObserver([this](const std::string& line) {
    if (file_.is_open()) file_ << line << '\n' << std::flush;
    if (terminal_) *terminal_ << line << '\n';
  });
}

}  // namespace vk2::cli
