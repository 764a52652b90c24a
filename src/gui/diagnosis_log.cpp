#include "gui/diagnosis_log.h"

#include <cstdlib>

namespace vk2::gui {

std::unique_ptr<DiagnosisLog> DiagnosisLog::fromEnvironment() {
  const char* path = std::getenv("VK2_LOG_FILE");
  if (!path || !*path) return nullptr;
  return std::make_unique<DiagnosisLog>(path);
}

DiagnosisLog::DiagnosisLog(const std::string& path) : out_(path, std::ios::trunc) {}

void DiagnosisLog::follow(HiddenLog& log, const std::string& prefix) {
  for (const std::string& line : log.lines()) out_ << prefix << line << '\n';
  out_.flush();
  log.setObserver([this, prefix](const std::string& line) {
    if (!out_) return;  // a file that cannot be written is ignored
    out_ << prefix << line << '\n';
    out_.flush();
  });
}

}  // namespace vk2::gui
