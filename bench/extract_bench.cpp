// Extraction throughput and memory on a large generated recording, next to a
// plain copy of the same file in the same run.
//
//   extract_bench [FOLDER] [MEGABYTES]
//
// Writes a recording of about MEGABYTES (default 1024) into FOLDER (default the
// system temporary folder), copies it, extracts it, reports, and deletes every
// file it made.
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "extract/extract_streams.h"
#include "mmv-synth/synth.h"
#include "mmv/record_walk.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Peak resident memory since the last reset, in KiB (Linux: VmHWM).
long peakKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
#ifndef _WIN32
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
#else
  return 0;
#endif
}

// Lets the next peakKib() measure only what follows (Linux 4.0+; ignored elsewhere).
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Starts a phase without dirty pages of the previous one still being written.
void flushWrites() {
#ifndef _WIN32
  ::sync();
#endif
}

void plainCopy(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  std::vector<char> buffer(1 << 20);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    out.write(buffer.data(), in.gcount());
  }
  out.close();
  if (!out) throw std::runtime_error("cannot write " + to);
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
  const long megabytes = argc > 2 ? std::stol(argv[2]) : 1024;
  const fs::path work = folder / ("extract_bench_" + std::to_string(Clock::now().time_since_epoch().count()));
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
    auto start = Clock::now();
    const std::string recording = vk2::synth::generateRecordings(o).front();
    const double makeSeconds = secondsSince(start);
    const double sizeMb = static_cast<double>(vk2::fileSizeOf(recording)) / 1e6;

    const auto timedCopy = [&](long& peak) {
      flushWrites();
      resetPeak();
      const auto begin = Clock::now();
      plainCopy(recording, (work / "copy.mmv").string());
      const double seconds = secondsSince(begin);
      peak = peakKib();
      fs::remove(work / "copy.mmv");
      return seconds;
    };
    long copyPeak = 0;
    const double copyBefore = timedCopy(copyPeak);

    vk2::ConversionState state;
    vk2::HiddenLog log, subtitles;
    vk2::PlainConversionOptions options;
    long pumps = 0;
    vk2::StageContext ctx{state, log, subtitles, options, [&pumps] { ++pumps; }, nullptr, {}};
    flushWrites();
    resetPeak();
    start = Clock::now();
    const vk2::ExtractResult r = vk2::ExtractStreams(ctx, recording, (work / "x.mp4").string());
    const double extractSeconds = secondsSince(start);
    const long extractPeak = peakKib();
    if (!r.ok) throw std::runtime_error(r.error);
    for (const std::string& p : {r.paths.h264, r.paths.pcm, r.paths.ass}) fs::remove(p);
    // Copy again afterwards so that neither side alone pays for a cold cache.
    long copyPeakAfter = 0;
    const double copyAfter = timedCopy(copyPeakAfter);
    const double copySeconds = (copyBefore + copyAfter) / 2;

    std::printf("recording        %.1f MB, %d s, %d video / %d audio / %d telemetry frames kept\n",
                sizeMb, r.mmvSec, r.videoWritten, r.audioWritten, r.drvWritten);
    std::printf("generation       %.2f s\n", makeSeconds);
    std::printf("plain copy       %.2f s before, %.2f s after  mean %.0f MB/s  peak RSS %ld KiB\n",
                copyBefore, copyAfter, sizeMb / copySeconds, std::max(copyPeak, copyPeakAfter));
    std::printf(
        "extraction       %.2f s  %.0f MB/s  peak RSS %ld KiB  (%.2fx the mean copy time)\n",
        extractSeconds, sizeMb / extractSeconds, extractPeak, extractSeconds / copySeconds);
    std::printf("written          %.1f MB of streams, %zu subtitle lines, %ld pumps\n",
                static_cast<double>(r.videoBytes + r.audioBytes + r.drvBytes) / 1e6,
                subtitles.lines().size(), pumps);
  } catch (const std::exception& e) {
    std::cerr << "extract_bench: " << e.what() << "\n";
    status = 1;
  }
  std::error_code ec;
  fs::remove_all(work, ec);
  return status;
}
