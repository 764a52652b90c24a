// Merges 15 generated recordings of about 97 MB each (1.45 GB, as 15 one-minute
// 1080p recordings) and compares the merge, each writing a new file, with
// coreutils cat of the same inputs (which copies inside the kernel with
// copy_file_range) and with a copy through user space (1 MiB reads and
// writes): medians of 7 rounds, the three side by side in each round, and
// the merge's peak memory, measured in a child process so nothing else counts.
//
//   merge_bench [--dir FOLDER] [--files N] [--megabytes MB-PER-FILE] [--rounds R]
#ifdef _WIN32
#include <cstdio>
int main() {
  std::puts("merge_bench: measures through fork and wait4, which this system lacks");
  return 0;
}
#else
#include <filesystem>

#include "mmv/merge.h"
#include "mmv/record_walk.h"
#include "paired_runs.h"
#include "synth/synth.h"

namespace fs = std::filesystem;
using namespace vk2::bench;

int main(int argc, char** argv) {
  std::string base = fs::temp_directory_path().string();
  int files = 15;
  int megabytes = 97;
  int rounds = 7;
  if (argc > 1 && std::string(argv[1]) == "--help") {
    std::cout << "usage: merge_bench [--dir FOLDER] [--files N] [--megabytes MB-PER-FILE] [--rounds R]\n";
    return 0;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--dir") base = argv[i + 1];
    else if (a == "--files") files = std::atoi(argv[i + 1]);
    else if (a == "--megabytes") megabytes = std::atoi(argv[i + 1]);
    else if (a == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
  }
  const fs::path dir = fs::path(base) / ("vk2-merge-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  int exitStatus = 0;
  try {
    // 60-second files at 30 pictures per second; the filler size is chosen so
    // each file holds at least the asked megabytes.
    vk2::synth::SynthOptions o;
    o.outPrefix = (dir / "in").string();
    o.files = files;
    o.seconds = 60;
    o.fps = 30;
    o.fillerBytes = (static_cast<int64_t>(megabytes) * 1000 * 1000) / (60 * 30) + 1000;
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> inputs = vk2::synth::generateRecordings(o);
    uint64_t totalBytes = 0;
    for (const std::string& p : inputs) totalBytes += vk2::fileSizeOf(p);
    const double mb = static_cast<double>(totalBytes) / 1e6;
    std::printf("inputs: %d files, %.1f MB in all (generated in %.1f s)\n", files, mb, secondsSince(start));

    const std::string copyPath = (dir / "copy.out").string();
    const std::string output = (dir / "merged.mmv").string();
    const uint64_t expectedBytes = totalBytes - static_cast<uint64_t>(files - 1) * vk2::kLeadingPartSize;
    std::vector<double> cat, copy, merge;
    long peakKiB = 0;
    bool ok = true;
    for (int round = 0; round < rounds; ++round) {
      settle();
      const Timing c = catFiles(inputs, copyPath);
      fs::remove(copyPath);
      settle();
      const Timing u = userSpaceCopy(inputs, copyPath);
      fs::remove(copyPath);
      settle();
      const Timing m = inChild([&] {
        vk2::ConversionState state;
        vk2::HiddenLog log, subtitles;
        const vk2::PlainConversionOptions options;
        vk2::StageContext ctx{state, log, subtitles, options, [] {}, nullptr, ""};
        try {
          for (int i = 0; i < files; ++i)
            vk2::MergeMmvFile(ctx, inputs[static_cast<std::size_t>(i)], i + 1, files, output);
        } catch (const std::exception& e) {
          std::fprintf(stderr, "merge failed: %s\n", e.what());
          return 1;
        }
        return 0;
      });
      ok = ok && c.status == 0 && u.status == 0 && m.status == 0 && fs::exists(output) &&
           vk2::fileSizeOf(output) == expectedBytes;
      fs::remove(output);
      cat.push_back(c.seconds);
      copy.push_back(u.seconds);
      merge.push_back(m.seconds);
      peakKiB = std::max(peakKiB, m.peakKiB);
      std::printf("round %d: cat %.2f s, user-space copy %.2f s, merge %.2f s\n", round + 1, c.seconds, u.seconds,
                  m.seconds);
    }
    const double ratio = pairedRatio(merge, cat);
    std::printf("cat:             median of %d %s, %.0f MB/s\n", rounds, spread(cat).c_str(), mb / median(cat));
    std::printf("user-space copy: median of %d %s\n", rounds, spread(copy).c_str());
    std::printf("merge:           median of %d %s, %.0f MB/s%s\n", rounds, spread(merge).c_str(), mb / median(merge),
                ok ? "" : " FAILED OR WRONG SIZE");
    std::printf("merge / cat: %.2fx (median of the rounds' ratios); goal <= 0.9x: %s\n", ratio,
                ratio <= 0.9 ? "met" : "MISSED");
    std::printf("merge / user-space copy: %.2fx\n", pairedRatio(merge, copy));
    const double peakMiB = static_cast<double>(peakKiB) / 1024;
    std::printf("merge peak memory (child ru_maxrss): %.1f MiB; target < 64 MiB: %s\n", peakMiB,
                peakMiB < 64 ? "met" : "MISSED");
    if (!ok || peakMiB >= 64) exitStatus = 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "merge_bench: %s\n", e.what());
    exitStatus = 1;
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
  return exitStatus;
}
#endif
