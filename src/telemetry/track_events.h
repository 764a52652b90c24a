#pragma once
// The camera's alarm events in a track and the one rule for their episodes:
// a raise starts an episode of its kind unless the kind was last raised at
// most kEpisodeJoinSeconds before it, by the records' own clock; then it
// continues that episode. Kinds are independent of each other.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
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

// Raises of one kind this close (in seconds of the records' clock) belong to one episode.
inline constexpr int32_t kEpisodeJoinSeconds = 3;

// Whether a raise at `clock` continues an episode last raised at `lastRaise`. A
// clock that goes back (a damaged record, a clock reset between files) starts afresh.
inline bool continuesEpisode(int32_t lastRaise, int32_t clock) {
  const int64_t apart = static_cast<int64_t>(clock) - lastRaise;
  return apart >= 0 && apart <= kEpisodeJoinSeconds;
}

class EventStarts {
 public:
  // Feeds the next record of the track; the kinds (indices into kTrackEvents)
  // whose episodes start at it, in the list's order.
  std::vector<std::size_t> feed(const DrvRecord& record) {
    std::vector<std::size_t> started;
    for (std::size_t i = 0; i < kTrackEvents.size(); ++i) {
      if (!isRaised(record.*kTrackEvents[i].state)) continue;
      if (!lastRaise_[i] || !continuesEpisode(*lastRaise_[i], record.sampleTime)) started.push_back(i);
      lastRaise_[i] = record.sampleTime;
    }
    return started;
  }

 private:
  std::array<std::optional<int32_t>, kTrackEvents.size()> lastRaise_{};
};

}  // namespace vk2
