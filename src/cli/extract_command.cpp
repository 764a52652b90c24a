#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/run_options.h"
#include "conversion/conversion_run.h"
#include "extract/extract_streams.h"
#include "mmv/merge.h"
#include "core/file_error.h"
#include "mmv/scan.h"
#include "core/file_identity.h"

namespace vk2::cli {

namespace {

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

// Every file the command writes: the streams, the script, and for a merge the
// merged recording; the target too, which a log must not take either.
std::vector<std::string> extractFiles(const std::string& target, const std::string& merged) {
  const DerivedPaths p = DerivedPaths::fromTarget(target);
  std::vector<std::string> files{target, p.h264, p.pcm, p.drv, p.ass};
  if (!merged.empty()) files.push_back(merged);
  return files;
}

int extract(const RunOptions& run, std::ostream& out, std::ostream& err) {
  ConversionState state;
  HiddenLog log;
  HiddenLog subtitles;
  LogMirror mirror(run.quiet ? nullptr : &out);
  mirror.attach(log);
  // Ctrl-C is noticed at the next record of the merge or the walk.
  StageContext ctx{state, log, subtitles, run.options, throwIfInterrupted, nullptr, {}};

  std::string target;
  if (const int refused = selectRecordings(run, ctx, mirror, err, target)) return finishWithLog(refused, mirror, err);

  const int count = static_cast<int>(run.inputs.size());
  std::optional<MergedRecording> merged;
  if (count >= 2) merged.emplace(mergedPathFor(target, run.inputs));
  if (run.logFile) mirror.openFile(*run.logFile, log, run.inputs, extractFiles(target, merged ? merged->path() : ""));
  if (merged) {
    // Before the first file creates the outputs, which would truncate a later input.
    CheckMergeInputs(run.inputs, merged->path());
    for (int i = 1; i <= count; ++i)
      MergeMmvFile(ctx, run.inputs[static_cast<std::size_t>(i - 1)], i, count, merged->path());
    log.append(kMergeDoneLine);
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
  std::vector<std::string> warnings = state.recordingWarnings;
  if (!result.warning.empty()) warnings.push_back(result.warning);
  // A window without length only keeps the converter from running, which this command does not do.
  if (result.nothingToConvert) warnings.push_back(result.error);
  for (const std::string& warning : warnings) err << "vk2mp4: warning: " << warning << "\n";
  if (!result.ok && !result.nothingToConvert) {
    if (result.error != result.warning) err << "vk2mp4: " << result.error << "\n";
    return finishWithLog(1, mirror, err);
  }
  return finishWithLog(0, mirror, err);
}

}  // namespace

int runExtractCommand(const Args& args, std::ostream& out, std::ostream& err) {
  // Ctrl-C ends the command with status 1 and leaves no partial file behind: the
  // merge discards its outputs, the merged recording and the streams are removed.
  return runInterruptible(args, out, err, &extract, "extract interrupted; the partial output was removed");
}

}  // namespace vk2::cli
