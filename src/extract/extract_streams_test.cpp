#include "extract/extract_streams.h"

#include <gtest/gtest.h>

#include "extract/drv_record.h"
#include "extract/drv_stream_header.h"
#include "mmv/record_walk.h"
#include "synth/mmv_builder.h"
#include "testing/stage_harness.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using synth::MmvBuilder;
using testing::readFile;
using testing::StageHarness;
using testing::TempDir;
using Bytes = std::vector<uint8_t>;

constexpr int32_t kStart = 1635502210;  // 2021-10-29 10:10:10 UTC

Bytes drvPayload(uint8_t speed, uint8_t fill = 0) {
  Bytes p(kDrvRecordSize, fill);
  DrvRecord r;
  r.speedKmh = speed;
  r.heading = 90;
  r.sampleTime = kStart;
  r.write(p.data());
  return p;
}

MmvBuilder lasting(int32_t seconds) {
  MmvBuilder b;
  b.setTimes(kStart, kStart + seconds);
  return b;
}

// Writes `b` as <name>.mmv and extracts it next to <name>.mp4.
ExtractResult extract(StageHarness& h, const TempDir& dir, const MmvBuilder& b, const std::string& name,
                      bool keepDrv = false) {
  b.writeTo(dir.file(name + ".mmv"));
  return ExtractStreams(h.ctx, dir.file(name + ".mmv"), RunFiles::forConversion(dir.file(name + ".mp4"), 1), keepDrv);
}

Bytes bytesOf(int32_t n) { return {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), 0, 0}; }

TEST(DrvStreamHeader, BytesAtTheirOffsets) {
  MmvTimeStamp start;
  start.setSeconds(kStart);
  start.setAux16(0xBEEF);
  start.setAux8(0x77);
  const auto h = drvStreamHeader("clip.drv", 3, start);
  Bytes expected(kDrvStreamHeaderSize, 0);
  for (int i = 0; i < 8; ++i) expected[i] = static_cast<uint8_t>("clip.drv"[i]);
  // 3 x 120 + 22 = 382 at 40; 3 at 44; 360 at 58; the start seconds and aux16 at 62; 0x0A at 69.
  for (const auto& [at, v] : std::vector<std::pair<int, uint8_t>>{{40, 0x7E}, {41, 0x01}, {44, 3}, {58, 0x68},
                                                                  {59, 0x01}, {62, 0x82}, {63, 0xC8}, {64, 0x7B},
                                                                  {65, 0x61}, {66, 0xEF}, {67, 0xBE}, {69, 0x0A}})
    expected[static_cast<std::size_t>(at)] = v;
  EXPECT_EQ(Bytes(h.begin(), h.end()), expected);
  // 40 characters or more: the first 40, no terminator.
  const auto l = drvStreamHeader(std::string(45, 'n'), 0, start);
  EXPECT_EQ(std::string(l.begin(), l.begin() + 41), std::string(40, 'n') + '\x16');
}

TEST(ExtractStreams, WritesStreamsScriptAndLog) {
  TempDir dir;
  MmvBuilder b = lasting(10);
  b.header().setPlayResX(640);
  b.add(kFrameVideo0, {1, 2, 3}, 0, true).add(kFrameAudio, {4, 5}).add(kFrameDrv, drvPayload(50, 0xAB));
  b.add(kFrameVideo1, {6}).add(9, {7, 7}).add(kFrameDrv, drvPayload(60));  // type 9 is skipped
  b.writeTo(dir.file("rec.mmv"));

  for (const bool keepDrv : {false, true}) {
    StageHarness h;
    const ExtractResult r = ExtractStreams(h.ctx, dir.file("rec.mmv"), RunFiles::forConversion(dir.file("clip.mp4"), 1), keepDrv);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(readFile(dir.file("clip.h264")), (Bytes{1, 2, 3, 6}));  // named after the target
    EXPECT_EQ(r.paths.subtitledMp4, dir.file("clip_Sub.mp4"));
    EXPECT_EQ(readFile(r.paths.pcm), (Bytes{4, 5}));
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
    EXPECT_EQ(h.subtitles.lines()[12].substr(0, 55), "Dialogue: 0,0:0:5.0,0:0:10.0,Default - DR,,0,0,0,,  90 ");
    EXPECT_TRUE(testing::fileExists(r.paths.ass));
    EXPECT_EQ(h.pumps, 7);  // once per frame, once at the end
    EXPECT_EQ(testing::fileExists(r.paths.drv), keepDrv);
    if (!keepDrv) continue;
    const auto header = drvStreamHeader("clip.drv", 2, b.info().startStamp());
    Bytes expected(header.begin(), header.end());
    for (const Bytes& p : {drvPayload(50, 0xAB), drvPayload(60)}) expected.insert(expected.end(), p.begin(), p.end());
    EXPECT_EQ(readFile(r.paths.drv), expected);
  }
}

