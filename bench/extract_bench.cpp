// The extraction of one large generated recording (default about 1450 MB, as
// 15 one-minute 1080p recordings merged), writing new files, compared with
// coreutils cat of the same file (which copies inside the kernel with
// copy_file_range) and with a copy through user space (1 MiB reads and
// writes): medians of 7 rounds, the three side by side in each round, and the
// extraction's peak memory, each measured in a child process.
//
//   extract_bench [--dir FOLDER] [--megabytes MB] [--rounds R]
#ifdef _WIN32
#include <cstdio>
int main() {
  std::puts("extract_bench: measures through fork and wait4, which this system lacks");
  return 0;
}
#else
#include <filesystem>

#include "extract/extract_streams.h"
#include "mmv/record_walk.h"
#include "paired_runs.h"
#include "synth/synth.h"

namespace fs = std::filesystem;
using namespace vk2::bench;

int main(int argc, char** argv) {
  std::string base = fs::temp_directory_path().string();
  long megabytes = 1450;
  int rounds = 7;
  if (argc > 1 && std::string(argv[1]) == "--help") {
    std::cout << "usage: extract_bench [--dir FOLDER] [--megabytes MB] [--rounds R]\n";
    return 0;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--dir") base = argv[i + 1];
    else if (a == "--megabytes") megabytes = std::atol(argv[i + 1]);
    else if (a == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
  }
  const fs::path work = fs::path(base) / ("vk2-extract-bench-" + std::to_string(getpid()));
  fs::create_directories(work);
  int status = 0;
  try {
    // Filler video of 100,000 bytes at 30 frames per second, audio and
    // telemetry as the camera writes them: about 3.1 MB per second of recording.
    vk2::synth::SynthOptions o;
    o.outPrefix = (work / "big").string();
    o.fillerBytes = 100000;
    o.fps = 30;
    o.seconds = static_cast<int>(megabytes * 1000000 / 3107000 + 1);
    const auto start = std::chrono::steady_clock::now();
    const std::string recording = vk2::synth::generateRecordings(o).front();
    const double sizeMb = static_cast<double>(vk2::fileSizeOf(recording)) / 1e6;
    std::printf("recording: %.1f MB, %d s (generated in %.1f s)\n", sizeMb, o.seconds, secondsSince(start));

    const std::string copyPath = (work / "copy.mmv").string();
    std::vector<double> cat, copy, extract;
    long peakKiB = 0;
    bool ok = true;
    for (int round = 0; round < rounds; ++round) {
      settle();
      const Timing c = catFiles({recording}, copyPath);
      fs::remove(copyPath);
      settle();
      const Timing u = userSpaceCopy({recording}, copyPath);
      fs::remove(copyPath);
      settle();
      const Timing x = inChild([&] {
        vk2::ConversionState state;
        vk2::HiddenLog log, subtitles;
        vk2::PlainConversionOptions options;
        vk2::StageContext ctx{state, log, subtitles, options, [] {}, nullptr, {}};
        const vk2::ExtractResult r =
            vk2::ExtractStreams(ctx, recording, vk2::RunFiles::forConversion((work / "x.mp4").string(), 1));
        if (!r.ok) std::fprintf(stderr, "extraction failed: %s\n", r.error.c_str());
        return r.ok ? 0 : 1;
      });
      ok = ok && c.status == 0 && u.status == 0 && x.status == 0;
      for (const char* name : {"x.h264", "x.pcm", "x.ass", "x.drv"}) fs::remove(work / name);
      cat.push_back(c.seconds);
      copy.push_back(u.seconds);
      extract.push_back(x.seconds);
      peakKiB = std::max(peakKiB, x.peakKiB);
      std::printf("round %d: cat %.2f s, user-space copy %.2f s, extraction %.2f s\n", round + 1, c.seconds,
                  u.seconds, x.seconds);
    }
    const double ratio = pairedRatio(extract, cat);
    std::printf("cat:             median of %d %s, %.0f MB/s\n", rounds, spread(cat).c_str(), sizeMb / median(cat));
    std::printf("user-space copy: median of %d %s\n", rounds, spread(copy).c_str());
    std::printf("extraction:      median of %d %s, %.0f MB/s%s\n", rounds, spread(extract).c_str(),
                sizeMb / median(extract), ok ? "" : " FAILED");
    std::printf("extraction / cat: %.2fx (median of the rounds' ratios); goal <= 1.0x: %s\n", ratio,
                ratio <= 1.0 ? "met" : "MISSED");
    std::printf("extraction / user-space copy: %.2fx\n", pairedRatio(extract, copy));
    std::printf("extraction peak memory (child ru_maxrss): %.1f MiB\n", static_cast<double>(peakKiB) / 1024);
    if (!ok) status = 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "extract_bench: %s\n", e.what());
    status = 1;
  }
  std::error_code ec;
  fs::remove_all(work, ec);
  return status;
}
#endif
