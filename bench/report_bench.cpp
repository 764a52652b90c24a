// Size and writing time of the report page of a 15-minute trip with events:
// 15 one-minute recordings merged, every record read, the episodes found, the
// points thinned and the page written. Targets: under 2 MB, under 0.5 s.
//
//   report_bench [--files N] [--seconds S] [--keep]
//
// The recordings are generated first with filler video (not timed); the scan
// that selects them is not timed either: the page's own work is.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "mmv/scan.h"
#include "synth/synth.h"
#include "synth/synth_options.h"
#include "telemetry/report_export.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

}  // namespace

int main(int argc, char** argv) {
  using namespace vk2;
  std::vector<std::string> args(argv + 1, argv + argc);
  synth::SynthOptions synthOptions;
  synthOptions.files = 15;
  synthOptions.seconds = 60;
  synthOptions.fillerBytes = 2000;
  synthOptions.events = true;
  bool keep = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--files" && hasValue) synthOptions.files = std::stoi(args[++i]);
    else if (args[i] == "--seconds" && hasValue) synthOptions.seconds = std::stoi(args[++i]);
    else if (args[i] == "--keep") keep = true;
    else {
      std::cerr << "usage: report_bench [--files N] [--seconds S] [--keep]\n";
      return 2;
    }
  }
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("vk2-report-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  synthOptions.outPrefix = (folder / "rec").string();
  const std::vector<std::string> inputs = synth::generateRecordings(synthOptions);

  ConversionState state;
  HiddenLog log;
  HiddenLog subtitles;
  PlainConversionOptions options;
  StageContext ctx{state, log, subtitles, options, [] {}, nullptr, {}};
  const OpenResult opened = OpenMmvFiles(ctx, inputs);
  if (opened.outcome != OpenOutcome::Selected) {
    std::cerr << "report_bench: " << opened.message << "\n";
    return 1;
  }
  const std::string page = (folder / "trip.html").string();
  double best = 1e9;
  ReportExport result;
  for (int round = 0; round < 5; ++round) {
    const auto start = Clock::now();
    result = ExportReport(ctx, page, (folder / "trip.mp4").string());
    best = std::min(best, secondsSince(start));
  }
  const double megabytes = static_cast<double>(std::filesystem::file_size(page)) / 1e6;
  std::printf("%d x %d s, %d records, %zu episodes: page %.3f MB, written in %.3f s (best of 5)\n",
              synthOptions.files, synthOptions.seconds, result.records, result.episodes, megabytes, best);
  const bool met = megabytes < 2.0 && best < 0.5;
  std::printf("target: under 2 MB and under 0.5 s: %s\n", met ? "met" : "MISSED");
  if (!keep) std::filesystem::remove_all(folder);
  else std::cout << "kept " << folder.string() << "\n";
  return met ? 0 : 1;
}
