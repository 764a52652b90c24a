#pragma once
// The real converter launcher of this platform, the converter lookup and the
// file manager.
#include <memory>
#include <string>

#include "core/process_launcher.h"

namespace vk2 {

#ifndef _WIN32
// posix_spawn + waitpid. The child gets /dev/null as standard input and output
// and its own process group (a Ctrl-C on the terminal reaches only us, and
// ending it ends whatever it started); its standard error is read through a pipe.
class PosixProcessLauncher : public ProcessLauncher {
 public:
  ProcessOutcome runHidden(const std::vector<std::string>& argv, const std::function<bool()>& keepWaiting,
                           const std::function<void(const std::string&)>& onOutput) override;
  ProcessOutcome runHiddenReadingAll(const std::vector<std::string>& argv, const std::function<bool()>& keepWaiting,
                                     const std::function<void(const std::string&)>& onOutput) override;
  bool canJoinProcesses() const override { return true; }
  JoinedOutcome runJoined(const std::vector<std::string>& first, const std::vector<std::string>& second,
                          const std::function<bool()>& keepWaiting,
                          const std::function<void(const std::string&)>& onOutput) override;
  bool startDetached(const std::vector<std::string>& argv) override;

 private:
  ProcessOutcome run(const std::vector<std::string>& argv, const std::function<bool()>& keepWaiting,
                     const std::function<void(const std::string&)>& onOutput, bool standardOutputToo);
};
#else
// CreateProcessA with a hidden window, waited on in short slices.
class WindowsProcessLauncher : public ProcessLauncher {
 public:
  ProcessOutcome runHidden(const std::vector<std::string>& argv, const std::function<bool()>& keepWaiting,
                           const std::function<void(const std::string&)>& onOutput) override;
  ProcessOutcome runHiddenReadingAll(const std::vector<std::string>& argv, const std::function<bool()>& keepWaiting,
                                     const std::function<void(const std::string&)>& onOutput) override;
  bool canJoinProcesses() const override { return true; }
  JoinedOutcome runJoined(const std::vector<std::string>& first, const std::vector<std::string>& second,
                          const std::function<bool()>& keepWaiting,
                          const std::function<void(const std::string&)>& onOutput) override;
  bool startDetached(const std::vector<std::string>& argv) override;

 private:
  ProcessOutcome run(const std::vector<std::string>& argv, const std::function<bool()>& keepWaiting,
                     const std::function<void(const std::string&)>& onOutput, bool standardOutputToo);
};
#endif

std::unique_ptr<ProcessLauncher> makeProcessLauncher();

inline constexpr const char* kConverterNotFoundMessage =
    "converter not found in the current folder or on PATH";

// Windows: <current folder>\ffmpeg.exe. Elsewhere: <current folder>/ffmpeg when it
// is an executable file, else the full path of "ffmpeg" found on PATH; empty when
// neither exists.
std::string converterPath();

// Opens the folder in the file manager without waiting; failures are ignored
// (the result only says whether it could be started).
bool openFolderInFileManager(ProcessLauncher& launcher, const std::string& folder);

}  // namespace vk2
