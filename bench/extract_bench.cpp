// Extraction throughput and memory on a large generated recording, next to a
// plain copy of the same file in the same run.
//
//   extract_bench [FOLDER] [MEGABYTES]
//
// Writes a recording of about MEGABYTES (default 1024) into FOLDER (default the
// system temporary folder), copies and extracts it in turns, reports the best
// time of each with its peak memory, and deletes every file it made.
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
#include "synth/synth.h"
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
  if (argc > 1 && std::string(argv[1]).rfind("-", 0) == 0) {
    std::cout << "usage: extract_bench [FOLDER [MEGABYTES]]\n";
    return 0;
  }
  const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
  const long megabytes = argc > 2 ? std::stol(argv[2]) : 1024;
  const fs::path work =
      folder / ("extract_bench_" + std::to_string(Clock::now().time_since_epoch().count()));
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
    const auto start = Clock::now();
    const std::string recording = vk2::synth::generateRecordings(o).front();
    const double makeSeconds = secondsSince(start);
    const double sizeMb = static_cast<double>(vk2::fileSizeOf(recording)) / 1e6;

    // Copy and extraction take turns; the best of the rounds counts, so that
    // load from other processes and write-back of the previous phase do not
    // decide the comparison.
    constexpr int kRounds = 3;
    double copyBest = 1e300, extractBest = 1e300;
    long copyPeak = 0, extractPeak = 0;
    vk2::ExtractResult r;
    std::size_t subtitleLines = 0;
    for (int round = 0; round < kRounds; ++round) {
      flushWrites();
      resetPeak();
      auto begin = Clock::now();
      plainCopy(recording, (work / "copy.mmv").string());
      copyBest = std::min(copyBest, secondsSince(begin));
      copyPeak = std::max(copyPeak, peakKib());
      fs::remove(work / "copy.mmv");

      vk2::ConversionState state;
      vk2::HiddenLog log, subtitles;
      vk2::PlainConversionOptions options;
      vk2::StageContext ctx{state, log, subtitles, options, [] {}, nullptr, {}};
      flushWrites();
      resetPeak();
      begin = Clock::now();
      r = vk2::ExtractStreams(ctx, recording, vk2::RunFiles::forConversion((work / "x.mp4").string(), 1));
      extractBest = std::min(extractBest, secondsSince(begin));
      extractPeak = std::max(extractPeak, peakKib());
      if (!r.ok) throw std::runtime_error(r.error);
      subtitleLines = subtitles.lines().size();
      for (const std::string& path : {r.paths.h264, r.paths.pcm, r.paths.ass}) fs::remove(path);
    }

    std::printf("recording        %.1f MB, %d s, %d video / %d audio / %d telemetry frames\n",
                sizeMb, r.mmvSec, r.videoWritten, r.audioWritten, r.drvWritten);
    std::printf("generation       %.2f s\n", makeSeconds);
    std::printf("plain copy       best of %d %.2f s  %.0f MB/s  peak RSS %ld KiB\n", kRounds,
                copyBest, sizeMb / copyBest, copyPeak);
    std::printf(
        "extraction       best of %d %.2f s  %.0f MB/s  peak RSS %ld KiB  (%.2fx the copy)\n",
        kRounds, extractBest, sizeMb / extractBest, extractPeak, extractBest / copyBest);
    std::printf("written          %.1f MB of streams, %zu subtitle lines\n",
                static_cast<double>(r.videoBytes + r.audioBytes + r.drvBytes) / 1e6, subtitleLines);
  } catch (const std::exception& e) {
    std::cerr << "extract_bench: " << e.what() << "\n";
    status = 1;
  }
  std::error_code ec;
  fs::remove_all(work, ec);
  return status;
}
