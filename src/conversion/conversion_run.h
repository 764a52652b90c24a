#pragma once
// The run behind the dialog's Start and Cancel buttons, without the widgets:
// merges two or more files into one under the target's name, extracts the
// streams and the script, runs both converter steps, and reports progress.
#include <functional>
#include <string>
#include <vector>

#include "conversion/demux_and_convert.h"
#include "core/conversion_options.h"
#include "core/run_files.h"
#include "core/stage_context.h"

namespace vk2 {

// What the dialog's progress bar (barFile) and counter (lbProgress) show.
struct RunProgress {
  int position = 0;
  int maximum = 0;
  std::string label;  // "1/4"
};

enum class RunStatus { Succeeded, Cancelled, Failed };

inline constexpr const char* kConvertedMessage = "MP4 converted successfully";
// The completion message names the file's kind: the subtitle track makes a Matroska file.
inline const char* convertedMessage(SubtitleDelivery delivery) {
  return delivery == SubtitleDelivery::Track ? "MKV converted successfully" : kConvertedMessage;
}
// " (encoder: h264_qsv)" after the completion message; "" when no encoder was chosen.
inline std::string encoderNote(const std::string& encoder) {
  return encoder.empty() ? std::string() : " (encoder: " + encoder + ")";
}
inline constexpr const char* kMergeDoneLine = "File Merge is done--------------------------";

struct RunOutcome {
  RunStatus status = RunStatus::Failed;
  // Succeeded: "MP4 converted successfully" ("MKV ..." for the subtitle track). Cancelled: a message that the
  // conversion was cancelled (empty when the cancel came between merged files,
  // where the dialog shows no message). Failed: which step failed and why.
  std::string message;
  std::string outputPath;
  ConversionStep failedStep = ConversionStep::None;  // Failed: the step, None for the merge or set-up
  // Recordings that end early (cut off, zero-filled tail) and were converted
  // from their complete records: one text each, whatever the status.
  std::vector<std::string> warnings;
  std::string burnInReason;  // Failed in the burn-in: why, in the step's own words
  std::string encoder;       // the burn-in's encoder, when one was chosen (named in `message` too)
  std::vector<std::string> fallbacks;  // the burn-in's encoders that failed, one line each
};

struct RunCallbacks {
  std::function<void(const RunProgress&)> progress;   // every change of bar or counter
  std::function<void(bool active)> converterStep;     // true while a converter process runs
  std::function<void(const std::string&)> converterOutput;  // the converter's diagnostic output
  std::function<void(const std::string& what)> stage;       // "merge 2/3", "extract", "mp4", "subtitles"
};

// The stages the run calls; the real ones unless a test stands in its own.
struct RunStages {
  std::function<void(StageContext&, const std::string& path, int index, int count, const std::string& outputPath)>
      merge;
  std::function<void(ConversionState&)> discardMerge;
  ExtractFunction extract;
  static RunStages real();
};

// btnStartClick / btnCancelClick without the widgets. The selection is
// ctx.state.selectedFiles, the trims ctx.state.trimStart/trimEnd, the options ctx.options.
class ConversionRun {
 public:
  ConversionRun(StageContext& ctx, RunCallbacks callbacks);
  ConversionRun(StageContext& ctx, RunCallbacks callbacks, RunStages stages);

  // The whole run for target outputPath (folder text + name text + ".mp4").
  RunOutcome start(const std::string& outputPath);
  // The same with the names the caller derived (and checks the log against).
  RunOutcome start(const RunFiles& files);
  // btnCancelClick: raises cancelRequested. Between merged files the run ends
  // after the file; later (the extraction, a converter step) it ends before or
  // during the next converter step.
  void requestCancel();
  // Ctrl-C: ends the run at the next chance, whatever it is doing (between
  // merged files, before or during a converter step).
  void requestStop();
  bool running() const { return running_; }
  bool inConverterStep() const { return inConverterStep_; }

 private:
  RunOutcome runSingle(const RunFiles& files);
  RunOutcome runMerge(const RunFiles& files);
  // recordedSeconds: a merged recording's, 0 for one recording (DemuxControl).
  RunOutcome convert(const std::string& inputPath, const RunFiles& files, int64_t recordedSeconds = 0);
  void report(int position, int maximum);
  void checkBeforeWriting(const RunFiles& files) const;
  // Removes a file the run wrote, never one of the selected recordings.
  void removeWorkingFile(const std::string& path) const;

  StageContext& ctx_;
  RunCallbacks callbacks_;
  RunStages stages_;
  bool running_ = false;
  bool inConverterStep_ = false;
  bool stopRequested_ = false;
  // Read once at Start: the target's extension was chosen with it.
  SubtitleDelivery delivery_ = SubtitleDelivery::Burn;
};

// edFolder text + edMp4Filename text + ".mp4" (or the extension of the subtitle
// delivery chosen), joined as they are.
std::string buildOutputPath(const std::string& folderText, const std::string& nameText,
                            const char* extension = ".mp4");

}  // namespace vk2
