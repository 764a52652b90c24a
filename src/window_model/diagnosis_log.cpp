#include "window_model/diagnosis_log.h"

#include <cerrno>
#include <cstdlib>

#include "core/file_error.h"

namespace vk2::ui {

std::unique_ptr<DiagnosisLog> DiagnosisLog::fromEnvironment() {
  const char* path = std::getenv("VK2_LOG_FILE");
  if (!path || !*path) return nullptr;
  return std::make_unique<DiagnosisLog>(path);
}

DiagnosisLog::DiagnosisLog(const std::string& path) {
  errno = 0;
  out_.open(path, std::ios::trunc);
  if (!out_) {
    const int error = errno;
    throw FileError(path, "the diagnosis log (VK2_LOG_FILE) cannot be written: " +
                              (error != 0 ? systemReason(error) : std::string("the file cannot be opened")));
  }
}

void DiagnosisLog::follow(HiddenLog& log, const std::string& prefix) {
  for (const std::string& line : log.lines()) out_ << prefix << line << '\n';
  out_.flush();
  log.setObserver([this, prefix](const std::string& line) {
    if (!out_) return;  // after a failed write (a full disk) the rest is dropped
    out_ << prefix << line << '\n';
    out_.flush();
  });
}

std::unique_ptr<DiagnosisLog> openDiagnosisLog(const std::function<void(const std::string&)>& showError) {
  try {
    return DiagnosisLog::fromEnvironment();
  } catch (const FileError& e) {
    showError(e.what());
    return nullptr;
  }
}

}  // namespace vk2::ui
