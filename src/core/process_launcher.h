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

// Two processes joined by a pipe.
struct JoinedOutcome {
  ProcessOutcome first, second;
  // The second ended (by itself) while the first still ran: the first then
  // lost its reader, and how it ended says nothing about the result.
  bool secondEndedFirst = false;
};

// The pair as one process: not started unless both started; the second's
// failure first, then the first's unless it only lost its reader.
inline ProcessOutcome combinedOutcome(const JoinedOutcome& joined) {
  if (!joined.first.started) return joined.first;
  if (!joined.second.started) {
    ProcessOutcome notStarted = joined.second;
    notStarted.started = false;
    return notStarted;
  }
  if (joined.first.cancelled || joined.second.cancelled) {
    ProcessOutcome cancelled = joined.second;
    cancelled.cancelled = true;
    if (cancelled.error.empty()) cancelled.error = "ended on request";
    return cancelled;
  }
  if (joined.second.exitStatus != 0) return joined.second;
  if (joined.first.exitStatus != 0 && !joined.secondEndedFirst) return joined.first;
  return joined.second;
}

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

  // Whether runJoined can be used; a launcher that cannot join two processes
  // is given their work as one process instead.
  virtual bool canJoinProcesses() const { return false; }

  // Starts `first` and `second` as runHidden does, the first's standard output
  // joined to the second's standard input by a pipe, and waits for both; the
  // diagnostic output of both goes to `onOutput`. A false `keepWaiting` ends both.
  virtual JoinedOutcome runJoined(const std::vector<std::string>& first, const std::vector<std::string>& second,
                                  const std::function<bool()>& keepWaiting,
                                  const std::function<void(const std::string&)>& onOutput) {
    (void)second, (void)keepWaiting, (void)onOutput;
    JoinedOutcome outcome;
    outcome.first.error = first.empty() ? "no program given" : first[0] + ": cannot be joined to another process here";
    return outcome;
  }

  // Starts a visible program (the file manager) without waiting for it.
  virtual bool startDetached(const std::vector<std::string>& argv) = 0;
};

}  // namespace vk2
