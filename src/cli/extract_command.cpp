#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli/command_session.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/run_options.h"
#include "cli/step_display.h"
#include "conversion/conversion_run.h"
#include "core/file_error.h"
#include "core/file_identity.h"
#include "core/filesystem_names.h"
#include "core/paths.h"
#include "core/run_files.h"
#include "extract/extract_streams.h"
#include "mmv/merge.h"

namespace vk2::cli {

namespace {

// What the command leaves: the streams and the script after a success, nothing
// else. The merged recording lives only for the extraction.
class ExtractionFiles {
 public:
  explicit ExtractionFiles(RunFiles files) : files_(std::move(files)) {}
  ~ExtractionFiles() {
    removeFileQuietly(files_.merged);
    if (!keep_)
      for (const std::string& path : files_.intermediates()) removeFileQuietly(path);
  }
  ExtractionFiles(const ExtractionFiles&) = delete;
  ExtractionFiles& operator=(const ExtractionFiles&) = delete;
  const RunFiles& files() const { return files_; }
  void keep() { keep_ = true; }

 private:
  RunFiles files_;
  bool keep_ = false;
};

int extract(const RunOptions& run, std::ostream& out, std::ostream& err) {
  // Ctrl-C is noticed at the next record of the merge or the walk.
  CommandSession session(run, out, throwIfInterrupted);
  ConversionState& state = session.state;
  HiddenLog& log = session.log;
  StepDisplay& display = session.display;
  LogMirror& mirror = session.mirror;
  StageContext& ctx = session.ctx;

  std::string target;
  if (const int refused = selectRecordings(run, ctx, mirror, err, target)) return finishWithLog(refused, mirror, err);

  const int count = static_cast<int>(run.inputs.size());
  const RunFiles names = RunFiles::forExtraction(target, run.inputs.size());
  // Every name is checked before anything is written, whatever the number of recordings.
  CheckRunFiles(run.inputs, names);
  std::error_code ec;
  // The merged recording is removed afterwards, so it must not take the place of a file of the user's.
  if (!names.merged.empty() && std::filesystem::exists(std::filesystem::symlink_status(pathOf(names.merged), ec)))
    throw FileError(names.merged, "already exists; the merged recording would replace it");
  if (run.logFile) mirror.openFile(*run.logFile, log, run.inputs, names.all());
  ExtractionFiles written(names);
  if (count >= 2) {
    for (int i = 1; i <= count; ++i) {
      const std::string& input = run.inputs[static_cast<std::size_t>(i - 1)];
      display.stage(mergingLine(i, count, input));
      MergeMmvFile(ctx, input, i, count, names.merged);
    }
    log.append(kMergeDoneLine);
  }
  display.stage(kExtractingLine);
  const ExtractResult result = ExtractStreams(ctx, count >= 2 ? names.merged : run.inputs.front(), names,
                                              /*keepDrv=*/true);
  std::vector<std::string> warnings = state.recordingWarnings;
  // A window without length only keeps the converter from running, which this command does not do.
  const bool failed = !result.ok && !result.nothingToConvert;
  if (!result.warning.empty() && !(failed && result.error.find(result.warning) != std::string::npos))
    warnings.push_back(result.warning);
  if (result.nothingToConvert) warnings.push_back(result.error);
  display.finishLine();
  for (const std::string& warning : warnings) err << "vk2mp4: warning: " << warning << "\n";
  if (failed) {
    err << "vk2mp4: " << result.error << "\n";
    return finishWithLog(1, mirror, err);
  }
  written.keep();
  display.result("Extracted " + names.h264 + ", " + fileNameOf(names.pcm) + ", " + fileNameOf(names.drv) + " and " +
                 fileNameOf(names.ass));
  return finishWithLog(0, mirror, err);
}

}  // namespace

int runExtractCommand(const Args& args, std::ostream& out, std::ostream& err) {
  // Ctrl-C ends the command with status 1 and leaves no partial file behind: the
  // merge discards its outputs, the merged recording and the streams are removed.
  return runInterruptible("extract", args, out, err, &extract, "extract interrupted; the partial output was removed");
}

}  // namespace vk2::cli
