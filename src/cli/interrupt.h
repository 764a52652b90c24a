#pragma once
// Stopping a command that writes: Ctrl-C, SIGTERM and SIGHUP (the terminal or
// the session closed) all end it the same way. The handler only raises a flag,
// which the command's pump turns into a stop (an Interrupted exception, or the
// run's requestStop) at the next chance; the command then cleans up and exits
// with status 1.
#include <stdexcept>

namespace vk2::cli {

class Interrupted : public std::runtime_error {
 public:
  Interrupted() : std::runtime_error("interrupted") {}
};

// Installs the handlers and clears the flag. On POSIX, SIGPIPE is ignored from
// then on: a reader of the output that goes away only loses the lines, the
// command goes on.
void watchForInterrupt();
bool interruptRequested();
// Throws Interrupted once a stop was asked for.
void throwIfInterrupted();

}  // namespace vk2::cli
