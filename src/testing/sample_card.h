#pragma once
// A memory card for the trip tests: 39 short recordings made by the generator
// (no encoder) plus an unreadable file, named in reverse time order. Its trips:
// 15 and 2 files of one 17-file drive, 4 and 6 files of a drive with a 5-second
// gap, and 12 files: "5 trips in 40 MMV files".
#include <cstdio>
#include <string>

#include "synth/synth.h"
#include "testing/test_support.h"

namespace vk2::testing {

inline void writeSampleCard(const std::string& card, const std::string& scratch) {
  constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC
  const std::pair<int, int32_t> drives[] = {{17, kStart}, {4, kStart + 3600}, {6, kStart + 3600 + 8 + 5},
                                            {12, kStart + 7200}};
  int written = 0;
  for (const auto& [files, start] : drives) {
    synth::SynthOptions o;
    o.outPrefix = scratch + "drive" + std::to_string(written);
    o.files = files;
    o.seconds = 2;
    o.startEpoch = start;
    o.fps = 5;
    o.audio = false;
    o.fillerBytes = 200;
    for (const std::string& path : synth::generateRecordings(o))
      std::rename(path.c_str(), (card + "clip" + std::to_string(1000 - written++) + ".mmv").c_str());
  }
  writeText(card + "broken.MMV", "too short");
}

}  // namespace vk2::testing
