#include "extract/extract_streams.h"

#include <gtest/gtest.h>

#include "extract/drv_record.h"
#include "extract/drv_stream_header.h"
#include "mmv-synth/mmv_builder.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using synth::MmvBuilder;
using testing::readFile;
using testing::TempDir;

constexpr int32_t kStart = 1635502210;  // 2021-10-29 10:10:10 UTC

struct Harness {
  ConversionState state;
  HiddenLog log;
  HiddenLog subtitles;
  PlainConversionOptions options;
  int pumps = 0;
  StageContext ctx{state, log, subtitles, options, [this] { ++pumps; }, nullptr, {}};
};

std::vector<uint8_t> drvPayload(uint8_t speed, uint8_t fill = 0) {
  std::vector<uint8_t> p(kDrvRecordSize, fill);
  DrvRecord r;
  r.speedKmh = speed;
  r.heading = 90;
  r.sampleTime = kStart;
  r.write(p.data());
  return p;
}

std::vector<uint8_t> bytesOf(int32_t n, std::size_t size = 4) {
  std::vector<uint8_t> p(size, 0);
  for (std::size_t i = 0; i < 4 && i < size; ++i) p[i] = static_cast<uint8_t>(n >> (8 * i));
  return p;
}

std::vector<uint8_t> concat(const std::vector<std::vector<uint8_t>>& parts) {
  std::vector<uint8_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(DerivedPaths, ReplaceTheFileNameExtension) {
  const DerivedPaths w = DerivedPaths::fromTarget("C:\\out\\clip.mp4");
  EXPECT_EQ(w.h264, "C:\\out\\clip.h264");
  EXPECT_EQ(w.pcm, "C:\\out\\clip.pcm");
  EXPECT_EQ(w.drv, "C:\\out\\clip.drv");
  EXPECT_EQ(w.ass, "C:\\out\\clip.ass");
  EXPECT_EQ(w.subtitledMp4, "C:\\out\\clip_Sub.mp4");
  EXPECT_EQ(DerivedPaths::fromTarget("/a/b.c.mp4").pcm, "/a/b.c.pcm");
  // A "." in a folder name is no extension.
  EXPECT_EQ(DerivedPaths::fromTarget("/v1.2/clip").h264, "/v1.2/clip.h264");
  EXPECT_EQ(DerivedPaths::fromTarget("clip").ass, "clip.ass");
}

TEST(DrvStreamHeader, BytesAtTheirOffsets) {
  MmvTimeStamp start;
  start.setSeconds(kStart);
  start.setAux16(0xBEEF);
  start.setAux8(0x77);
  const auto h = drvStreamHeader("clip.drv", 3, start);
  std::vector<uint8_t> expected(kDrvStreamHeaderSize, 0);
  for (int i = 0; i < 8; ++i) expected[i] = static_cast<uint8_t>("clip.drv"[i]);
  // 3 x 120 + 22 = 382; 3; 360; the start seconds; aux16; 0x0A at 69.
  expected[40] = 0x7E;
  expected[41] = 0x01;
  expected[44] = 3;
  expected[58] = 0x68;
  expected[59] = 0x01;
  expected[62] = 0x82;
  expected[63] = 0xC8;
  expected[64] = 0x7B;
  expected[65] = 0x61;
  expected[66] = 0xEF;
  expected[67] = 0xBE;
  expected[69] = 0x0A;
  EXPECT_EQ(std::vector<uint8_t>(h.begin(), h.end()), expected);

  // 40 characters or more: the first 40, no terminator.
  const std::string longName(45, 'n');
  const auto l = drvStreamHeader(longName, 0, start);
  EXPECT_EQ(std::string(l.begin(), l.begin() + 40), std::string(40, 'n'));
  EXPECT_EQ(l[40], 22);
  EXPECT_EQ(l[69], 0x0A);
}

TEST(ExtractStreams, WritesStreamsScriptAndLog) {
  TempDir dir;
  MmvBuilder b;
  b.setTimes(kStart, kStart + 10);
  b.header().setPlayResX(640);
  b.header().setPlayResY(480);
  b.add(kFrameVideo0, {1, 2, 3}, 0, true);
  b.add(kFrameAudio, {4, 5});
  b.add(kFrameDrv, drvPayload(50, 0xAB));
  b.add(kFrameVideo1, {6});
  b.add(9, {7, 7});  // unknown type: skipped
  b.add(kFrameDrv, drvPayload(60));
  b.writeTo(dir.file("rec.mmv"));

  for (const bool keepDrv : {false, true}) {
    Harness h;
    const ExtractResult r =
        ExtractStreams(h.ctx, dir.file("rec.mmv"), dir.file("clip.mp4"), keepDrv);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.paths.h264, dir.file("clip.h264"));
    EXPECT_EQ(readFile(r.paths.h264), (std::vector<uint8_t>{1, 2, 3, 6}));
    EXPECT_EQ(readFile(r.paths.pcm), (std::vector<uint8_t>{4, 5}));
    EXPECT_EQ(r.videoWritten, 2);
    EXPECT_EQ(r.audioWritten, 1);
    EXPECT_EQ(r.drvWritten, 2);
    EXPECT_EQ(r.durationSec, 10);
    EXPECT_DOUBLE_EQ(r.frameRate, 0.1);
    EXPECT_EQ(h.log.lines(), (std::vector<std::string>{
                                 "MMV Sec = 10", "totalDrvCount = 2", "total FrameCount = 6",
                                 "doubleFramePerSec = 0.6", "rec.mmv",
                                 "H264 Size = 4, PCM Size = 2, DRV Size = 240",
                                 "H264 Count = 1, Frame = 0, PCM Count = 0, DRV Count = 1"}));
    // Five seconds per record; event 0 starts at 0:00.
    ASSERT_EQ(h.subtitles.lines().size(), 13u);
    EXPECT_EQ(h.subtitles.lines()[1], "PlayResX: 640");
    EXPECT_EQ(h.subtitles.lines()[9].substr(0, 30), "Dialogue: 0,0:0:0.0,0:0:5.0,De");
    EXPECT_EQ(h.subtitles.lines()[12].substr(0, 55),
              "Dialogue: 0,0:0:5.0,0:0:10.0,Default - DR,,0,0,0,,  90 ");
    EXPECT_TRUE(testing::fileExists(r.paths.ass));
    EXPECT_EQ(h.pumps, 7);  // once per frame, once at the end
    if (!keepDrv) {
      EXPECT_FALSE(testing::fileExists(r.paths.drv));
      continue;
    }
    const std::vector<uint8_t> drv = readFile(r.paths.drv);
    ASSERT_EQ(drv.size(), 80u + 240u);
    EXPECT_EQ(std::string(drv.begin(), drv.begin() + 40), "clip.drv" + std::string(32, '\0'));
    EXPECT_EQ(std::vector<uint8_t>(drv.begin() + 80, drv.end()),
              concat({drvPayload(50, 0xAB), drvPayload(60)}));
  }
}

