#ifdef _WIN32
#include <windows.h>

#include <vector>

#include "platform/process_launch.h"

namespace vk2 {

namespace {

constexpr DWORD kWaitSliceMs = 50;

// The narrow command line: arguments joined by blanks, those containing a blank
// in double quotes.
std::string commandLineOf(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& a : argv) {
    if (!line.empty()) line += ' ';
    if (a.find(' ') == std::string::npos) {
      line += a;
      continue;
    }
    // Backslashes before the closing quote are doubled so they stay backslashes.
    std::size_t trailing = 0;
    while (trailing < a.size() && a[a.size() - 1 - trailing] == '\\') ++trailing;
    line += '"' + a + std::string(trailing, '\\') + '"';
  }
  return line;
}

bool create(const std::vector<std::string>& argv, WORD showWindow, PROCESS_INFORMATION& info) {
  std::string line = commandLineOf(argv);
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = showWindow;
  ZeroMemory(&info, sizeof info);
  return CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info) != 0;
}

}  // namespace

ProcessOutcome WindowsProcessLauncher::runHidden(const std::vector<std::string>& argv,
                                                 const std::function<bool()>& keepWaiting,
                                                 const std::function<void(const std::string&)>&) {
  ProcessOutcome outcome;
  PROCESS_INFORMATION info;
  if (argv.empty() || !create(argv, SW_HIDE, info)) {
    outcome.error = "CreateProcessA failed with error " + std::to_string(GetLastError());
    return outcome;
  }
  outcome.started = true;
  while (WaitForSingleObject(info.hProcess, kWaitSliceMs) == WAIT_TIMEOUT) {
    if (keepWaiting && !keepWaiting()) {
      TerminateProcess(info.hProcess, 1);
      WaitForSingleObject(info.hProcess, INFINITE);
      outcome.cancelled = true;
      outcome.error = "ended on request";
      break;
    }
  }
  DWORD code = 0;
  if (!outcome.cancelled && GetExitCodeProcess(info.hProcess, &code)) outcome.exitStatus = static_cast<int>(code);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return outcome;
}

bool WindowsProcessLauncher::startDetached(const std::vector<std::string>& argv) {
  PROCESS_INFORMATION info;
  if (argv.empty() || !create(argv, SW_SHOW, info)) return false;
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return true;
}

std::unique_ptr<ProcessLauncher> makeProcessLauncher() { return std::make_unique<WindowsProcessLauncher>(); }

}  // namespace vk2
#endif
