#include "telemetry/event_episodes.h"

#include <algorithm>
#include <cmath>

#include "telemetry/track_text.h"

namespace vk2 {

namespace {

// Enough for 2 s of records at any rate a camera writes; a clock that stands
// still or goes back must not grow the list without end.
constexpr std::size_t kMaxRecent = 1024;

}  // namespace

double accelerationFromRest(const DrvRecord& r) {
  const double x = DrvRecord::toG(r.accelX);
  const double y = DrvRecord::toG(r.accelY);
  const double z = DrvRecord::toG(r.accelZ) - 1.0;
  return std::sqrt(x * x + y * y + z * z);
}

void EpisodeFinder::feed(const DrvRecord& record, const RecordPlace& place) {
  const int32_t clock = record.sampleTime;
  const double acceleration = accelerationFromRest(record);
  while (!recent_.empty() && (recent_.front().clock < static_cast<int64_t>(clock) - kEpisodeAccelerationSeconds ||
                              recent_.size() >= kMaxRecent))
    recent_.pop_front();
  recent_.push_back(Recent{clock, acceleration});

  const std::vector<std::size_t> started = starts_.feed(record);
  for (std::size_t kind = 0; kind < kTrackEvents.size(); ++kind) {
    const bool raised = isRaised(record.*kTrackEvents[kind].state);
    const bool starts = std::find(started.begin(), started.end(), kind) != started.end();
    std::optional<Open>& open = open_[kind];
    if (open && (starts || (!raised && !continuesEpisode(open->lastRaise, clock)))) close(kind);
    if (starts) {
      Open o;
      o.order = order_;
      o.lastRaise = clock;
      EventEpisode& e = o.episode;
      e.kind = kind;
      e.startClock = e.endClock = clock;
      e.start = e.end = place;
      if (hasPositionFix(record)) e.position = TrackPosition{record.latitude, record.longitude, clock};
      e.startSpeedKmh = e.maxSpeedKmh = record.speedKmh;
      for (const Recent& r : recent_) e.maxAcceleration = std::max(e.maxAcceleration, r.acceleration);
      open = o;
    } else if (open && raised) {
      EventEpisode& e = open->episode;
      e.endClock = open->lastRaise = clock;
      e.end = place;
      e.maxSpeedKmh = std::max({e.maxSpeedKmh, open->gapMaxSpeed, static_cast<int>(record.speedKmh)});
      e.maxAcceleration = std::max({e.maxAcceleration, open->gapMaxAcceleration, acceleration});
      open->gapMaxSpeed = 0;
      open->gapMaxAcceleration = 0.0;
    } else if (open) {
      open->gapMaxSpeed = std::max(open->gapMaxSpeed, static_cast<int>(record.speedKmh));
      const int64_t after = static_cast<int64_t>(clock) - open->lastRaise;
      if (after >= 0 && after <= kEpisodeAccelerationSeconds)
        open->episode.maxAcceleration = std::max(open->episode.maxAcceleration, acceleration);
      else
        open->gapMaxAcceleration = std::max(open->gapMaxAcceleration, acceleration);
    }
  }
  ++order_;
}

void EpisodeFinder::close(std::size_t kind) {
  closed_.emplace_back(open_[kind]->order, open_[kind]->episode);
  open_[kind].reset();
}

std::vector<EventEpisode> EpisodeFinder::finish() {
  for (std::size_t kind = 0; kind < kTrackEvents.size(); ++kind)
    if (open_[kind]) close(kind);
  std::stable_sort(closed_.begin(), closed_.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.kind < b.second.kind;
  });
  std::vector<EventEpisode> episodes;
  episodes.reserve(closed_.size());
  for (auto& [order, episode] : closed_) episodes.push_back(episode);
  closed_.clear();
  return episodes;
}

EpisodeReading FindEpisodes(StageContext& ctx) {
  EpisodeFinder finder;
  EpisodeReading reading;
  reading.track = ReadPlacedTrack(
      ctx, [&finder](const DrvRecord& record, const RecordPlace& place) { finder.feed(record, place); });
  reading.episodes = finder.finish();
  return reading;
}

}  // namespace vk2
