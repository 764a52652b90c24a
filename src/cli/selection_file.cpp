#include "cli/selection_file.h"

#include <ostream>

#include "cli/command_session.h"
#include "cli/interrupt.h"
#include "cli/step_display.h"
#include "core/file_error.h"
#include "core/run_files.h"
#include "platform/folders.h"

namespace vk2::cli {

int writeSelectionFile(const RunOptions& run, const std::string& target, const char* stageLine,
                       const SelectionFileWriter& write, std::ostream& out, std::ostream& err) {
  // Ctrl-C is noticed at the next record.
  CommandSession session(run, out, throwIfInterrupted);
  HiddenLog& log = session.log;
  StepDisplay& display = session.display;
  LogMirror& mirror = session.mirror;
  StageContext& ctx = session.ctx;
  if (const int refused = scanRecordings(run, ctx, mirror, err)) return finishWithLog(refused, mirror, err);
  const RunFiles files = RunFiles::forTrack(target);
  CheckRunFiles(run.inputs, files);
  if (run.logFile) mirror.openFile(*run.logFile, log, run.inputs, files.all());
  const std::string folder = folderOf(target);
  if (!folder.empty() && !createFolders(folder)) throw FileError(folder, "cannot create the output folder");

  display.stage(stageLine);
  const std::vector<std::string> warnings = write(ctx);
  display.finishLine();
  for (const std::string& warning : warnings) err << "vk2mp4: warning: " << warning << "\n";
  display.result(target);
  return finishWithLog(0, mirror, err);
}

}  // namespace vk2::cli
