// The track reader hands over exactly the records the conversion's extraction
// keeps: the same selection merged and extracted gives the same records, for
// every window, with recordings that end early and records the walk skips.
#include "telemetry/track_reader.h"

#include <gtest/gtest.h>

#include "extract/drv_stream_header.h"
#include "extract/extract_streams.h"
#include "mmv/merge.h"
#include "testing/stage_harness.h"
#include "testing/telemetry_recording.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using synth::MmvBuilder;
using testing::StageHarness;
using testing::TempDir;

constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC

// Four seconds from `start`: per second a telemetry record (speed `first` + i),
// a video frame and an audio frame.
MmvBuilder seconds4(int32_t start, uint8_t first) {
  MmvBuilder b;
  b.setTimes(start, start + 4);
  for (int i = 0; i < 4; ++i) {
    b.add(kFrameDrv, testing::drvPayload(testing::drvAt(start + i, 50, 8, static_cast<uint8_t>(first + i))));
    b.add(kFrameVideo0, {0, 0, 0, 1}).add(kFrameAudio, {1, 2});
  }
  return b;
}

// Speeds of the records the extraction kept in its ".drv" stream.
std::vector<int> extractedSpeeds(StageHarness& h, const std::string& input, const std::string& target) {
  const ExtractResult r = ExtractStreams(h.ctx, input, RunFiles::forConversion(target, 1), /*keepDrv=*/true);
  const std::vector<uint8_t> drv = testing::readFile(r.paths.drv);
  std::vector<int> speeds;
  for (std::size_t at = kDrvStreamHeaderSize; at + kDrvRecordSize <= drv.size(); at += kDrvRecordSize)
    speeds.push_back(DrvRecord::read(drv.data() + at).speedKmh);
  return speeds;
}

TrackReading readTrack(const std::vector<std::string>& files, int32_t trimStart, int32_t trimEnd,
                       std::vector<int>& speeds) {
  StageHarness h;
  h.state.selectedFiles = files;
  h.state.trimStart = trimStart;
  h.state.trimEnd = trimEnd;
  return ReadTrack(h.ctx, [&speeds](const DrvRecord& r) { speeds.push_back(r.speedKmh); });
}

TEST(TrackReader, MergedSelectionGivesTheRecordsOfTheMergedExtraction) {
  TempDir dir;
  seconds4(kStart, 10).writeTo(dir.file("a.mmv"));
  // A telemetry record of the wrong length is skipped, as the extraction skips
  // it; the header of its third second is zero from its 5th byte on, as a power
  // cut during a header write leaves it.
  std::vector<uint8_t> b = seconds4(kStart + 4, 20).add(kFrameDrv, std::vector<uint8_t>(100, 7)).build();
  const std::size_t thirdSecond = kLeadingPartSize + 2 * (270 + 154 + 152);
  std::fill(b.begin() + static_cast<std::ptrdiff_t>(thirdSecond) + 5,
            b.begin() + static_cast<std::ptrdiff_t>(thirdSecond + kFrameHeaderSize), 0);
  testing::writeFile(dir.file("b.mmv"), b);
  // Cut off inside its last record.
  const std::vector<uint8_t> whole = seconds4(kStart + 8, 30).build();
  testing::writeFile(dir.file("c.mmv"), std::vector<uint8_t>(whole.begin(), whole.end() - 1));
  seconds4(kStart + 12, 40).writeTo(dir.file("d.mmv"));
  const std::vector<std::string> files{dir.file("a.mmv"), dir.file("b.mmv"), dir.file("c.mmv"), dir.file("d.mmv")};

  for (const auto& [trimStart, trimEnd] : std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 3}, {5, 6}}) {
    SCOPED_TRACE(std::to_string(trimStart) + "/" + std::to_string(trimEnd));
    StageHarness merge;
    merge.state.trimStart = trimStart;
    merge.state.trimEnd = trimEnd;
    for (int i = 0; i < 4; ++i) MergeMmvFile(merge.ctx, files[static_cast<std::size_t>(i)], i + 1, 4, dir.file("m.mmv"));
    const std::vector<int> expected = extractedSpeeds(merge, dir.file("m.mmv"), dir.file("m.mp4"));

    std::vector<int> speeds;
    const TrackReading reading = readTrack(files, trimStart, trimEnd, speeds);
    EXPECT_EQ(speeds, expected);
    EXPECT_EQ(reading.records, static_cast<int32_t>(speeds.size()));
    EXPECT_EQ(reading.warnings, merge.state.recordingWarnings);
  }
  // Every complete record of every file, past the damage too; the warnings name the damaged files.
  std::vector<int> all;
  const TrackReading reading = readTrack(files, 0, 0, all);
  EXPECT_EQ(all, (std::vector<int>{10, 11, 12, 13, 20, 21, 30, 31, 32, 33, 40, 41, 42, 43}));
  ASSERT_EQ(reading.warnings.size(), 2u);
  EXPECT_EQ(reading.warnings[0].rfind(dir.file("b.mmv") + " ends early", 0), 0u);
  EXPECT_EQ(reading.warnings[1].rfind(dir.file("c.mmv") + " ends early", 0), 0u);
}

