#include "synth/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "core/byte_io.h"
#include "core/file_error.h"
#include "mmv/record_walk.h"
#include "testing/record_list.h"
#include "testing/test_support.h"

namespace vk2::synth {
namespace {

using vk2::testing::TempDir;

// Counts per stream, the key frames' offsets and the video bytes of a recording.
struct WalkedFile {
  MmvLeadingPart leading;
  std::vector<vk2::testing::WalkedRecord> records;
  std::vector<int32_t> counts = std::vector<int32_t>(4, 0);  // by frame type
  std::vector<uint64_t> keyOffsets;
  std::vector<uint8_t> h264;
  std::optional<EarlyEnd> end;
};

WalkedFile walkFile(const std::string& path) {
  WalkedFile w;
  w.leading = readLeadingPart(path);
  w.records = vk2::testing::walkRecords(path, &w.end);
  for (const auto& r : w.records) {
    const int type = r.header.frameType();
    ++w.counts.at(static_cast<std::size_t>(type));
    if (type == kFrameVideo0) w.keyOffsets.push_back(r.offset);
    if (type <= kFrameVideo1) w.h264.insert(w.h264.end(), r.payload.begin(), r.payload.end());
    if (type >= kFrameAudio) {
      EXPECT_EQ(r.payload.size(), type == kFrameAudio ? 3840u : 120u);
    }
  }
  return w;
}

TEST(MmvSynth, ConsecutiveFilesReadBackAndDecode) {
#ifdef _WIN32
  GTEST_SKIP() << "the encoder step needs ffmpeg, which the Windows tests do not have";
#endif
  TempDir dir;
  SynthOptions o = parseSynthArgs({"--out", dir.file("rec"), "--files", "3", "--seconds", "2",
                                   "--size", "160x96", "--fps", "10", "--vehicle", "XY-42",
                                   "--play-res", "384x288"});
  const std::vector<std::string> paths = generateRecordings(o);
  ASSERT_EQ(paths, (std::vector<std::string>{dir.file("rec_1.mmv"), dir.file("rec_2.mmv"),
                                             dir.file("rec_3.mmv")}));

  int32_t previousEnd = kDefaultStartEpoch;
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    const WalkedFile w = walkFile(path);
    EXPECT_FALSE(w.end);
    const MmvInfoBlock& info = w.leading.info;
    EXPECT_EQ(info.startStamp().seconds(), previousEnd);
    EXPECT_EQ(info.endStamp().seconds(), previousEnd + 2);
    previousEnd = info.endStamp().seconds();
    EXPECT_EQ(w.leading.header.vehicleNumber(), "XY-42");
    EXPECT_EQ(w.leading.header.playResX(), 384);
    EXPECT_EQ(w.leading.header.playResY(), 288);

    EXPECT_EQ(w.counts, (std::vector<int32_t>{2, 18, 50, 20}));
    EXPECT_EQ(info.totalFrameCount(), 90);
    EXPECT_EQ(info.drvFrameCount(), 20);
    ASSERT_EQ(info.iFrameCount(), 2);
    ASSERT_EQ(w.records.size(), 90u);
    EXPECT_EQ(w.records.back().header.sequenceNumber(), 90);
    // The index lists exactly the key frames' headers, one per second.
    ASSERT_EQ(w.keyOffsets.size(), 2u);
    EXPECT_EQ(w.keyOffsets[0], kLeadingPartSize);
    for (std::size_t k = 0; k < 2; ++k)
      EXPECT_EQ(static_cast<uint64_t>(w.leading.index.entry(k)), w.keyOffsets[k]);
    const auto lastVideo = std::find_if(w.records.rbegin(), w.records.rend(),
                                        [](const auto& r) { return r.header.frameType() <= kFrameVideo1; });
    EXPECT_EQ(lastVideo->header.streamTime(), 1900u);  // 10 frames a second

    const std::string h264 = path + ".h264";
    vk2::testing::writeFile(h264, w.h264);
    EXPECT_EQ(vk2::testing::commandOutput("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                          "stream=codec_name,width,height,r_frame_rate,nb_read_frames "
                                          "-of default=nw=1 " + vk2::testing::shellQuoted(h264)),
              "codec_name=h264\nwidth=160\nheight=96\nr_frame_rate=10/1\nnb_read_frames=20\n");
  }
}

// The camera starts each file with a key frame; between them the interval
// runs on from there, so whole-second trims can start between key frames.
TEST(MmvSynth, KeyFramesStartEachFileAndFollowTheInterval) {
  TempDir dir;
  std::vector<std::string> modes = {"--filler"};  // random payloads, no encoder
#ifndef _WIN32
  modes.push_back("--size");  // encoded pictures, which need ffmpeg
#endif
  for (const std::string& mode : modes) {
    SCOPED_TRACE(mode);
    const SynthOptions o = parseSynthArgs({"--out", dir.file(mode), "--files", "2", "--seconds", "2", "--fps", "10",
                                           "--keyint", "15", mode, mode == "--filler" ? "300" : "64x48"});
    for (const std::string& path : generateRecordings(o)) {
      std::vector<int> keys;
      int video = 0;
      for (const auto& r : walkFile(path).records) {
        if (r.header.frameType() == kFrameVideo0) keys.push_back(video);
        video += r.header.frameType() <= kFrameVideo1;
      }
      EXPECT_EQ(keys, (std::vector<int>{0, 15})) << path;
    }
  }
}

TEST(MmvSynth, EncoderThatCannotRunIsAClearError) {
  TempDir dir;
  SynthOptions o = parseSynthArgs({"--out", dir.file("x"), "--seconds", "1", "--size", "64x64"});
  o.ffmpeg = dir.file("no-such-encoder");
  EXPECT_EQ(vk2::testing::thrownMessage([&] { generateRecordings(o); }),
            "cannot run " + o.ffmpeg + ": " + systemReason(ENOENT));
  EXPECT_TRUE(dir.entries().empty());
}

TEST(MmvSynth, BadOptionsAreUsageErrors) {
  EXPECT_THROW(parseSynthArgs({"--size", "641x360"}), UsageError);  // odd sizes cannot be encoded
  EXPECT_THROW(parseSynthArgs({"--fps"}), UsageError);
  // Present-day stamps are accepted; only an end past the 32-bit field is refused.
  EXPECT_EQ(parseSynthArgs({"--start", "1635501903"}).startEpoch, 1635501903);
  EXPECT_THROW(parseSynthArgs({"--start", "2147483640", "--seconds", "10"}), UsageError);
}

}  // namespace
}  // namespace vk2::synth
