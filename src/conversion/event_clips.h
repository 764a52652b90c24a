#pragma once
// A clip per alarm event: each episode's window (some seconds before its start
// to some after its end), held within the recordings of its trip, windows that
// overlap joined into one clip, and each clip as a conversion the trims can
// describe: the consecutive files it touches and whole seconds off their span.
// Planning only; no toolkit and no converter here, so the command line and the
// windows make the same clips.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "telemetry/event_episodes.h"

namespace vk2 {

inline constexpr int32_t kDefaultSecondsBefore = 20;
inline constexpr int32_t kDefaultSecondsAfter = 10;

struct ClipMargins {
  int32_t before = kDefaultSecondsBefore;
  int32_t after = kDefaultSecondsAfter;
};

// One recording of a trip as its info block describes it.
struct ClipFile {
  std::string path;
  int32_t start = 0;   // start stamp, seconds since 1970
  int32_t end = 0;     // end stamp
  int32_t frames = 0;  // the info block's frame count
};

struct EventClip {
  std::vector<std::string> files;  // consecutive files of the trip, in time order
  int32_t spanStart = 0;           // the first file's start stamp
  int32_t spanEnd = 0;             // the last file's end stamp
  int32_t trimStart = 0;           // whole seconds off the span, as convert's trims
  int32_t trimEnd = 0;
  std::vector<std::size_t> kinds;  // indices into kTrackEvents, in the order they first start
  std::size_t episodes = 0;
  int32_t firstStartClock = 0;  // the first episode's start, records' clock
  std::size_t firstKind = 0;
  std::string name;  // set by nameClips

  int32_t windowStart() const { return spanStart + trimStart; }
  int32_t windowEnd() const { return spanEnd - trimEnd; }
  // "G-Sensor, FCW"
  std::string kindsText() const;
};

// The clips of one trip (or one selection) whose files are `files` in time
// order and whose episodes `episodes` were placed in those files, in start
// order. A trip shorter than the trims' minimum gives its whole length.
std::vector<EventClip> planClips(const std::vector<ClipFile>& files, const std::vector<EventEpisode>& episodes,
                                 ClipMargins margins);

// "20211029_080553_G-Sensor" + extension for every clip of the batch, in the
// local zone or UTC; a name an earlier clip has gets "-2", "-3" ... before the extension.
void nameClips(std::vector<EventClip>& clips, bool local, const std::string& extension);

// "2021-10-29 08:05:33 - 2021-10-29 08:06:13, 40 s, G-Sensor, FCW"
std::string clipDescription(const EventClip& clip, bool local);

}  // namespace vk2