TEST(TrackReader, OneRecordingGivesTheRecordsOfItsExtraction) {
  TempDir dir;
  const std::vector<uint8_t> whole = seconds4(kStart, 10).build();
  testing::writeFile(dir.file("c.mmv"), std::vector<uint8_t>(whole.begin(), whole.end() - 1));
  // Ends with its last second's telemetry record, whose payload a power cut left zero:
  // no record of 1970 at 0,0 may come of it.
  std::vector<uint8_t> zeroTail(whole.begin(), whole.begin() + kLeadingPartSize + 3 * (270 + 154 + 152) + 270);
  std::fill(zeroTail.end() - 120, zeroTail.end(), 0);
  testing::writeFile(dir.file("z.mmv"), zeroTail);
  for (const char* name : {"c", "z"}) {
    const std::string file = dir.file(std::string(name) + ".mmv");
    for (const auto& [trimStart, trimEnd] : std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {0, 2}}) {
      StageHarness h;
      h.state.trimStart = trimStart;
      h.state.trimEnd = trimEnd;
      const std::vector<int> expected = extractedSpeeds(h, file, dir.file("c.mp4"));
      std::vector<int> speeds;
      const TrackReading reading = readTrack({file}, trimStart, trimEnd, speeds);
      EXPECT_EQ(speeds, expected);
      ASSERT_EQ(reading.warnings.size(), 1u);
      EXPECT_EQ(reading.warnings[0],
                ExtractStreams(h.ctx, file, RunFiles::forConversion(dir.file("c.mp4"), 1)).warning);
    }
    std::vector<int> all;
    readTrack({file}, 0, 0, all);
    const std::vector<int> want = *name == 'c' ? std::vector<int>{10, 11, 12, 13} : std::vector<int>{10, 11, 12};
    EXPECT_EQ(all, want);
  }
}

TEST(TrackReader, UnreadableAndCutRecordingsAreNamed) {
  TempDir dir;
  seconds4(kStart, 10).writeTo(dir.file("a.mmv"));
  testing::writeFile(dir.file("tiny.mmv"), std::vector<uint8_t>(500, 0));
  std::vector<uint8_t> cutShort = seconds4(kStart + 4, 20).build();
  cutShort.resize(1000);
  testing::writeFile(dir.file("short.mmv"), cutShort);
  std::vector<int> speeds;
  EXPECT_EQ(testing::thrownMessage([&] { readTrack({dir.file("tiny.mmv")}, 0, 0, speeds); }),
            dir.file("tiny.mmv") + ": file is shorter than its 762-byte file header and info block");
  // Cut inside its leading part: no record, and the merge goes on with the next file.
  const TrackReading cut = readTrack({dir.file("a.mmv"), dir.file("short.mmv")}, 0, 0, speeds);
  ASSERT_EQ(cut.warnings.size(), 1u);
  EXPECT_EQ(cut.warnings[0], dir.file("short.mmv") + " ends early at offset 1000, 0 seconds into the recording (file is "
                                                     "shorter than the 4858-byte leading part (1000 bytes)): records 1 "
                                                     "to 12 (about 4 seconds) are missing");
}

}  // namespace
}  // namespace vk2