TEST(ExtractStreams, TimeWindowKeepsBothEnds) {
  // 600 records over 20 seconds: 30 sequence numbers per second.
  TempDir dir;
  MmvBuilder b = lasting(20);
  for (int32_t i = 1; i <= 600; ++i) {
    if (i % 10 == 0)
      b.add(kFrameDrv, drvPayload(static_cast<uint8_t>(i / 10)));
    else
      b.add(i % 10 == 5 ? kFrameAudio : kFrameVideo0, bytesOf(i));
  }
  StageHarness h;
  h.state.trimStart = 10;
  h.state.trimEnd = 5;
  const ExtractResult r = extract(h, dir, b, "w");
  ASSERT_TRUE(r.ok) << r.error;
  // Sequence numbers 300..450 are inside: 300 x 1.0 <= n <= 600 - 5 x 30.
  const Bytes video = readFile(r.paths.h264);
  ASSERT_EQ(video.size(), 4u * 120);
  EXPECT_EQ(Bytes(video.begin(), video.begin() + 4), bytesOf(301));
  EXPECT_EQ(Bytes(video.end() - 4, video.end()), bytesOf(449));
  EXPECT_EQ(r.audioWritten, 15);
  EXPECT_EQ(r.drvWritten, 16);  // 300, 310, ..., 450
  EXPECT_EQ(r.durationSec, 5);
  EXPECT_EQ(h.log.lines()[3], "doubleFramePerSec = 30");

  // A time button pressed while the walk pumps changes neither the cut nor the length.
  StageHarness moved;
  moved.state.trimStart = 10;
  moved.state.trimEnd = 5;
  moved.ctx.pump = [&moved] { moved.state.trimEnd = 1; };
  const ExtractResult m = extract(moved, dir, b, "moved");
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(readFile(m.paths.h264), video);
  EXPECT_EQ(m.durationSec, 5);
  EXPECT_EQ(h.subtitles.lines()[9].substr(0, 32), "Dialogue: 0,0:0:0.0,0:0:0.34,Def");

  // The log shows the rate with 15 significant digits.
  MmvBuilder odd = lasting(30);
  for (int32_t i = 1; i <= 899; ++i) odd.add(kFrameVideo0, {1});
  StageHarness o;
  extract(o, dir, odd, "odd");
  EXPECT_EQ(o.log.lines()[3], "doubleFramePerSec = 29.9666666666667");
}

