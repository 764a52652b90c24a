#pragma once
// What every writing command sets up alike: the run's state and logs, the
// stage lines on the terminal, the progress log mirrored to them (and to --log
// once opened), and the stages' context over all of it.
#include <ostream>
#include <string>
#include <utility>

#include "cli/log_mirror.h"
#include "cli/run_options.h"
#include "cli/step_display.h"
#include "core/stage_context.h"

namespace vk2::cli {

struct CommandSession {
  CommandSession(const RunOptions& run, std::ostream& out, Pump pump, ProcessLauncher* launcher = nullptr,
                 std::string converter = {})
      : display(out, run.quiet, run.verbose),
        mirror([this](const std::string& line) { display.logLine(line); }),
        ctx{state, log, subtitles, run.options, std::move(pump), launcher, std::move(converter)} {
    mirror.attach(log);
  }
  CommandSession(const CommandSession&) = delete;
  CommandSession& operator=(const CommandSession&) = delete;

  ConversionState state;
  HiddenLog log;
  HiddenLog subtitles;
  StepDisplay display;
  LogMirror mirror;
  StageContext ctx;
};

}  // namespace vk2::cli