TEST(ExtractStreams, TimeWindowKeepsBothEnds) {
  // 600 records over 20 seconds: 30 sequence numbers per second.
  TempDir dir;
  MmvBuilder b;
  b.setTimes(kStart, kStart + 20);
  for (int32_t i = 1; i <= 600; ++i) {
    if (i % 10 == 0)
      b.add(kFrameDrv, drvPayload(static_cast<uint8_t>(i / 10)));
    else
      b.add(i % 10 == 5 ? kFrameAudio : kFrameVideo0, bytesOf(i));
  }
  b.writeTo(dir.file("rec.mmv"));
  Harness h;
  h.state.trimStart = 10;
  h.state.trimEnd = 5;
  const ExtractResult r = ExtractStreams(h.ctx, dir.file("rec.mmv"), dir.file("w.mp4"));
  ASSERT_TRUE(r.ok) << r.error;
  // Sequence numbers 300..450 are inside: 300 x 1.0 <= n <= 600 - 5 x 30.
  const std::vector<uint8_t> video = readFile(r.paths.h264);
  ASSERT_GE(video.size(), 4u);
  EXPECT_EQ(std::vector<uint8_t>(video.begin(), video.begin() + 4), bytesOf(301));
  EXPECT_EQ(std::vector<uint8_t>(video.end() - 4, video.end()), bytesOf(449));
  EXPECT_EQ(r.videoWritten, 120);
  EXPECT_EQ(r.audioWritten, 15);
  EXPECT_EQ(r.drvWritten, 16);  // 300, 310, ..., 450
  EXPECT_EQ(r.durationSec, 5);
  EXPECT_DOUBLE_EQ(r.frameRate, 119.0 / 5);
  EXPECT_EQ(h.log.lines()[3], "doubleFramePerSec = 30");
  EXPECT_EQ(h.subtitles.lines()[9].substr(0, 32), "Dialogue: 0,0:0:0.0,0:0:0.34,Def");

  // Trim 10 at 30 per second: 1..299 dropped, 300 kept.
  Harness first;
  first.state.trimStart = 10;
  MmvBuilder v;
  v.setTimes(kStart, kStart + 20);
  for (int32_t i = 1; i <= 600; ++i) v.add(kFrameVideo0, bytesOf(i));
  v.writeTo(dir.file("v.mmv"));
  const ExtractResult rv = ExtractStreams(first.ctx, dir.file("v.mmv"), dir.file("v.mp4"));
  const std::vector<uint8_t> kept = readFile(rv.paths.h264);
  EXPECT_EQ(std::vector<uint8_t>(kept.begin(), kept.begin() + 4), bytesOf(300));
  EXPECT_EQ(rv.videoWritten, 301);

  // The log shows the rate with 15 significant digits.
  MmvBuilder odd;
  odd.setTimes(kStart, kStart + 30);
  for (int32_t i = 1; i <= 899; ++i) odd.add(kFrameVideo0, {1});
  odd.writeTo(dir.file("odd.mmv"));
  Harness o;
  ExtractStreams(o.ctx, dir.file("odd.mmv"), dir.file("odd.mp4"));
  EXPECT_EQ(o.log.lines()[3], "doubleFramePerSec = 29.9666666666667");
}

