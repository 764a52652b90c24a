#pragma once
// A memory card for the trip tests: 39 short recordings made by the generator
// (no encoder) plus an unreadable file, named in reverse time order. Its trips:
// 15 and 2 files of one 17-file drive, 4 and 6 files of a drive with a 5-second
// gap, and 12 files: "5 trips in 40 MMV files". Its drives are writeDrive's,
// which the other card tests use for cards of their own.
#include <cstdio>
#include <string>
#include <vector>

#include "synth/synth.h"
#include "testing/test_support.h"

namespace vk2::testing {

// `files` recordings of `seconds` each from `start`, one after another, as PREFIX.mmv
// or PREFIX_1.mmv ...; no encoder.
inline std::vector<std::string> writeDrive(const std::string& prefix, int files, int32_t start, int seconds) {
  synth::SynthOptions o;
  o.outPrefix = prefix;
  o.files = files;
  o.seconds = seconds;
  o.startEpoch = start;
  o.fps = 5;
  o.audio = false;
  o.fillerBytes = 200;
  return synth::generateRecordings(o);
}

inline void writeSampleCard(const std::string& card, const std::string& scratch) {
  constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC
  const std::pair<int, int32_t> drives[] = {{17, kStart}, {4, kStart + 3600}, {6, kStart + 3600 + 8 + 5},
                                            {12, kStart + 7200}};
  int written = 0;
  for (const auto& [files, start] : drives) {
    for (const std::string& path : writeDrive(scratch + "drive" + std::to_string(written), files, start, 2))
      std::rename(path.c_str(), (card + "clip" + std::to_string(1000 - written++) + ".mmv").c_str());
  }
  writeText(card + "broken.MMV", "too short");
}

}  // namespace vk2::testing