TEST(ExtractStreams, RecordingsThatEndEarlyKeepTheirCompleteRecordsWithAWarning) {
  TempDir dir;
  // Ten seconds, 4 records: two video frames, then what ends the walk, then one
  // more frame. The frame in front of the stop may be half written: left out too.
  const auto stopAfterSecond = [](std::optional<int32_t> sequenceNumber, std::optional<int32_t> payloadLength) {
    synth::RecordSpec stop;
    stop.payload = {2};
    stop.sequenceNumber = sequenceNumber;
    stop.payloadLengthOverride = payloadLength;
    return lasting(10).add(kFrameVideo0, {1}).add(kFrameVideo0, {9}).add(stop).add(kFrameVideo0, {3});
  };
  const std::string leftOut = "; record 2 before it, at offset 5009, may be cut off and is left out): records 2 to 4 "
                              "(about 8 seconds) are missing";
  const std::tuple<std::optional<int32_t>, std::optional<int32_t>, std::string> stops[] = {
      {{}, 0, "record 3 at offset 5160 has payloadLength 0"},
      {0, {}, "the record header at offset 5160 has sequence number 0"},
      {1000000, {}, "the record header at offset 5160 has sequence number 1000000"},
      {{}, static_cast<int32_t>(kMaxPayloadSize + 1), "record 3 at offset 5160 has payloadLength 67108865"},
  };
  for (const auto& [sequenceNumber, payloadLength, reason] : stops) {
    StageHarness h;
    const ExtractResult r = extract(h, dir, stopAfterSecond(sequenceNumber, payloadLength), "s");
    EXPECT_TRUE(r.ok && r.endedEarly) << reason << ": " << r.error;
    EXPECT_EQ(r.warning, dir.file("s.mmv") + " ends early at offset 5009, 2 seconds into the recording (" + reason +
                             leftOut);
    EXPECT_EQ(readFile(r.paths.h264), (Bytes{1}));
    EXPECT_EQ(r.durationSec, 3);  // one record of four, ten seconds long
    EXPECT_NE(std::find(h.log.lines().begin(), h.log.lines().end(), r.warning), h.log.lines().end());
  }

  // Cut inside a payload, inside a header, and a zero-filled tail.
  MmvBuilder b = lasting(10);
  b.add(kFrameVideo0, {1, 1}).add(kFrameDrv, drvPayload(3)).add(kFrameVideo0, Bytes(1000, 2));
  const Bytes whole = b.build();
  const std::size_t thirdRecord = whole.size() - 1000 - kFrameHeaderSize;
  Bytes zeros(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(thirdRecord));
  zeros.resize(whole.size(), 0);
  const std::string telemetryLeftOut =
      "; record 2 before it, at offset 5010, may be cut off and is left out): records 2 to 3 (about 7 seconds) are "
      "missing";
  const std::tuple<Bytes, std::string, std::size_t> cuts[] = {
      {Bytes(whole.begin(), whole.end() - 10),
       "ends early at offset 5280, 6 seconds into the recording (payloadLength 1000 of record 3 at offset 5280 runs "
       "past the end of the file): records 3 to 3 (about 4 seconds) are missing",
       11},
      {Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(thirdRecord) + 20),
       "ends early at offset 5010, 3 seconds into the recording (the record header at offset 5280 is cut off by the "
       "end of the file" + telemetryLeftOut,
       9},
      {zeros, "ends early at offset 5010, 3 seconds into the recording (a zero-filled record header at offset 5280" +
                  telemetryLeftOut,
       9}};
  for (const auto& [bytes, warning, scriptLines] : cuts) {
    testing::writeFile(dir.file("cut.mmv"), bytes);
    StageHarness h;
    const ExtractResult r = ExtractStreams(h.ctx, dir.file("cut.mmv"), RunFiles::forConversion(dir.file("c.mp4"), 1));
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.warning, dir.file("cut.mmv") + " " + warning);
    EXPECT_EQ(readFile(r.paths.h264), (Bytes{1, 1}));
    EXPECT_EQ(h.subtitles.lines().size(), scriptLines);  // the telemetry record only when it is complete
    EXPECT_FALSE(testing::fileExists(r.paths.drv));
  }

  // A cut before the window begins leaves nothing to convert, and says why.
  StageHarness late;
  late.state.trimStart = 5;
  const ExtractResult r = extract(late, dir, stopAfterSecond(0, {}), "late");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, r.warning + "; no complete video is left in the chosen time window");
}

TEST(ExtractStreams, NoFramesNoLengthOrNoTelemetryCount) {
  TempDir dir;
  MmvBuilder none = lasting(10);
  none.add(kFrameVideo0, {1}).setFillCounts(false);  // totalFrameCount stays 0
  StageHarness h;
  const ExtractResult r = extract(h, dir, none, "e", true);
  EXPECT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(readFile(r.paths.h264).empty());
  EXPECT_EQ(readFile(r.paths.drv).size(), 80u);
  EXPECT_EQ(h.subtitles.lines().size(), 9u);
  EXPECT_EQ(h.log.lines().back(), "H264 Count = -1, Frame = 0, PCM Count = -1, DRV Count = -1");

  StageHarness z;  // mmvSec 0
  const ExtractResult rz = extract(z, dir, lasting(0).add(kFrameVideo0, {1}).add(kFrameDrv, drvPayload(1)), "zero");
  EXPECT_TRUE(rz.nothingToConvert);
  EXPECT_EQ(rz.error, dir.file("zero.mmv") + ": nothing to convert: the time window is 0 seconds long");
  EXPECT_EQ(rz.videoWritten, 1);
  EXPECT_EQ(z.subtitles.lines().size(), 9u);
  EXPECT_EQ(z.log.lines()[4], "MMV Sec is 0: every frame is kept and no subtitle events are written");
  EXPECT_EQ(z.log.lines().size(), 7u);  // no count line without a length

  MmvBuilder c = lasting(10);
  c.add(kFrameDrv, drvPayload(1)).setFillCounts(false);
  c.info().setTotalFrameCount(1);  // drvFrameCount stays 0
  StageHarness n;
  EXPECT_TRUE(extract(n, dir, c, "nodrv").ok);
  EXPECT_EQ(n.subtitles.lines().size(), 9u);
  EXPECT_EQ(n.log.lines()[4], "totalDrvCount is 0: no subtitle events are written");
}

