#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/progress_output.h"
#include "cli/run_options.h"
#include "extract/extract_streams.h"
#include "mmv/merge.h"
#include "core/file_error.h"
#include "mmv/scan.h"

namespace vk2::cli {

namespace {

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

// The merged recording lives only for the extraction; it goes whatever the outcome.
class MergedRecording {
 public:
  explicit MergedRecording(std::string path) : path_(std::move(path)) {}
  ~MergedRecording() { std::remove(path_.c_str()); }
  MergedRecording(const MergedRecording&) = delete;
  MergedRecording& operator=(const MergedRecording&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string mergedPathFor(const std::string& target, const std::vector<std::string>& inputs) {
  const std::string path = target.substr(0, target.size() - 4) + ".mmv";
  for (const std::string& input : inputs)
    if (sameFile(path, input))
      throw FileError(path, "is one of the recordings; the merged recording would replace it");
  std::error_code ec;
  if (std::filesystem::exists(path, ec))
    throw FileError(path, "already exists; the merged recording would replace it");
  return path;
}

int extract(const RunOptions& run, std::ostream& out, std::ostream& err) {
  ConversionState state;
  HiddenLog log;
  HiddenLog subtitles;
  ProgressOutput progress(run, out);
  progress.attach(log);
  // Ctrl-C is noticed at the next record of the merge or the walk.
  StageContext ctx{state, log, subtitles, run.options, throwIfInterrupted, nullptr, {}};

  std::string target;
  if (const int refused = selectRecordings(run, ctx, err, target)) return refused;

  const int count = static_cast<int>(run.inputs.size());
  std::optional<MergedRecording> merged;
  if (count >= 2) {
    merged.emplace(mergedPathFor(target, run.inputs));
    // Before the first file creates the outputs, which would truncate a later input.
    CheckMergeInputs(run.inputs, merged->path());
    for (int i = 1; i <= count; ++i)
      MergeMmvFile(ctx, run.inputs[static_cast<std::size_t>(i - 1)], i, count, merged->path());
  }
  const std::string input = merged ? merged->path() : run.inputs.front();
  ExtractResult result;
  try {
    result = ExtractStreams(ctx, input, target, /*keepDrv=*/true);
  } catch (const Interrupted&) {
    const DerivedPaths paths = DerivedPaths::fromTarget(target);
    for (const std::string& partial : {paths.h264, paths.pcm, paths.drv, paths.ass})
      std::remove(partial.c_str());
    throw;
  }
  if (!result.ok) {
    err << "vk2mp4: " << result.error << "\n";
    return 1;
  }
  return 0;
}

// Ctrl-C ends the command with status 1 and leaves no partial file behind: the
// merge discards its outputs, the merged recording and the streams are removed.
int extractUnlessInterrupted(const RunOptions& run, std::ostream& out, std::ostream& err) {
  watchForInterrupt();
  try {
    return extract(run, out, err);
  } catch (const Interrupted&) {
    err << "vk2mp4: extract interrupted; the partial output was removed\n";
    return 1;
  }
}

}  // namespace

int runExtractCommand(const Args& args, std::ostream& out, std::ostream& err) {
  return runWithRunOptions(args, out, err, &extractUnlessInterrupted);
}

}  // namespace vk2::cli