TEST(ExtractStreams, StopRulesEndTheWalkNormally) {
  TempDir dir;
  for (const int kind : {0, 1, 2}) {
    MmvBuilder b;
    b.setTimes(kStart, kStart + 10);
    b.add(kFrameVideo0, {1});
    synth::RecordSpec stop;
    stop.frameType = kFrameVideo0;
    stop.payload = {2};
    if (kind == 0) stop.payloadLengthOverride = 0;
    if (kind == 1) stop.sequenceNumber = 0;
    if (kind == 2) stop.sequenceNumber = 1000000;
    b.add(stop);
    b.add(kFrameVideo0, {3});
    b.writeTo(dir.file("rec.mmv"));
    Harness h;
    const ExtractResult r = ExtractStreams(h.ctx, dir.file("rec.mmv"), dir.file("s.mp4"));
    EXPECT_TRUE(r.ok) << kind << ": " << r.error;
    EXPECT_EQ(readFile(r.paths.h264), (std::vector<uint8_t>{1})) << kind;
  }
}

TEST(ExtractStreams, NoFramesGiveHeaderOnlyFiles) {
  TempDir dir;
  MmvBuilder b;
  b.setTimes(kStart, kStart + 10);
  b.add(kFrameVideo0, {1});
  b.setFillCounts(false);  // totalFrameCount stays 0
  b.writeTo(dir.file("rec.mmv"));
  Harness h;
  const ExtractResult r = ExtractStreams(h.ctx, dir.file("rec.mmv"), dir.file("e.mp4"), true);
  EXPECT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(readFile(r.paths.h264).empty());
  EXPECT_TRUE(readFile(r.paths.pcm).empty());
  EXPECT_EQ(readFile(r.paths.drv).size(), 80u);
  EXPECT_EQ(h.subtitles.lines().size(), 9u);
  EXPECT_EQ(r.frameRate, 0.0);
  EXPECT_EQ(h.log.lines().back(), "H264 Count = -1, Frame = 0, PCM Count = -1, DRV Count = -1");
}

