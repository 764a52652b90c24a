// Merges 15 generated recordings of at least 60 MB each and reports the merge's
// time next to a plain sequential copy (cat) of the same inputs, best of five
// rounds each, and the merge's peak memory, measured in a child process so
// nothing else counts. The merge reads and writes every byte once, as cat does.
//
//   merge_bench [--dir FOLDER] [--files N] [--megabytes M]
#ifdef _WIN32
#include <cstdio>
int main() {
  std::puts("merge_bench: measures through fork and wait4, which this system lacks");
  return 0;
}
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "synth/synth.h"
#include "mmv/merge.h"
#include "mmv/record_walk.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct ChildResult {
  double seconds = 0;
  long maxRssKiB = 0;
  int status = -1;
};

// Runs `work` in a child process; its wall time and peak resident size.
template <typename Work>
ChildResult inChild(Work work) {
  std::cout.flush();
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    std::exit(1);
  }
  if (pid == 0) _exit(work());
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  ChildResult r;
  r.seconds = secondsSince(start);
  r.maxRssKiB = usage.ru_maxrss;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  q += '\'';
  return q;
}

}  // namespace

int main(int argc, char** argv) {
  std::string base = fs::temp_directory_path().string();
  int files = 15;
  int megabytes = 60;
  if (argc > 1 && std::string(argv[1]) == "--help") {
    std::cout << "usage: merge_bench [--dir FOLDER] [--files N] [--megabytes MB-PER-FILE]\n";
    return 0;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--dir") base = argv[i + 1];
    else if (a == "--files") files = std::atoi(argv[i + 1]);
    else if (a == "--megabytes") megabytes = std::atoi(argv[i + 1]);
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
    auto start = Clock::now();
    const std::vector<std::string> inputs = vk2::synth::generateRecordings(o);
    uint64_t totalBytes = 0;
    uint64_t smallest = UINT64_MAX;
    for (const std::string& p : inputs) {
      totalBytes += vk2::fileSizeOf(p);
      smallest = std::min<uint64_t>(smallest, vk2::fileSizeOf(p));
    }
    const double mb = static_cast<double>(totalBytes) / 1e6;
    std::printf("inputs: %d files, %.1f MB in all, smallest %.1f MB (generated in %.1f s)\n", files, mb,
                static_cast<double>(smallest) / 1e6, secondsSince(start));

    std::string cat = "cat";
    for (const std::string& p : inputs) {
      cat += ' ';
      cat += quoted(p);
    }
    cat += " > ";
    cat += quoted((dir / "cat.out").string());
    const std::string output = (dir / "merged.mmv").string();
    const uint64_t expectedBytes = totalBytes - static_cast<uint64_t>(files - 1) * vk2::kLeadingPartSize;

    // Copy and merge take turns and the best round of each counts, so that
    // other load, write-back of an earlier round and the first touch of fresh
    // page-cache pages do not decide the ratio.
    // Each timing starts with no dirty pages left by the step before it.
    constexpr int kRounds = 5;
    ChildResult copy, merge;
    copy.seconds = merge.seconds = 1e300;
    bool sizeOk = true;
    double mergedMb = 0;
    for (int round = 0; round < kRounds; ++round) {
      sync();
      const ChildResult c = inChild([&] { return std::system(cat.c_str()) == 0 ? 0 : 1; });
      fs::remove(dir / "cat.out");
      sync();
      const ChildResult m = inChild([&] {
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
      const uint64_t mergedBytes = fs::exists(output) ? vk2::fileSizeOf(output) : 0;
      mergedMb = static_cast<double>(mergedBytes) / 1e6;
      sizeOk = sizeOk && mergedBytes == expectedBytes;
      fs::remove(output);
      if (round == 0 || c.status != 0) copy.status = c.status;
      if (round == 0 || m.status != 0) merge.status = m.status;
      copy.seconds = std::min(copy.seconds, c.seconds);
      merge.seconds = std::min(merge.seconds, m.seconds);
      merge.maxRssKiB = std::max(merge.maxRssKiB, m.maxRssKiB);
    }

    const double ratio = merge.seconds / copy.seconds;
    std::printf("cat:   best of %d %.2f s, %.0f MB/s\n", kRounds, copy.seconds, mb / copy.seconds);
    std::printf("merge: best of %d %.2f s, %.0f MB/s, merged file %.1f MB%s\n", kRounds, merge.seconds,
                mb / merge.seconds, mergedMb, sizeOk ? "" : " WRONG SIZE");
    std::printf("merge time / cat time: %.2fx; target <= 1.3x: %s\n", ratio, ratio <= 1.3 ? "met" : "MISSED");
    const double peakMiB = static_cast<double>(merge.maxRssKiB) / 1024;
    std::printf("merge peak memory (child ru_maxrss): %.1f MiB; target < 64 MiB: %s\n", peakMiB,
                peakMiB < 64 ? "met" : "MISSED");
    if (merge.status != 0 || copy.status != 0 || !sizeOk || peakMiB >= 64) exitStatus = 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "merge_bench: %s\n", e.what());
    exitStatus = 1;
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
  return exitStatus;
}
#endif
