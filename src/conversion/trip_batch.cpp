#include "conversion/trip_batch.h"

#include <stdexcept>
#include <utility>

#include "conversion/saved_selection.h"
#include "conversion/trip_names.h"
#include "core/calendar_time.h"
#include "mmv/scan.h"

namespace vk2 {

namespace {

std::string tripLabel(std::size_t index, const std::string& target) {
  return "Trip " + std::to_string(index + 1) + (target.empty() ? "" : " (" + target + ")");
}

}  // namespace

void prepareTrip(StageContext& ctx, const Trip& trip, int32_t trimStart, int32_t trimEnd, bool local) {
  if (trip.files.empty()) throw std::runtime_error("the trip holds no MMV file");
  const OpenResult opened = OpenMmvFiles(ctx, trip.files);
  if (opened.outcome != OpenOutcome::Selected) throw std::runtime_error(trip.files.front() + ": " + opened.message);
  ConversionState& s = ctx.state;
  const std::string problem = trimsProblem(trip.files.front(), static_cast<int64_t>(s.spanEndTime) - s.spanStartTime,
                                           trimStart, trimEnd);
  if (!problem.empty()) throw std::runtime_error(problem);
  s.trimStart = trimStart;
  s.trimEnd = trimEnd;
  s.windowStartTime = s.spanStartTime + trimStart;
  s.windowEndTime = s.spanEndTime - trimEnd;
  s.windowStart = breakDownTime(s.windowStartTime, local);
  s.windowEnd = breakDownTime(s.windowEndTime, local);
}

std::string tripCaption(const std::string& caption, std::size_t index, std::size_t count) {
  return caption + " - trip " + std::to_string(index + 1) + " of " + std::to_string(count);
}

std::string TripBatchResult::message(const std::string& folder) const {
  std::string text = std::to_string(converted) + " of " + std::to_string(count) + " " + unit + (count == 1 ? " " : "s ") +
                     (converted == 1 ? "was" : "were") + " converted into " + folder + ".";
  for (const std::string& failure : failures) text += "\n" + failure;
  if (cancelled) text += "\n" + cancelLine;
  for (const std::string& warning : warnings) text += "\n" + warning;
  return text;
}

TripBatch::TripBatch(StageContext& ctx, std::vector<Trip> trips, TripSettings settings, TripBatchCallbacks callbacks)
    : ctx_(ctx), trips_(std::move(trips)), settings_(std::move(settings)), callbacks_(std::move(callbacks)),
      names_(tripFileNames(trips_, settings_.trimStart, settings_.trimEnd, settings_.local, settings_.extension)) {}

TripBatchResult TripBatch::run() {
  const SavedSelection before(ctx_.state);
  TripBatchResult result;
  result.count = trips_.size();
  cancelRequested_ = false;
  for (std::size_t i = 0; i < trips_.size(); ++i) {
    if (cancelRequested_) {
      result.cancelled = true;
      result.cancelLine = "The conversion was cancelled; no further trip was converted.";
      break;
    }
    if (callbacks_.tripStarted) callbacks_.tripStarted(i, trips_.size(), trips_[i]);
    // Fixed up front, so a trip that proposes an earlier one's name gets its own.
    const std::string& name = names_[i];
    try {
      prepareTrip(ctx_, trips_[i], settings_.trimStart, settings_.trimEnd, settings_.local);
      // No name: too short for the trims when the card was searched, longer now.
      if (name.empty()) throw std::runtime_error(trips_[i].files.front() + ": changed since the card was searched");
      const RunOutcome outcome = callbacks_.convert(buildOutputPath(settings_.folder, name, ""));
      result.warnings.insert(result.warnings.end(), outcome.warnings.begin(), outcome.warnings.end());
      if (outcome.status == RunStatus::Succeeded) {
        ++result.converted;
      } else if (outcome.status == RunStatus::Failed) {
        result.failures.push_back(tripLabel(i, name) + ": " + outcome.message);
      } else {
        result.cancelled = true;
        result.cancelLine = tripLabel(i, name) + ": " +
                            (outcome.message.empty() ? "The conversion was cancelled." : outcome.message) +
                            " No further trip was converted.";
        break;
      }
    } catch (const std::exception& e) {
      result.failures.push_back(tripLabel(i, name) + ": " + e.what());
    }
  }
  before.restore(ctx_.state);
  return result;
}

}  // namespace vk2
