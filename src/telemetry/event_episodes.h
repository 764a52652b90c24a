#pragma once
// The alarm-event episodes of a track: consecutive raises of one kind, joined
// by the episode rule of track_events.h, each with what a reader of an
// incident wants at a glance. Found in one pass over the records; only the
// last seconds of accelerations are held.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "telemetry/track_events.h"
#include "telemetry/track_points.h"
#include "telemetry/track_reader.h"

namespace vk2 {

// How far around an episode its largest acceleration is looked for.
inline constexpr int32_t kEpisodeAccelerationSeconds = 2;

// The acceleration besides gravity in g: √(X² + Y² + (Z − 1)²), Z carrying 1 g at rest.
double accelerationFromRest(const DrvRecord& record);

struct EventEpisode {
  std::size_t kind = 0;    // index into kTrackEvents
  int32_t startClock = 0;  // the records' own clock (seconds since 1970 UTC) at the first raise
  int32_t endClock = 0;    // ... and at the last
  RecordPlace start;       // where the first and the last raising record lie
  RecordPlace end;
  std::optional<TrackPosition> position;  // at the first raise; none without a fix
  int startSpeedKmh = 0;
  int maxSpeedKmh = 0;  // over every record from the first raise to the last
  double maxAcceleration = 0.0;  // accelerationFromRest's largest within 2 s of the episode, in g

  const char* name() const { return kTrackEvents[kind].name; }
};

class EpisodeFinder {
 public:
  void feed(const DrvRecord& record, const RecordPlace& place);
  // The episodes in the order they start (kinds starting together in the list's order).
  std::vector<EventEpisode> finish();

 private:
  struct Open {
    EventEpisode episode;
    std::size_t order = 0;  // the record it starts at
    int32_t lastRaise = 0;
    int gapMaxSpeed = 0;              // records after the last raise, counted when the episode goes on
    double gapMaxAcceleration = 0.0;  // ... beyond the 2 s after it
  };
  struct Recent {
    int32_t clock;
    double acceleration;
  };

  void close(std::size_t kind);

  EventStarts starts_;
  std::array<std::optional<Open>, kTrackEvents.size()> open_{};
  std::deque<Recent> recent_;  // the records of the last 2 s, for an episode that starts
  std::vector<std::pair<std::size_t, EventEpisode>> closed_;
  std::size_t order_ = 0;
};

// The episodes of ctx's selection with its trims, as the track files see its records.
struct EpisodeReading {
  std::vector<EventEpisode> episodes;
  TrackReading track;
};
EpisodeReading FindEpisodes(StageContext& ctx);

}  // namespace vk2
