#include <ostream>

#include "cli/commands.h"
#include "cli/log_mirror.h"
#include "core/file_error.h"
#include "mmv/scan.h"

namespace vk2::cli {

int runInfoCommand(const Args& args, std::ostream& out, std::ostream& err) {
  Args files;
  bool optionsEnded = false;
  for (const std::string& a : args) {
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
      return usageError(err, "info", "info: unknown option '" + a + "'");
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) {
    return usageError(err, "info", "info: no MMV files given");
  }
  ConversionState state;
  HiddenLog log, subtitles;
  const PlainConversionOptions options;
  StageContext ctx{state, log, subtitles, options, [] {}, nullptr, ""};
  LogMirror mirror(&out);
  mirror.attach(log);
  try {
    const OpenResult r = OpenMmvFiles(ctx, files);
    if (r.outcome != OpenOutcome::Selected) {
      out.flush();
      err << r.refusalText() << "\n";
      return 1;
    }
    out << r.folder << "\n" << r.count << "\n";
    return 0;
  } catch (const FileError& e) {
    out.flush();
    err << "vk2mp4: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace vk2::cli
