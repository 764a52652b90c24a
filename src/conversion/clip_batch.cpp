#include "conversion/clip_batch.h"

#include <stdexcept>
#include <utility>

#include "conversion/saved_selection.h"
#include "mmv/scan.h"

namespace vk2 {

namespace {

std::string clipLabel(std::size_t index, const std::string& name) {
  return "Clip " + std::to_string(index + 1) + " (" + name + ")";
}

}  // namespace

ClipSource readClipSource(StageContext& ctx) {
  ClipSource source;
  ctx.state.trimStart = ctx.state.trimEnd = 0;
  for (const std::string& path : ctx.state.selectedFiles) {
    uint64_t size = 0;
    const MmvInfoBlock info = readInfoBlock(path, size);
    source.files.push_back(
        ClipFile{path, info.startStamp().seconds(), info.endStamp().seconds(), info.totalFrameCount()});
  }
  EpisodeReading reading = FindEpisodes(ctx);
  source.episodes = std::move(reading.episodes);
  source.warnings = std::move(reading.track.warnings);
  return source;
}

ClipSource readClipSource(StageContext& ctx, const std::vector<std::string>& files) {
  if (files.empty()) throw std::runtime_error("the trip holds no MMV file");
  const OpenResult opened = OpenMmvFiles(ctx, files);
  if (opened.outcome != OpenOutcome::Selected) throw std::runtime_error(files.front() + ": " + opened.message);
  return readClipSource(ctx);
}

void prepareClip(StageContext& ctx, const EventClip& clip, bool local) {
  prepareTrip(ctx, Trip{clip.files, clip.spanStart, clip.spanEnd}, clip.trimStart, clip.trimEnd, local);
}

ClipBatch::ClipBatch(StageContext& ctx, std::vector<Trip> trips, ClipSettings settings, ClipBatchCallbacks callbacks)
    : ctx_(ctx), trips_(std::move(trips)), settings_(std::move(settings)), callbacks_(std::move(callbacks)) {}

TripBatchResult ClipBatch::run() {
  const SavedSelection before(ctx_.state);
  TripBatchResult result;
  result.unit = "clip";
  cancelRequested_ = false;
  const auto cancelled = [&](const std::string& line) {
    result.cancelled = true;
    result.cancelLine = line;
  };
  std::vector<EventClip> clips;
  for (std::size_t i = 0; i < trips_.size() && !result.cancelled; ++i) {
    if (cancelRequested_) {
      cancelled("The conversion was cancelled while the trips were read; no clip was made.");
      break;
    }
    if (callbacks_.tripRead) callbacks_.tripRead(i, trips_.size());
    try {
      ClipSource source = readClipSource(ctx_, trips_[i].files);
      result.warnings.insert(result.warnings.end(), source.warnings.begin(), source.warnings.end());
      for (EventClip& clip : planClips(source.files, source.episodes, settings_.margins))
        clips.push_back(std::move(clip));
    } catch (const std::exception& e) {
      result.failures.push_back("Trip " + std::to_string(i + 1) + ": " + e.what());
    }
  }
  // Named for the whole batch, so two trips' clips never share a file.
  nameClips(clips, settings_.local, settings_.extension);
  result.count = clips.size();
  for (std::size_t i = 0; i < clips.size() && !result.cancelled; ++i) {
    if (cancelRequested_) {
      cancelled("The conversion was cancelled; no further clip was made.");
      break;
    }
    if (callbacks_.clipStarted) callbacks_.clipStarted(i, clips.size(), clips[i]);
    try {
      prepareClip(ctx_, clips[i], settings_.local);
      const RunOutcome outcome = callbacks_.convert(settings_.folder + clips[i].name);
      result.warnings.insert(result.warnings.end(), outcome.warnings.begin(), outcome.warnings.end());
      if (outcome.status == RunStatus::Succeeded) {
        ++result.converted;
      } else if (outcome.status == RunStatus::Failed) {
        result.failures.push_back(clipLabel(i, clips[i].name) + ": " + outcome.message);
      } else {
        cancelled(clipLabel(i, clips[i].name) + ": " +
                  (outcome.message.empty() ? "The conversion was cancelled." : outcome.message) +
                  " No further clip was made.");
      }
    } catch (const std::exception& e) {
      result.failures.push_back(clipLabel(i, clips[i].name) + ": " + e.what());
    }
  }
  before.restore(ctx_.state);
  return result;
}

std::string clipCaption(const std::string& caption, std::size_t index, std::size_t count) {
  return caption + " - clip " + std::to_string(index + 1) + " of " + std::to_string(count);
}

std::string clipBatchMessage(const TripBatchResult& result, const std::string& folder) {
  if (result.count > 0 || result.cancelled) return result.message(folder);
  std::string text = "No alarm event was found in the trips, so no clip was made.";
  for (const std::string& failure : result.failures) text += "\n" + failure;
  for (const std::string& warning : result.warnings) text += "\n" + warning;
  return text;
}

}  // namespace vk2
