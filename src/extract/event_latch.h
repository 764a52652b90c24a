#pragma once
// Keeps an event's title on screen for a while after the camera stops raising it.
#include <cstdint>

#include "extract/drv_record.h"

namespace vk2 {

// Records a title stays after its last raise (when the hold had not started).
constexpr int kEventHoldRecords = 15;

struct EventLatch {
  bool raised = false;
  int holdCount = 0;

  // Feeds one record's state byte; true when the event's title shows for it.
  // A new raise does not reset the hold count, so an interrupted hold ends early.
  bool update(uint8_t state) {
    if (isRaised(state)) {
      raised = true;
      return true;
    }
    if (!raised) return false;
    if (++holdCount >= kEventHoldRecords) {
      raised = false;
      holdCount = 0;
    }
    return true;
  }
};

}  // namespace vk2
