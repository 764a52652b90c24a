#include "win32-gui-driver/program_run.h"

#include <vector>

#include "win32-gui-driver/remote_window.h"

namespace vk2::driver {

ProgramRun::ProgramRun(const std::string& exe, const std::string& folder) {
  std::string line = "\"" + exe + "\"";
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &info_))
    throw DriverFailure("cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")");
  // Its windows can be looked for once it waits for input.
  WaitForInputIdle(info_.hProcess, 30000);
}

ProgramRun::~ProgramRun() {
  if (!ended_) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 10000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

DWORD ProgramRun::waitForExit(double seconds) {
  if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(seconds * 1000)) != WAIT_OBJECT_0)
    throw DriverFailure("the program did not end within " + std::to_string(static_cast<int>(seconds)) + " s");
  ended_ = true;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

}  // namespace vk2::driver
