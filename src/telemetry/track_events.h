#pragma once
// The camera's alarm events in a track: where each one starts, that is, a
// record that raises it after one that did not.
#include <array>
#include <cstdint>
#include <vector>

#include "extract/drv_record.h"

namespace vk2 {

struct TrackEventKind {
  const char* name;
  uint8_t DrvRecord::*state;
};

// The subtitles' order and names.
inline constexpr std::array<TrackEventKind, 7> kTrackEvents{{
    {"FCW", &DrvRecord::fcwState},
    {"LDW", &DrvRecord::ldwState},
    {"FPW", &DrvRecord::fpwState},
    {"FVSA", &DrvRecord::fvsaState},
    {"G-Sensor", &DrvRecord::gsensorState},
    {"Speeding", &DrvRecord::speedingState},
    {"Panic", &DrvRecord::panicState},
}};

class EventStarts {
 public:
  // Feeds the next record of the track; the names of the events that start at
  // it, in the list's order. The first record starts every event it raises.
  std::vector<const char*> feed(const DrvRecord& record) {
    std::vector<const char*> started;
    for (std::size_t i = 0; i < kTrackEvents.size(); ++i) {
      const bool now = isRaised(record.*kTrackEvents[i].state);
      if (now && !raised_[i]) started.push_back(kTrackEvents[i].name);
      raised_[i] = now;
    }
    return started;
  }

 private:
  std::array<bool, kTrackEvents.size()> raised_{};
};

}  // namespace vk2
