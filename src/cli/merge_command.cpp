#include <cstdio>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/log_mirror.h"
#include "core/run_files.h"
#include "cli/run_options.h"
#include "cli/step_display.h"
#include "mmv/merge.h"
#include "core/file_error.h"
#include "core/filesystem_names.h"
#include "mmv/scan.h"

namespace vk2::cli {

namespace {

struct MergeArgs {
  bool quiet = false;
  std::string logPath;
  std::string output;
  Args files;
};

// Returns an error text for a usage error, or "" when the arguments are fine.
std::string parseMergeArgs(const Args& args, MergeArgs& m) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.size() < 2 || a[0] != '-') {
      m.files.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "-q" || a == "--quiet") {
      m.quiet = true;
    } else if (a == "-o" || a == "--log") {
      if (i + 1 >= args.size() || args[i + 1].empty()) return a + " needs a path";
      (a == "-o" ? m.output : m.logPath) = args[++i];
    } else {
      return "unknown option '" + a + "'";
    }
  }
  if (m.output.empty()) return "no output given (-o OUT.mmv)";
  if (m.files.size() < 2) return "a merge needs 2 to 15 MMV files";
  return "";
}

}  // namespace

int runMergeCommand(const Args& args, std::ostream& out, std::ostream& err) {
  MergeArgs m;
  if (const std::string problem = parseMergeArgs(args, m); !problem.empty()) {
    return usageError(err, "merge", "merge: " + problem);
  }
  // From the start, so that a stop while the log file opens (it may be a pipe) is seen.
  watchForInterrupt();
  ConversionState state;
  HiddenLog log, subtitles;
  const PlainConversionOptions options;
  StageContext ctx{state, log, subtitles, options, throwIfInterrupted, nullptr, ""};
  // The merge writes beside the target and replaces the target only when it is
  // complete, so a failed merge leaves an earlier file there as it was.
  const RunFiles files = RunFiles::forMerge(m.output);
  const std::string& pending = files.merged;
  try {
    CheckRunFiles(m.files, files);
    LogMirror mirror;
    mirror.openFile(m.logPath, log, m.files, files.all());
    mirror.attach(log);
    const OpenResult scan = OpenMmvFiles(ctx, m.files);
    if (scan.outcome != OpenOutcome::Selected) {
      err << scan.refusalText() << "\n";
      return 1;
    }
    const int count = static_cast<int>(m.files.size());
    for (int i = 0; i < count; ++i) {
      const std::string& input = m.files[static_cast<std::size_t>(i)];
      if (!m.quiet) out << mergingLine(i + 1, count, input) << std::endl;
      MergeMmvFile(ctx, input, i + 1, count, pending);
      throwIfInterrupted();
    }
    std::error_code ec;
    std::filesystem::rename(pathOf(pending), pathOf(m.output), ec);
    if (ec) {
      std::remove(pending.c_str());
      throw FileError(m.output, "cannot replace it with the merged file: " + ec.message());
    }
    for (const std::string& warning : state.recordingWarnings) err << "vk2mp4: warning: " << warning << "\n";
    if (!m.quiet) out << "Merged " << count << " files into " << m.output << " (" << state.headerFill << " bytes)\n";
    return finishWithLog(0, mirror, err);
  } catch (const Interrupted&) {
    DiscardMergeOutput(state);
    std::remove(pending.c_str());
    err << "vk2mp4: merge interrupted; nothing was written\n";
    return 1;
  } catch (const FileError& e) {
    err << "vk2mp4: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace vk2::cli
