#pragma once
// How the core starts the converter: a small interface so tests can stand in a
// fake, and the platform layer supplies the real POSIX or Windows launcher.
#include <functional>
#include <string>
#include <vector>

namespace vk2 {

struct ProcessOutcome {
  bool started = false;    // the process could be created
  bool cancelled = false;  // ended by the caller's request (the process was killed)
  int exitStatus = -1;     // exit code when it ended by itself; -1 otherwise
  std::string error;       // why it could not be started, or how it ended abnormally
};

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;

  // Starts `argv` hidden (no console window; its standard streams never reach
  // the user's terminal) and waits without time-out for it to end. While
  // waiting, `keepWaiting` is called every few tens of milliseconds: it lets the
  // windows repaint and returns false to end the process early. `onOutput`, when
  // set, receives the process's diagnostic output as it arrives.
  virtual ProcessOutcome runHidden(const std::vector<std::string>& argv,
                                   const std::function<bool()>& keepWaiting,
                                   const std::function<void(const std::string&)>& onOutput) = 0;

  // As runHidden, with the process's standard output passed to `onOutput` as
  // well: for a converter asked to list something, which it prints there.
  virtual ProcessOutcome runHiddenReadingAll(const std::vector<std::string>& argv,
                                             const std::function<bool()>& keepWaiting,
                                             const std::function<void(const std::string&)>& onOutput) {
    return runHidden(argv, keepWaiting, onOutput);
  }

  // Starts a visible program (the file manager) without waiting for it.
  virtual bool startDetached(const std::vector<std::string>& argv) = 0;
};

}  // namespace vk2
