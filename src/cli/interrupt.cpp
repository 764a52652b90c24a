#include "cli/interrupt.h"

#include <csignal>

namespace vk2::cli {

namespace {
volatile std::sig_atomic_t interruptFlag = 0;
extern "C" void onInterrupt(int) { interruptFlag = 1; }
}  // namespace

void watchForInterrupt() {
  interruptFlag = 0;
  std::signal(SIGINT, onInterrupt);
#ifdef SIGTERM
  std::signal(SIGTERM, onInterrupt);
#endif
#ifdef SIGBREAK
  std::signal(SIGBREAK, onInterrupt);  // Ctrl-Break, and the control event other programs send
#endif
}

bool interruptRequested() { return interruptFlag != 0; }

void throwIfInterrupted() {
  if (interruptFlag) throw Interrupted();
}

}  // namespace vk2::cli