TEST(ExtractStreams, OddPayloadsAreSkippedAndOversizedOnesAreDamage) {
  TempDir dir;
  MmvBuilder b = lasting(10);
  b.add(kFrameVideo0, Bytes(300000, 5), 0, true).add(kFrameDrv, Bytes(100, 1)).add(kFrameDrv, drvPayload(7));
  StageHarness h;
  const ExtractResult r = extract(h, dir, b, "big", true);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(readFile(r.paths.h264), Bytes(300000, 5));
  EXPECT_EQ(readFile(r.paths.drv).size(), 80u + 120u);
  EXPECT_EQ(h.log.lines()[4], "DRV frame 2 skipped: payloadLength 100 is not 120");
  // The kept record is event 0 even though a skipped one came first.
  EXPECT_EQ(h.subtitles.lines()[9].substr(0, 20), "Dialogue: 0,0:0:0.0,");
}

// Large payloads are written from the read buffer, small ones copied: the
// streams keep their order across the reads that reuse the buffer.
TEST(ExtractStreams, LargeAndSmallPayloadsKeepTheirOrderAcrossReads) {
  TempDir dir;
  MmvBuilder b = lasting(10);
  Bytes video, audio;
  for (int i = 0; i < 600; ++i) {
    const Bytes v(i % 3 == 0 ? 100 : 5000 + i, static_cast<uint8_t>(i));
    const Bytes a(64, static_cast<uint8_t>(255 - i));
    b.add(kFrameVideo0, v, 0, i == 0).add(kFrameAudio, a);
    video.insert(video.end(), v.begin(), v.end());
    audio.insert(audio.end(), a.begin(), a.end());
  }
  StageHarness h;
  const ExtractResult r = extract(h, dir, b, "mixed");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(readFile(r.paths.h264), video);
  EXPECT_EQ(readFile(r.paths.pcm), audio);
}

TEST(ExtractStreams, UnusableFilesNameTheFile) {
  TempDir dir;
  MmvBuilder b = lasting(10);
  b.add(kFrameVideo0, {1, 1}).add(kFrameDrv, drvPayload(3)).add(kFrameVideo0, Bytes(1000, 2));
  b.writeTo(dir.file("cut.mmv"));
  testing::writeFile(dir.file("tiny.mmv"), Bytes(700, 0));
  testing::writeFile(dir.file("x.pcm"), b.build());  // a recording named like an output
  const std::pair<std::string, std::string> cases[] = {
      {"tiny.mmv", dir.file("tiny.mmv") + ": file is shorter than its 762-byte file header and info block"},
      {"cut.mmv", dir.file("absent/o.h264") + ": cannot create"},
      {"x.pcm", ""}};
  for (const auto& [input, error] : cases) {
    StageHarness s;
    const std::string target = dir.file(input == "cut.mmv" ? "absent/o.mp4" : input.substr(0, 1) + ".mp4");
    const ExtractResult e = ExtractStreams(s.ctx, dir.file(input), RunFiles::forConversion(target, 1));
    EXPECT_FALSE(e.ok) << input;
    EXPECT_EQ(e.error.rfind(error, 0), 0u) << e.error;
  }
  EXPECT_EQ(readFile(dir.file("x.pcm")), b.build());  // never truncated
}

}  // namespace
}  // namespace vk2
