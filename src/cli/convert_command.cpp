#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <iostream>
#include <memory>
#include <ostream>

#include "cli/burn_in_progress.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/run_options.h"
#include "conversion/conversion_run.h"
#include "conversion/working_names.h"
#include "core/file_error.h"
#include "mmv/scan.h"
#include "platform/process_launch.h"

namespace vk2::cli {

namespace {

// The steps, and the burn-in's share done, on a terminal only.
class StepDisplay {
 public:
  StepDisplay(bool enabled, std::ostream& out) : out_(enabled ? &out : nullptr) {}

  void stage(const std::string& what) {
    if (!out_) return;
    finishLine();
    if (what.rfind("merge ", 0) == 0)
      *out_ << "vk2mp4: merging file " << what.substr(6) << "\n";
    else if (what == "extract")
      *out_ << "vk2mp4: extracting the streams and the subtitle script\n";
    else if (what == "mp4")
      *out_ << "vk2mp4: making the MP4\n";
    else if (what == "subtitles") {
      // Whole line: the step logs its command line next. The share done
      // follows on a line of its own that is rewritten while the converter runs.
      *out_ << "vk2mp4: burning in the subtitles\n";
      inBurnIn_ = true;
    }
    out_->flush();
  }
  void converterOutput(const std::string& chunk) {
    if (!out_ || !inBurnIn_) return;
    if (const auto share = burnIn_.feed(chunk)) {
      char text[16];
      std::snprintf(text, sizeof text, "%3d%%", static_cast<int>(*share * 100 + 0.5));
      *out_ << "\rvk2mp4: subtitles burnt in " << text << std::flush;
      openLine_ = true;
    }
  }
  void converterStep(bool active) {
    if (!active) {
      finishLine();
      inBurnIn_ = false;
    }
  }
  void finishLine() {
    if (out_ && openLine_) *out_ << "\n" << std::flush;
    openLine_ = false;
  }

 private:
  std::ostream* out_;
  BurnInProgress burnIn_;
  bool inBurnIn_ = false;
  bool openLine_ = false;
};

bool isTerminal(const std::ostream& out) {
#ifdef _WIN32
  return &out == &std::cout && _isatty(1) != 0;
#else
  return &out == &std::cout && ::isatty(STDOUT_FILENO) == 1;
#endif
}

int convert(const RunOptions& options, std::ostream& out, std::ostream& err) {
  // Ctrl-C only raises a flag; the run then ends the converter and removes what it wrote.
  watchForInterrupt();
  ConversionState state;
  HiddenLog log;
  HiddenLog subtitles;
  LogMirror mirror(options.quiet ? nullptr : &out);
  std::unique_ptr<ProcessLauncher> launcher = makeProcessLauncher();
  StageContext ctx{state, log, subtitles, options.options, [] {}, launcher.get(), converterPath()};
  StepDisplay display(!options.quiet && isTerminal(out), out);
  mirror.attach(log);

  std::string target;
  if (const int refused = selectRecordings(options, ctx, mirror, err, target))
    return finishWithLog(refused, mirror, err);
  // Opened only now that every file the run writes is known, so it can replace none of them.
  if (options.logFile)
    mirror.openFile(*options.logFile, log, options.inputs, runWorkingNames(target));
  if (interruptRequested()) {
    err << "vk2mp4: interrupted before the conversion began\n";
    return 1;
  }

  RunCallbacks callbacks;
  callbacks.stage = [&](const std::string& what) { display.stage(what); };
  callbacks.converterOutput = [&](const std::string& chunk) { display.converterOutput(chunk); };
  callbacks.converterStep = [&](bool active) { display.converterStep(active); };
  ConversionRun run(ctx, callbacks);
  ctx.pump = [&run] {
    if (interruptRequested()) run.requestStop();
  };
  const RunOutcome outcome = run.start(target);
  display.finishLine();
  // A recording that ends early is converted from its complete records; the user is told, not failed.
  for (const std::string& warning : outcome.warnings) err << "vk2mp4: warning: " << warning << "\n";
  switch (outcome.status) {
    case RunStatus::Succeeded:
      if (!options.quiet) out << target << "\n";
      return finishWithLog(0, mirror, err);
    case RunStatus::Cancelled:
      err << "vk2mp4: interrupted. "
          << (outcome.message.empty() ? "The partial output was removed." : outcome.message) << "\n";
      return finishWithLog(1, mirror, err);
    case RunStatus::Failed:
      break;
  }
  err << "vk2mp4: " << outcome.message << "\n";
  return finishWithLog(1, mirror, err);
}

}  // namespace

int runConvertCommand(const Args& args, std::ostream& out, std::ostream& err) {
  return runWithRunOptions(args, out, err, &convert);
}

}  // namespace vk2::cli