TEST(ExtractStreams, ZeroLengthOrCountMeansNoCutAndNoEvents) {
  TempDir dir;
  MmvBuilder b;
  b.setTimes(kStart, kStart);  // mmvSec 0
  b.add(kFrameVideo0, {1});
  b.add(kFrameDrv, drvPayload(1));
  b.writeTo(dir.file("zero.mmv"));
  Harness h;
  const ExtractResult r = ExtractStreams(h.ctx, dir.file("zero.mmv"), dir.file("z.mp4"));
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.nothingToConvert);
  EXPECT_EQ(r.error,
            dir.file("zero.mmv") + ": nothing to convert: the time window is 0 seconds long");
  EXPECT_EQ(r.videoWritten, 1);
  EXPECT_EQ(r.drvWritten, 1);
  EXPECT_EQ(h.subtitles.lines().size(), 9u);
  EXPECT_EQ(h.log.lines()[3], "doubleFramePerSec = 0");
  EXPECT_EQ(h.log.lines()[4],
            "MMV Sec is 0: every frame is kept and no subtitle events are written");
  EXPECT_EQ(h.log.lines().size(), 7u);  // no count line without a length

  MmvBuilder c;
  c.setTimes(kStart, kStart + 10);
  c.add(kFrameDrv, drvPayload(1));
  c.setFillCounts(false);
  c.info().setTotalFrameCount(1);  // drvFrameCount stays 0
  c.writeTo(dir.file("nodrv.mmv"));
  Harness n;
  const ExtractResult rn = ExtractStreams(n.ctx, dir.file("nodrv.mmv"), dir.file("n.mp4"));
  EXPECT_TRUE(rn.ok) << rn.error;
  EXPECT_EQ(rn.drvWritten, 1);
  EXPECT_EQ(n.subtitles.lines().size(), 9u);
  EXPECT_EQ(n.log.lines()[4], "totalDrvCount is 0: no subtitle events are written");
}

TEST(ExtractStreams, OversizedAndOddPayloads) {
  TempDir dir;
  std::vector<uint8_t> keyFrame(300000);
  for (std::size_t i = 0; i < keyFrame.size(); ++i) keyFrame[i] = static_cast<uint8_t>(i * 7);
  MmvBuilder b;
  b.setTimes(kStart, kStart + 10);
  b.add(kFrameVideo0, keyFrame, 0, true);
  b.add(kFrameDrv, std::vector<uint8_t>(100, 1));  // not a telemetry record: skipped
  b.add(kFrameDrv, drvPayload(7));
  b.add(kFrameVideo1, {9});
  b.writeTo(dir.file("big.mmv"));
  Harness h;
  const ExtractResult r = ExtractStreams(h.ctx, dir.file("big.mmv"), dir.file("b.mp4"), true);
  ASSERT_TRUE(r.ok) << r.error;
  std::vector<uint8_t> expected = keyFrame;
  expected.push_back(9);
  EXPECT_EQ(readFile(r.paths.h264), expected);
  EXPECT_EQ(r.drvWritten, 1);
  EXPECT_EQ(readFile(r.paths.drv).size(), 80u + 120u);
  EXPECT_EQ(h.log.lines()[4], "DRV frame 2 skipped: payloadLength 100 is not 120");
  // The kept record is event 0 even though a skipped one came first.
  EXPECT_EQ(h.subtitles.lines()[9].substr(0, 20), "Dialogue: 0,0:0:0.0,");

  // Beyond the limit the file is damaged; nothing of that record is written.
  MmvBuilder huge;
  huge.setTimes(kStart, kStart + 10);
  huge.add(kFrameAudio, {5});
  synth::RecordSpec absurd;
  absurd.frameType = kFrameVideo0;
  absurd.payload = {1, 2};
  absurd.payloadLengthOverride = static_cast<int32_t>(kMaxPayloadSize + 1);
  huge.add(absurd);
  huge.writeTo(dir.file("huge.mmv"));
  Harness g;
  const ExtractResult rg = ExtractStreams(g.ctx, dir.file("huge.mmv"), dir.file("g.mp4"));
  EXPECT_FALSE(rg.ok);
  EXPECT_TRUE(rg.damaged);
  EXPECT_EQ(rg.error,
            dir.file("huge.mmv") +
                ": payloadLength 67108865 of record 2 at offset 5009 exceeds 67108864 bytes");
  EXPECT_EQ(readFile(rg.paths.pcm), (std::vector<uint8_t>{5}));
  EXPECT_TRUE(readFile(rg.paths.h264).empty());
}

