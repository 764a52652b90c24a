#include "cli/log_mirror.h"

#include <cerrno>
#include <ostream>

#include "core/file_error.h"
#include "core/file_identity.h"

namespace vk2::cli {

LogMirror::LogMirror(std::ostream* terminal) {
  if (terminal) show_ = [terminal](const std::string& line) { *terminal << line << '\n' << std::flush; };
}

void LogMirror::openFile(const std::string& path, const HiddenLog& log, const std::vector<std::string>& recordings,
                         const std::vector<std::string>& commandFiles) {
  if (path.empty()) return;
  for (const std::string& recording : recordings)
    if (sameFile(path, recording))
      throw FileError(recording, "is a selected recording, and this command would write its log " + path +
                                     " over it; choose another log file");
  for (const std::string& own : commandFiles)
    if (sameFile(path, own))
      throw FileError(path, "is the target or a working file of this command; the log would replace it");
  path_ = path;
  errno = 0;
  file_.open(path_, std::ios::binary | std::ios::trunc);
  if (!file_) throw FileError(path_, "cannot create the log file" + (errno ? ": " + systemReason(errno) : ""));
  for (const std::string& line : log.lines()) writeToFile(line);
}

void LogMirror::attach(HiddenLog& log) {
  log.setObserver([this](const std::string& line) {
    if (show_) show_(line);
    writeToFile(line);
  });
}

void LogMirror::writeToFile(const std::string& line) {
  if (!file_.is_open() || !fileError_.empty()) return;
  errno = 0;
  file_ << line << '\n' << std::flush;
  if (!file_) fileError_ = path_ + ": cannot write the log file" + (errno ? ": " + systemReason(errno) : "");
}

}  // namespace vk2::cli
