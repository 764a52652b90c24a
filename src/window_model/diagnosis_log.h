#pragma once
// Mirrors the hidden logs into a file for diagnosis when VK2_LOG_FILE names one.
// The windows never show the logs; this is the only place they can be read.
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "core/hidden_log.h"

namespace vk2::ui {

class DiagnosisLog {
 public:
  // The file named by VK2_LOG_FILE (emptied at start-up), or nothing when unset.
  // Throws FileError naming the file and the reason when it cannot be written.
  static std::unique_ptr<DiagnosisLog> fromEnvironment();
  explicit DiagnosisLog(const std::string& path);

  // Writes the lines `log` holds and every line appended later, with `prefix`.
  void follow(HiddenLog& log, const std::string& prefix);

 private:
  std::ofstream out_;
};

// fromEnvironment at start-up: a file that cannot be written is shown through
// `showError`, and the program goes on without the log.
std::unique_ptr<DiagnosisLog> openDiagnosisLog(const std::function<void(const std::string&)>& showError);

}  // namespace vk2::ui
