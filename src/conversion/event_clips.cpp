#include "conversion/event_clips.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "core/calendar_time.h"
#include "core/time_window.h"

namespace vk2 {

namespace {

// When a place lies by the recordings' own stamps: the windows of episodes
// are laid out, held and joined on this clock.
double wallTime(const std::vector<ClipFile>& files, const RecordPlace& place) {
  return files[place.file].start + place.secondsIntoFile;
}

// Seconds into the span of files[first..last] as the trims count them. The
// trims cut a merged recording by its frames at their average rate, so a place
// is counted in frames first: a gap between files then costs no seconds, an
// overlap none twice. One file is cut at its own rate, its place as it is.
double selectionSeconds(const std::vector<ClipFile>& files, std::size_t first, std::size_t last,
                        const RecordPlace& place) {
  if (first == last) return place.secondsIntoFile;
  int64_t framesBefore = 0, totalFrames = 0;
  for (std::size_t i = first; i <= last; ++i) {
    totalFrames += files[i].frames;
    if (i < place.file) framesBefore += files[i].frames;
  }
  const ClipFile& file = files[place.file];
  const int64_t span = static_cast<int64_t>(files[last].end) - files[first].start;
  const int64_t fileSeconds = static_cast<int64_t>(file.end) - file.start;
  if (totalFrames <= 0 || span <= 0 || fileSeconds <= 0)
    return static_cast<double>(file.start - files[first].start) + place.secondsIntoFile;
  const double frames = static_cast<double>(framesBefore) + place.secondsIntoFile * file.frames / fileSeconds;
  return frames * static_cast<double>(span) / static_cast<double>(totalFrames);
}

struct Window {
  double from = 0.0;
  double to = 0.0;
  std::vector<const EventEpisode*> episodes;
};

EventClip clipOf(const std::vector<ClipFile>& files, const Window& window, ClipMargins margins) {
  std::size_t first = window.episodes.front()->start.file, last = first;
  for (const EventEpisode* e : window.episodes) {
    first = std::min({first, e->start.file, e->end.file});
    last = std::max({last, e->start.file, e->end.file});
  }
  // Every file the window reaches into, so a window across the end of a file goes on in the next.
  while (first > 0 && files[first - 1].end > window.from) --first;
  while (last + 1 < files.size() && files[last + 1].start < window.to) ++last;
  const auto spanOf = [&] { return static_cast<int64_t>(files[last].end) - files[first].start; };
  // A selection the trims cannot cut takes in its neighbours, later ones first.
  while (spanOf() < kMinimumWindowSeconds && (first > 0 || last + 1 < files.size()))
    if (last + 1 < files.size())
      ++last;
    else
      --first;

  EventClip clip;
  for (std::size_t i = first; i <= last; ++i) clip.files.push_back(files[i].path);
  clip.spanStart = files[first].start;
  clip.spanEnd = files[last].end;
  const int64_t span = spanOf();
  double from = span, to = 0.0;
  for (const EventEpisode* e : window.episodes) {
    from = std::min(from, selectionSeconds(files, first, last, e->start) - margins.before);
    to = std::max(to, selectionSeconds(files, first, last, e->end) + margins.after);
    if (std::find(clip.kinds.begin(), clip.kinds.end(), e->kind) == clip.kinds.end()) clip.kinds.push_back(e->kind);
  }
  // Whole seconds, rounded outward so the episodes stay inside.
  int64_t trimStart = from <= 0.0 ? 0 : static_cast<int64_t>(std::floor(from));
  int64_t trimEnd = to >= static_cast<double>(span) ? 0 : static_cast<int64_t>(std::floor(span - to));
  if (span <= kMinimumWindowSeconds) {
    trimStart = trimEnd = 0;
  } else if (const int64_t left = span - trimStart - trimEnd; left < kMinimumWindowSeconds) {
    // Too short for the trims: widened at its end first, where the event's aftermath is.
    int64_t missing = kMinimumWindowSeconds - left;
    const int64_t fromEnd = std::min(trimEnd, missing);
    trimEnd -= fromEnd;
    trimStart -= missing - fromEnd;
  }
  clip.trimStart = static_cast<int32_t>(trimStart);
  clip.trimEnd = static_cast<int32_t>(trimEnd);
  clip.episodes = window.episodes.size();
  clip.firstStartClock = window.episodes.front()->startClock;
  clip.firstKind = window.episodes.front()->kind;
  return clip;
}

}  // namespace

std::string EventClip::kindsText() const {
  std::string text;
  for (const std::size_t kind : kinds) text.append(text.empty() ? "" : ", ").append(kTrackEvents[kind].name);
  return text;
}

std::vector<EventClip> planClips(const std::vector<ClipFile>& files, const std::vector<EventEpisode>& episodes,
                                 ClipMargins margins) {
  std::vector<EventClip> clips;
  if (files.empty()) return clips;
  const double tripStart = files.front().start, tripEnd = files.back().end;
  std::vector<Window> windows;
  for (const EventEpisode& e : episodes) {
    if (e.start.file >= files.size() || e.end.file >= files.size()) continue;
    const double from = std::clamp(wallTime(files, e.start) - margins.before, tripStart, tripEnd);
    const double to = std::clamp(wallTime(files, e.end) + margins.after, tripStart, tripEnd);
    if (!windows.empty() && from <= windows.back().to) {
      windows.back().to = std::max(windows.back().to, to);
      windows.back().episodes.push_back(&e);
    } else {
      windows.push_back(Window{from, to, {&e}});
    }
  }
  for (const Window& window : windows) clips.push_back(clipOf(files, window, margins));
  return clips;
}

void nameClips(std::vector<EventClip>& clips, bool local, const std::string& extension) {
  std::map<std::string, int> uses;
  for (EventClip& clip : clips) {
    // The proposed name's date and time, without the length it ends in.
    std::string name = proposedFileName(breakDownTime(clip.firstStartClock, local), 0);
    name.resize(name.rfind('_'));
    name.append(1, '_').append(kTrackEvents[clip.firstKind].name);
    if (const int n = ++uses[name]; n > 1) name.append(1, '-').append(std::to_string(n));
    clip.name = name + extension;
  }
}

std::string clipDescription(const EventClip& clip, bool local) {
  const TimeWindowView view = describeTimeWindow(clip.windowStart(), clip.windowEnd(), local);
  return isoDateTime(view.start, ' ') + " - " + isoDateTime(view.end, ' ') + ", " + view.lengthText + " s, " +
         clip.kindsText();
}

}  // namespace vk2
