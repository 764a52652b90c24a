#pragma once
// A program started the way Explorer starts it, in a chosen current folder and
// ended for certain when the driver is done with it.
#include <windows.h>

#include <string>

namespace vk2::driver {

class ProgramRun {
 public:
  // Starts `exe` in `folder` with this process's environment; throws DriverFailure.
  ProgramRun(const std::string& exe, const std::string& folder);
  ~ProgramRun();  // ends the program if it still runs
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  DWORD id() const { return info_.dwProcessId; }
  // Waits up to `seconds` for the program to end; its exit code, or throws.
  DWORD waitForExit(double seconds);

 private:
  PROCESS_INFORMATION info_{};
  bool ended_ = false;
};

}  // namespace vk2::driver
