#include "platform/stop_signals.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

namespace vk2 {

namespace {

// Raised from a signal handler or the console's handler thread.
std::atomic<bool> stopFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

#ifdef _WIN32
// Windows ends the process about five seconds after a close, logoff or shutdown event anyway.
constexpr DWORD kCleanUpWaitMs = 5000;
// Once the program has cleaned up, its main thread returns the exit status at
// once; returning from the handler first would have Windows end the process
// with a status of its own.
constexpr DWORD kExitGraceMs = 1000;
HANDLE cleanedUp = nullptr;

void install() {
  if (!cleanedUp) {
    cleanedUp = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
  }
  ResetEvent(cleanedUp);
}
#else
extern "C" void onStopSignal(int) { stopFlag = true; }

void install() {
  struct sigaction stop {};
  stop.sa_handler = onStopSignal;
  sigemptyset(&stop.sa_mask);
  stop.sa_flags = SA_RESTART;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &stop, nullptr);
  }
  // A closed pipe fails the write (the line is lost), it does not end the program.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, nullptr);
}
#endif

}  // namespace

void watchForStopSignals() {
  stopFlag = false;
  install();
}

bool stopSignalled() { return stopFlag; }

#ifdef _WIN32
int __stdcall onConsoleEvent(unsigned long event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:  // also the event other programs send
      stopFlag = true;
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      stopFlag = true;
      if (WaitForSingleObject(cleanedUp, kCleanUpWaitMs) == WAIT_OBJECT_0) Sleep(kExitGraceMs);
      return TRUE;
    default:
      return FALSE;
  }
}

void reportCleanedUp() {
  if (cleanedUp) SetEvent(cleanedUp);
}
#else
void reportCleanedUp() {}
#endif

}  // namespace vk2
