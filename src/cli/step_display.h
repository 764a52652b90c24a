#pragma once
// What extract, convert and track show on standard output while they run: a
// line as each stage begins and a last line naming what was written. On a
// terminal the line of a converter step also shows how far the converter is,
// rewritten in place; in a file or a pipe every line stays as written, so a
// log of the output reads the same. -v adds the progress log's lines, -q
// shows nothing.
#include <chrono>
#include <iosfwd>
#include <string>

#include "core/converter_progress.h"

namespace vk2::cli {

class StepDisplay {
 public:
  // In place only when `out` is the program's standard output and that is a terminal.
  StepDisplay(std::ostream& out, bool quiet, bool verbose);
  ~StepDisplay() { finishLine(); }
  StepDisplay(const StepDisplay&) = delete;
  StepDisplay& operator=(const StepDisplay&) = delete;

  void stage(const std::string& line);
  // A progress-log line: shown with -v only.
  void logLine(const std::string& line);
  void converterStep(bool active);
  void converterOutput(const std::string& chunk);
  // The last line: what the command wrote.
  void result(const std::string& line);
  // Ends a line left open on a terminal; before anything goes to standard error too.
  void finishLine();

 private:
  void rewrite(const std::string& line);

  std::ostream* out_;  // null with -q
  bool verbose_;
  bool terminal_;
  std::string stage_;
  bool lineOpen_ = false;      // on a terminal: the stage's line, still to be rewritten or ended
  std::size_t openLength_ = 0;
  ConverterProgress progress_;
  std::chrono::steady_clock::time_point stepStarted_;
};

// The stage lines the commands share.
std::string mergingLine(int index, int count, const std::string& recording);
inline constexpr const char* kExtractingLine = "Extracting the streams and the subtitle script";
inline constexpr const char* kTrackLine = "Writing the track";
inline constexpr const char* kReportLine = "Writing the report page";

}  // namespace vk2::cli
