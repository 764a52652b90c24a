// The whole conversion run over one to three recordings, with the converter
// played in process (fake_converter.h) and the user's cancel at a point the
// input chooses. After every run its promises are checked:
// - the recordings are byte for byte as they were, and nothing is written beside them;
// - a file that stood at the target is there unchanged unless the run succeeded
//   with a complete new video;
// - no working file is left (streams, script, merged recording, saved target);
// - success is reported only with a complete video at the target;
// - without trims, the converter gets every video and audio payload of every
//   complete record of every recording (counted apart from the stages' walker).
#include <algorithm>
#include <memory>
#include <optional>

#include "conversion/conversion_run.h"
#include "core/file_error.h"
#include "core/converter_progress.h"
#include "core/time_window.h"
#include "fake_converter.h"
#include "fuzz_support.h"
#include "mmv/scan.h"
#include "mp4/matroska_check.h"

using namespace vk2;
using namespace vk2::fuzz;

namespace {

const std::vector<uint8_t> kEarlierFile = {'e', 'a', 'r', 'l', 'i', 'e', 'r', ' ', 'v', 'i', 'd', 'e', 'o'};

std::string stateText(const RunOutcome& o) {
  return " (status " + std::to_string(static_cast<int>(o.status)) + ", step " +
         std::to_string(static_cast<int>(o.failedStep)) + ": " + o.message + ")";
}

// The CLI's rule: trims that leave too short a window are refused; the run then goes untrimmed.
void applyTrims(ConversionState& s, int32_t trimStart, int32_t trimEnd) {
  const int64_t span = static_cast<int64_t>(s.spanEndTime) - s.spanStartTime;
  if (span < 0 || span > INT32_MAX || !trimsAllowed(static_cast<int32_t>(span), trimStart, trimEnd))
    trimStart = trimEnd = 0;
  s.trimStart = trimStart;
  s.trimEnd = trimEnd;
  s.windowStartTime = s.spanStartTime + trimStart;
  s.windowEndTime = s.spanEndTime - trimEnd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Controls controls(data, size);
  const PlainConversionOptions options = optionsFrom(controls);
  const int32_t trimStart = controls.byte() % 32;
  const int32_t trimEnd = controls.byte() % 32;
  const bool earlierFile = controls.flag();
  const bool oneFolder = controls.flag();  // target beside the recordings
  // The pump call at which the user cancels (0: never); half the runs go uncancelled.
  const uint8_t cancelPoint = controls.byte();
  const int cancelAt = controls.flag() ? cancelPoint : 0;
  const bool stop = controls.flag();          // Ctrl-C rather than the Cancel button
  ConverterScript script;
  script.steps[0] = static_cast<ConverterAct>(controls.below(kConverterActs));
  script.steps[1] = static_cast<ConverterAct>(controls.below(kConverterActs));
  script.cut = controls.byte();
  script.pollsBeforeCancel = controls.byte() % 8;
  const std::size_t noise = controls.byte();

  std::vector<std::vector<uint8_t>> files = splitFiles(controls.body(), controls.bodySize(), 3);
  script.noise.assign(files.back().end() - static_cast<std::ptrdiff_t>(std::min(noise, files.back().size())),
                      files.back().end());
  const std::string inFolder = scratchSubfolder("in");
  const std::string outFolder = oneFolder ? inFolder : scratchSubfolder("out");
  std::vector<std::string> recordings;
  for (const auto& bytes : files) {
    recordings.push_back(inFolder + "rec_" + std::to_string(recordings.size() + 1) + ".mmv");
    writeBytes(recordings.back(), bytes);
  }
  const std::string target = outFolder + "X" + outputExtension(options.subtitles);
  if (earlierFile) writeBytes(target, kEarlierFile);

  ConversionState state;
  HiddenLog log, subtitles;
  StageContext ctx{state, log, subtitles, options, [] {}, nullptr, {}};
  try {
    if (OpenMmvFiles(ctx, recordings).outcome != OpenOutcome::Selected) {
      clearScratch();
      return 0;
    }
  } catch (const FileError&) {
    clearScratch();
    return 0;  // the scan's own harness checks its errors
  }
  applyTrims(state, trimStart, trimEnd);

  std::unique_ptr<ConversionRun> run;
  const auto userCancels = [&] { stop ? run->requestStop() : run->requestCancel(); };
  FakeConverter converter(script, userCancels);
  // The streams as the muxing step finds them.
  std::optional<CompletePayloads> handed;
  converter.onStart = [&](const std::vector<std::string>& argv) {
    if (handed || argv.back() != "quiet") return;
    const std::string stem = target.substr(0, target.size() - 4);
    handed = CompletePayloads{exists(stem + ".h264") ? readBytes(stem + ".h264").size() : 0,
                              exists(stem + ".pcm") ? readBytes(stem + ".pcm").size() : 0};
  };
  ctx.launcher = &converter;
  ctx.converterPath = "/opt/fake/ffmpeg";
  int pumps = 0;
  ctx.pump = [&] {
    if (++pumps == cancelAt) userCancels();
  };
  ConverterProgress progress;
  RunCallbacks callbacks;
  callbacks.converterOutput = [&progress](const std::string& chunk) { progress.feed(chunk); };
  run = std::make_unique<ConversionRun>(ctx, callbacks);
  const RunOutcome outcome = run->start(target);
  require(!run->running() && !run->inConverterStep(), "the run still counts as running");

  if (handed && state.trimStart == 0 && state.trimEnd == 0) {
    // One recording's window leaves out records numbered past its count when its length is known.
    const bool alone = files.size() == 1;
    const bool lengthKnown = static_cast<int32_t>(static_cast<uint32_t>(state.spanEndTime) -
                                                  static_cast<uint32_t>(state.spanStartTime)) > 0;
    CompletePayloads expected;
    for (const auto& bytes : files) {
      const CompletePayloads p = completePayloads(bytes, alone && lengthKnown);
      expected.video += p.video;
      expected.audio += p.audio;
    }
    require(handed->video == expected.video && handed->audio == expected.audio,
            "the converter got " + std::to_string(handed->video) + " video and " + std::to_string(handed->audio) +
                " audio bytes of the complete records' " + std::to_string(expected.video) + " and " +
                std::to_string(expected.audio) + stateText(outcome));
  }

  // The recordings, unchanged; nothing beside them but the run's own files when they share the folder.
  for (std::size_t i = 0; i < files.size(); ++i) {
    require(exists(recordings[i]), "the run removed recording " + std::to_string(i + 1) + stateText(outcome));
    require(readBytes(recordings[i]) == files[i], "the run changed recording " + std::to_string(i + 1) + stateText(outcome));
  }
  const bool succeeded = outcome.status == RunStatus::Succeeded;
  if (succeeded) {
    const Mp4Check check = checkVideoFile(target);
    require(check.complete, "success reported with an incomplete video: " + check.problem + stateText(outcome));
  }
  const bool targetExists = exists(target);
  const bool earlierKept = targetExists && readBytes(target) == kEarlierFile;
  if (earlierFile)
    require(earlierKept || succeeded, "the file at the target was replaced by a failed run" + stateText(outcome));
  // What may be left in the target's folder besides the recordings.
  std::vector<std::string> allowed;
  if (targetExists) {
    // Without subtitles, a failed burn-in leaves the plain MP4: at the target, or beside an earlier file.
    const bool plainMp4 = outcome.status == RunStatus::Failed && outcome.failedStep == ConversionStep::BurnSubtitles;
    require(succeeded || earlierKept || plainMp4, "a failed run left its output at the target" + stateText(outcome));
    if (!earlierKept) require(checkVideoFile(target).complete, "an incomplete video at the target" + stateText(outcome));
    allowed.push_back("X" + std::string(outputExtension(options.subtitles)));
  }
  if (earlierKept && outcome.status == RunStatus::Failed && outcome.failedStep == ConversionStep::BurnSubtitles)
    allowed.push_back("X_without_subtitles" + std::string(outputExtension(options.subtitles)));
  if (oneFolder)
    for (std::size_t i = 0; i < files.size(); ++i) allowed.push_back("rec_" + std::to_string(i + 1) + ".mmv");
  std::sort(allowed.begin(), allowed.end());
  std::vector<std::string> left = namesIn(outFolder);
  // The video kept beside an earlier file is optional: a burn-in that wrote nothing leaves none.
  std::erase_if(left, [&](const std::string& n) {
    return n.rfind("X_without_subtitles", 0) == 0 && std::binary_search(allowed.begin(), allowed.end(), n);
  });
  std::erase_if(allowed, [](const std::string& n) { return n.rfind("X_without_subtitles", 0) == 0; });
  if (left != allowed) {
    std::string names;
    for (const std::string& n : left) names += " " + n;
    broken("the run left working files:" + names + stateText(outcome));
  }
  if (!oneFolder) require(namesIn(inFolder).size() == files.size(), "the run wrote beside the recordings");
  clearScratch();
  return 0;
}
