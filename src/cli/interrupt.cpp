#include "cli/interrupt.h"

#include <atomic>

#ifdef _WIN32
#include <csignal>
#else
#include <signal.h>
#endif

namespace vk2::cli {

namespace {

// Raised from a signal handler.
std::atomic<bool> stopFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

#ifdef _WIN32
extern "C" void onStopSignal(int) { stopFlag = true; }

void install() {
  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
  std::signal(SIGBREAK, onStopSignal);  // Ctrl-Break, and the control event other programs send
}
#else
extern "C" void onStopSignal(int) { stopFlag = true; }

void install() {
  struct sigaction stop {};
  stop.sa_handler = onStopSignal;
  sigemptyset(&stop.sa_mask);
  stop.sa_flags = SA_RESTART;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal ignored from the start stays so: `nohup vk2mp4 ...` must outlive its terminal.
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &stop, nullptr);
  }
  // A closed pipe fails the write (the line is lost), it does not end the run.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, nullptr);
}
#endif

}  // namespace

void watchForInterrupt() {
  stopFlag = false;
  install();
}

bool interruptRequested() { return stopFlag; }

void throwIfInterrupted() {
  if (stopFlag) throw Interrupted();
}

}  // namespace vk2::cli
