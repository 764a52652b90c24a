#pragma once
// Stopping a command that writes: Ctrl-C, SIGTERM, SIGHUP (the terminal or the
// session closed) and, on Windows, a closed console, logoff and shutdown all end
// it the same way. Their handler only raises a flag (platform/stop_signals),
// which the command's pump turns into a stop (an Interrupted exception, or the
// run's requestStop) at the next chance; the command then cleans up and exits
// with status 1.
#include <stdexcept>

namespace vk2::cli {

class Interrupted : public std::runtime_error {
 public:
  Interrupted() : std::runtime_error("interrupted") {}
};

// Installs the handlers (once) and clears the flag; SIGPIPE is ignored from then on.
void watchForInterrupt();
bool interruptRequested();
// Throws Interrupted once a stop was asked for.
void throwIfInterrupted();

}  // namespace vk2::cli
