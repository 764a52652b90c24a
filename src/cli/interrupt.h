#pragma once
// Stopping a command that writes: Ctrl-C, SIGTERM, SIGHUP (the terminal or the
// session closed) and, on Windows, a closed console, logoff and shutdown all end
// it the same way. The handler only raises a flag, which the command's pump
// turns into a stop (an Interrupted exception, or the run's requestStop) at the
// next chance; the command then cleans up and exits with status 1.
#include <stdexcept>

namespace vk2::cli {

class Interrupted : public std::runtime_error {
 public:
  Interrupted() : std::runtime_error("interrupted") {}
};

// Installs the handlers (once) and clears the flag. On POSIX, SIGPIPE is
// ignored from then on: a reader of the output that goes away only loses the
// lines, the command goes on.
void watchForInterrupt();
bool interruptRequested();
// Throws Interrupted once a stop was asked for.
void throwIfInterrupted();

// The command has ended and removed what it had to. A console handler that
// waits for this (Windows: close, logoff, shutdown) lets the process end.
void reportCleanedUp();

#ifdef _WIN32
// The console control handler, as SetConsoleCtrlHandler takes it (BOOL WINAPI
// (DWORD)). Ctrl-C and Ctrl-Break raise the flag and return at once. After a
// close, logoff or shutdown event Windows ends the process as soon as the
// handler returns, so it raises the flag and waits, a few seconds at most,
// until reportCleanedUp().
int __stdcall onConsoleEvent(unsigned long event);
#endif

}  // namespace vk2::cli