TEST(ExtractStreams, DamagedAndUnusableFiles) {
  TempDir dir;
  MmvBuilder b;
  b.setTimes(kStart, kStart + 10);
  b.add(kFrameVideo0, {1, 1});
  b.add(kFrameDrv, drvPayload(3));
  b.add(kFrameVideo0, std::vector<uint8_t>(1000, 2));
  std::vector<uint8_t> bytes = b.build();
  bytes.resize(bytes.size() - 10);  // the last payload is cut short
  testing::writeFile(dir.file("cut.mmv"), bytes);
  Harness h;
  const ExtractResult r = ExtractStreams(h.ctx, dir.file("cut.mmv"), dir.file("c.mp4"));
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.damaged);
  EXPECT_EQ(r.error.rfind(dir.file("cut.mmv") + ": ", 0), 0u) << r.error;
  EXPECT_EQ(readFile(r.paths.h264), (std::vector<uint8_t>{1, 1}));
  EXPECT_EQ(r.drvWritten, 1);
  EXPECT_EQ(h.subtitles.lines().size(), 11u);
  EXPECT_TRUE(testing::fileExists(r.paths.ass));
  EXPECT_FALSE(testing::fileExists(r.paths.drv));

  Harness m;
  const ExtractResult missing = ExtractStreams(m.ctx, dir.file("none.mmv"), dir.file("m.mp4"));
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.error.rfind(dir.file("none.mmv") + ": cannot open", 0), 0u) << missing.error;

  testing::writeFile(dir.file("tiny.mmv"), std::vector<uint8_t>(700, 0));
  Harness t;
  const ExtractResult tiny = ExtractStreams(t.ctx, dir.file("tiny.mmv"), dir.file("t.mp4"));
  EXPECT_EQ(tiny.error, dir.file("tiny.mmv") +
                            ": file is shorter than its 762-byte file header and info block");

  Harness o;
  const ExtractResult noFolder =
      ExtractStreams(o.ctx, dir.file("cut.mmv"), dir.file("absent/o.mp4"));
  EXPECT_FALSE(noFolder.ok);
  EXPECT_EQ(noFolder.error.rfind(dir.file("absent/o.h264") + ": cannot create", 0), 0u)
      << noFolder.error;

  // A recording named like one of the outputs is never truncated.
  testing::writeFile(dir.file("x.pcm"), b.build());
  Harness s;
  const ExtractResult self = ExtractStreams(s.ctx, dir.file("x.pcm"), dir.file("x.mp4"));
  EXPECT_FALSE(self.ok);
  EXPECT_EQ(readFile(dir.file("x.pcm")), b.build());
}

}  // namespace
}  // namespace vk2
