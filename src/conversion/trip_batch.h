#pragma once
// A memory card's trips converted one after another with one set of choices:
// each trip scanned as the open command scans a selection, the same trims, its
// own proposed name in one folder (numbered when an earlier trip has it). No toolkit here, so any window can drive it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "conversion/conversion_run.h"
#include "core/stage_context.h"
#include "mmv/trips.h"

namespace vk2 {

// What every trip takes from the options dialog.
struct TripSettings {
  std::string folder;     // ends in a separator
  int32_t trimStart = 0;  // seconds off each trip's start and end
  int32_t trimEnd = 0;
  bool local = true;      // the time basis of the proposed names
  std::string extension;  // outputExtension of the subtitle choice
};

// Sets ctx.state up for `trip` as the open command and the time window would:
// scans its files (the span), applies the trims (the window). Throws
// std::exception with the reason the trip cannot be converted, naming its file.
void prepareTrip(StageContext& ctx, const Trip& trip, int32_t trimStart, int32_t trimEnd, bool local);

// "Save as MP4 Video - trip 2 of 5" for the 0-based `index`.
std::string tripCaption(const std::string& caption, std::size_t index, std::size_t count);

struct TripBatchCallbacks {
  // Before trip `index` (0-based) of `count` is scanned.
  std::function<void(std::size_t index, std::size_t count, const Trip& trip)> tripStarted;
  // The conversion of the prepared state to `target`: the window's ConversionRun.
  std::function<RunOutcome(const std::string& target)> convert;
};

struct TripBatchResult {
  std::string unit = "trip";  // what was converted: "trip", or "clip" for a clip per event
  std::size_t count = 0;
  std::size_t converted = 0;
  bool cancelled = false;
  std::vector<std::string> failures;  // "Trip 1 (NAME.mp4): reason", one a trip (or clip)
  std::string cancelLine;             // set when cancelled
  std::vector<std::string> warnings;  // recordings that ended early, of every trip
  bool allConverted() const { return converted == count; }
  // The one box at the end: the count converted into `folder`, then a line for
  // each failure, the cancel and each warning.
  std::string message(const std::string& folder) const;
};

class TripBatch {
 public:
  TripBatch(StageContext& ctx, std::vector<Trip> trips, TripSettings settings, TripBatchCallbacks callbacks);

  // Every trip in turn; a failed trip does not stop the others, a cancelled one
  // stops the batch. The selection and window in ctx.state are as before afterwards.
  TripBatchResult run();
  // No further trip starts; the running conversion is cancelled by its own run.
  void requestCancel() { cancelRequested_ = true; }

 private:
  StageContext& ctx_;
  std::vector<Trip> trips_;
  TripSettings settings_;
  TripBatchCallbacks callbacks_;
  std::vector<std::string> names_;  // each trip's file name, "" for one too short for the trims
  bool cancelRequested_ = false;
};

}  // namespace vk2
