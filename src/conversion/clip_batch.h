#pragma once
// A clip per alarm event over a memory card's trips: every trip's records read
// for its episodes, the clips planned and named for the whole batch, then each
// converted as its own selection with its trims. Any window can drive it; the
// command line shares its reading and planning.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "conversion/event_clips.h"
#include "conversion/trip_batch.h"
#include "core/stage_context.h"
#include "mmv/trips.h"

namespace vk2 {

// What a selection's clips are planned from.
struct ClipSource {
  std::vector<ClipFile> files;
  std::vector<EventEpisode> episodes;
  std::vector<std::string> warnings;  // recordings that end early
};

// The files and episodes of the selection ctx.state holds, as the scan left it
// (the trims are cleared: the clips cut their own). Throws FileError naming a
// recording that cannot be read.
ClipSource readClipSource(StageContext& ctx);

// Scans `files` as the open command does and reads them. Throws std::exception
// with the reason, naming the file.
ClipSource readClipSource(StageContext& ctx, const std::vector<std::string>& files);

// Sets ctx.state up for `clip` as the open command and the time window would.
void prepareClip(StageContext& ctx, const EventClip& clip, bool local);

struct ClipSettings {
  std::string folder;  // ends in a separator
  ClipMargins margins;
  bool local = true;
  std::string extension;
};

struct ClipBatchCallbacks {
  // Before trip `index` (0-based) of `count` is read for its events.
  std::function<void(std::size_t index, std::size_t count)> tripRead;
  // Before clip `index` of `count` is converted.
  std::function<void(std::size_t index, std::size_t count, const EventClip& clip)> clipStarted;
  // The conversion of the prepared state to `target`.
  std::function<RunOutcome(const std::string& target)> convert;
};

class ClipBatch {
 public:
  ClipBatch(StageContext& ctx, std::vector<Trip> trips, ClipSettings settings, ClipBatchCallbacks callbacks);

  // Reads every trip, then makes every clip; a trip that cannot be read or a
  // failed clip does not stop the others, a cancel stops the batch. The result
  // counts clips (unit "clip"); the selection in ctx.state is as before afterwards.
  TripBatchResult run();
  void requestCancel() { cancelRequested_ = true; }

 private:
  StageContext& ctx_;
  std::vector<Trip> trips_;
  ClipSettings settings_;
  ClipBatchCallbacks callbacks_;
  bool cancelRequested_ = false;
};

// "Save as MP4 Video - clip 2 of 5" for the 0-based `index`.
std::string clipCaption(const std::string& caption, std::size_t index, std::size_t count);

// The completion text of a clip batch: the count made, and for a batch without
// clips that no alarm event was found.
std::string clipBatchMessage(const TripBatchResult& result, const std::string& folder);

}  // namespace vk2
