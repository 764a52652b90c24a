#include "cli/interrupt.h"

#include "platform/stop_signals.h"

namespace vk2::cli {

void watchForInterrupt() { watchForStopSignals(); }

bool interruptRequested() { return stopSignalled(); }

void throwIfInterrupted() {
  if (stopSignalled()) throw Interrupted();
}

}  // namespace vk2::cli
