#include "mmv/merge.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "synth/mmv_builder.h"
#include "core/file_error.h"
#include "mmv/record_walk.h"
#include "testing/record_list.h"
#include "testing/stage_harness.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;
using testing::readFile;

struct MergeFixture : testing::StageHarness {
  testing::TempDir dir;

  std::string write(const std::string& name, const synth::MmvBuilder& b) {
    b.writeTo(dir.file(name));
    return dir.file(name);
  }
  void merge(const Lines& inputs, const std::string& out) {
    const int n = static_cast<int>(inputs.size());
    for (int i = 0; i < n; ++i) MergeMmvFile(ctx, inputs[static_cast<std::size_t>(i)], i + 1, n, out);
  }
};

// `count` records cycling through video, audio and telemetry, with stream times
// starting at `time0` and payloads marked by `mark`.
synth::MmvBuilder recording(int count, uint64_t time0, uint8_t mark) {
  synth::MmvBuilder b;
  const uint8_t types[] = {kFrameVideo0, kFrameVideo1, kFrameAudio, kFrameDrv};
  for (int i = 0; i < count; ++i) {
    const uint8_t type = types[i % 4];
    b.add(type, Bytes(static_cast<std::size_t>(10 + i), static_cast<uint8_t>(mark + i)), time0 + 10 * static_cast<uint64_t>(i),
          type == kFrameVideo0);
  }
  return b;
}

using Record = testing::WalkedRecord;
std::vector<Record> records(const std::string& path) { return testing::walkRecords(path); }

TEST(Merge, TenAndTwentyRecords) {
  MergeFixture f;
  const std::string a = f.write("a.mmv", recording(10, 1000, 0x10));
  const std::string b = f.write("b.mmv", recording(20, 5, 0x80));
  const std::string out = f.dir.file("out.mp4");
  f.merge({a, b}, out);

  const Bytes aBytes = readFile(a), bBytes = readFile(b), merged = readFile(out);
  const Lines expected = {
      std::to_string(aBytes.size()), "MMV Merge Count = 1", "MMV Merge Total Count = 2", "a.mmv",
      "Total FrameCount = 10", "I FrameCount = 3", "Drv FrameCount = 2",
      "Total File Name = " + f.dir.path() + "Total_a.mmv", "---------------------------------------------",
      std::to_string(bBytes.size()), "MMV Merge Count = 2", "MMV Merge Total Count = 2", "b.mmv",
      "Total FrameCount = 20", "I FrameCount = 5", "Drv FrameCount = 5", "Start Time = 0", "End Time = 0",
      "Total File Size = " + std::to_string(merged.size()),
      "H264 Count = 15, PCM Count = 6, DRV Count = 6", "---------------------------------------------"};
  EXPECT_EQ(f.log.lines(), expected);
  EXPECT_EQ(f.pumps, 30);
  EXPECT_EQ(f.dir.entries(), (Lines{"a.mmv", "b.mmv", "out.mp4"}));  // the output is the only file written

  // Byte for byte: both inputs' records back to back, renumbered and rebased.
  Bytes expectedBody(aBytes.begin() + kLeadingPartSize, aBytes.end());
  expectedBody.insert(expectedBody.end(), bBytes.begin() + kLeadingPartSize, bBytes.end());
  std::size_t at = 0;
  for (int32_t seq = 1; at < expectedBody.size(); ++seq) {
    MmvFrameHeader h;
    h.assign(expectedBody.data() + at);
    h.setSequenceNumber(seq);
    h.setStreamTime(readU64(merged.data() + kLeadingPartSize + at + 14));
    std::copy_n(h.data(), kFrameHeaderSize, expectedBody.begin() + static_cast<std::ptrdiff_t>(at));
    at += kFrameHeaderSize + static_cast<std::size_t>(h.payloadLength());
  }
  EXPECT_EQ(Bytes(merged.begin() + kLeadingPartSize, merged.end()), expectedBody);

  const std::vector<Record> rs = records(out);
  ASSERT_EQ(rs.size(), 30u);
  const MmvLeadingPart leading = readLeadingPart(out);
  EXPECT_EQ((std::vector<int32_t>{leading.info.totalFrameCount(), leading.info.iFrameCount(),
                                  leading.info.drvFrameCount()}),
            (std::vector<int32_t>{30, 8, 7}));
  for (int k = 0; k < 8; ++k)  // every index entry points at a video key frame
    EXPECT_EQ(rs[static_cast<std::size_t>(k < 3 ? 4 * k : 10 + 4 * (k - 3))].offset,
              static_cast<uint64_t>(leading.index.entry(static_cast<std::size_t>(k))));
}

TEST(Merge, IndexEntriesAreRelocated) {
  MergeFixture f;
  synth::MmvBuilder a;
  a.setFillCounts(false);
  a.add(kFrameVideo0, Bytes(100000 - kLeadingPartSize - kFrameHeaderSize, 1));
  a.info().setTotalFrameCount(1);
  a.info().setIFrameCount(2);
  a.index().setEntry(0, 5000);
  a.index().setEntry(1, 90000);
  a.index().setEntry(2, 77777);  // beyond iFrameCount: not taken
  synth::MmvBuilder b = a;
  b.records()[0].payload.resize(10);
  b.index().setEntry(0, 4858);
  b.index().setEntry(1, 6000);
  const std::string out = f.dir.file("m.mmv");
  f.merge({f.write("a.mmv", a), f.write("b.mmv", b)}, out);
  ASSERT_EQ(fileSizeOf(f.dir.file("a.mmv")), 100000u);
  const MmvLeadingPart merged = readLeadingPart(out);
  EXPECT_EQ(merged.info.iFrameCount(), 4);
  const int32_t want[] = {5000, 90000, 100000, 101142, 0};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(merged.index.entry(i), want[i]);
}

TEST(Merge, InfoBlockAndHeaderOfTheMergedFile) {
  MergeFixture f;
  Lines inputs;
  for (int i = 0; i < 3; ++i) {
    synth::MmvBuilder b = recording(4 + i, 0, 0);
    for (std::size_t k = 0; k < kFileHeaderSize; ++k) b.header().data()[k] = static_cast<uint8_t>(k * 7 + i);
    for (std::size_t k = 0; k < kInfoBlockSize; ++k) b.info().data()[k] = static_cast<uint8_t>(0xA0 + i);
    b.setTimes(1000 + 60 * i, 1060 + 60 * i);
    inputs.push_back(f.write("in" + std::to_string(i) + ".mmv", b));
  }
  const std::string out = f.dir.file("m.mmv");
  f.merge(inputs, out);
  const Bytes first = readFile(inputs[0]), last = readFile(inputs[2]), merged = readFile(out);
  EXPECT_TRUE(std::equal(first.begin(), first.begin() + kFileHeaderSize, merged.begin()));
  const uint8_t* info = merged.data() + kInfoBlockOffset;
  EXPECT_TRUE(std::equal(info, info + 11, first.begin() + kInfoBlockOffset));     // leadBytes, startStamp
  EXPECT_TRUE(std::equal(info + 11, info + 18, last.begin() + kInfoBlockOffset + 11));  // endStamp
  // Start and end seconds, then the summed total, key frame and telemetry counts; both flags 1.
  EXPECT_EQ((std::vector<int32_t>{readI32(info + 4), readI32(info + 11), readI32(info + 18), readI32(info + 22),
                                  readI32(info + 26), info[30], info[31]}),
            (std::vector<int32_t>{1000, 1180, 4 + 5 + 6, 1 + 2 + 2, 1 + 1 + 1, 1, 1}));
  EXPECT_TRUE(std::all_of(info + 32, info + kInfoBlockSize, [](uint8_t v) { return v == 0; }));
  EXPECT_EQ(f.log.lines()[24], "Start Time = 1000");
  EXPECT_EQ(f.log.lines()[25], "End Time = 1180");
}

TEST(Merge, StreamClocks) {
  // Records of type 7 are copied with streamTime 0 and counted nowhere.
  MergeFixture f;
  synth::MmvBuilder a, b, c;
  a.add(kFrameVideo0, {1}, 500).add(7, {2}, 999).add(kFrameAudio, {3}, 700).add(kFrameVideo1, {4}, 533);
  a.add(kFrameDrv, Bytes(120, 5), 800);
  b.add(kFrameVideo0, {6}, 0).add(kFrameAudio, {7}, 0).add(kFrameDrv, Bytes(120, 8), 0).add(kFrameVideo1, {9}, 33);
  c.add(kFrameVideo0, {10}, 633).add(kFrameAudio, {11}, 1000);  // continues beyond b's clocks
  const Lines inputs = {f.write("a.mmv", a), f.write("b.mmv", b), f.write("c.mmv", c)};
  const std::string out = f.dir.file("m.mmv");
  f.merge(inputs, out);
  std::vector<uint64_t> times;
  std::vector<int> types;
  for (const Record& r : records(out)) {
    times.push_back(r.header.streamTime());
    types.push_back(r.header.frameType());
  }
  EXPECT_EQ(types, (std::vector<int>{0, 7, 2, 1, 3, 0, 2, 3, 1, 0, 2}));
  EXPECT_EQ(times, (std::vector<uint64_t>{500, 0, 700, 533, 800,  //
                                          566, 740, 900, 599,     // restarted: one step each
                                          1199, 1740}));          // continued: real difference
  EXPECT_EQ(f.log.lines()[f.log.lines().size() - 2], "H264 Count = 4, PCM Count = 2, DRV Count = 1");
  // Every merge starts its clocks afresh, so merging again gives the same bytes.
  const Bytes once = readFile(out);
  f.merge(inputs, out);
  EXPECT_EQ(readFile(out), once);

  ConversionState s;  // a zero time is still "nothing copied yet"
  for (const uint64_t want : {0u, 0u, 40u, 80u}) EXPECT_EQ(RebaseStreamTime(s, kFrameAudio, want ? 40 : 0), want);
}

TEST(Merge, CancelBetweenFilesRemovesThePartialOutput) {
  MergeFixture f;
  const Lines inputs = {f.write("a.mmv", recording(5, 0, 1)), f.write("b.mmv", recording(5, 0, 2)),
                        f.write("c.mmv", recording(5, 0, 3))};
  const std::string out = f.dir.file("m.mmv");
  MergeMmvFile(f.ctx, inputs[0], 1, 3, out);
  MergeMmvFile(f.ctx, inputs[1], 2, 3, out);
  EXPECT_EQ(f.dir.entries(), (Lines{"a.mmv", "b.mmv", "c.mmv", "m.mmv"}));
  DiscardMergeOutput(f.state);
  EXPECT_EQ(f.dir.entries(), (Lines{"a.mmv", "b.mmv", "c.mmv"}));
  // A later call out of order is refused; a new merge starts clean.
  EXPECT_THROW(MergeMmvFile(f.ctx, inputs[2], 3, 3, out), FileError);
  f.merge({inputs[1], inputs[2]}, out);
  EXPECT_EQ(records(out).size(), 10u);
}

// A recording cut off by a power loss gives the merge its complete records; the
// merged file's counts, index and length are those of what it holds.
TEST(Merge, InputsThatEndEarlyGiveTheirCompleteRecords) {
  MergeFixture f;
  synth::MmvBuilder first = recording(6, 0, 1), cut = recording(6, 0, 2), zeroTail = recording(6, 0, 3);
  first.setTimes(1000, 1060);
  cut.setTimes(1060, 1120);
  zeroTail.setTimes(1120, 1180);
  cut.records()[3].payloadLengthOverride = 1 << 20;  // runs past the end
  Bytes zeroed = zeroTail.build();
  std::fill(zeroed.begin() + 5504, zeroed.end(), 0);  // from the fifth record on
  testing::writeFile(f.dir.file("zero.mmv"), zeroed);
  const std::string out = f.dir.file("m.mmv");
  f.merge({f.write("first.mmv", first), f.write("cut.mmv", cut), f.dir.file("zero.mmv")}, out);

  const MmvLeadingPart merged = readLeadingPart(out);
  std::optional<EarlyEnd> end;
  EXPECT_EQ(testing::walkRecords(out, &end).size(), 12u);
  EXPECT_FALSE(end) << end->reason;
  EXPECT_EQ(merged.info.totalFrameCount(), 12);
  EXPECT_EQ(merged.info.drvFrameCount(), 1);
  EXPECT_EQ(merged.info.iFrameCount(), 4);  // the key frames past each cut are left out
  EXPECT_EQ(merged.info.endStamp().seconds(), 1180 - 30 - 30);
  // The record in front of a zero-filled header may be half written: it is left out too.
  EXPECT_EQ(f.state.recordingWarnings,
            (Lines{f.dir.file("cut.mmv") + " ends early at offset 5341, 30 seconds into the recording (payloadLength "
                                           "1048576 of record 4 at offset 5341 runs past the end of the file): "
                                           "records 4 to 6 (about 30 seconds) are missing",
                   f.dir.file("zero.mmv") + " ends early at offset 5341, 30 seconds into the recording (a zero-filled "
                                            "record header at offset 5504; record 4 before it, at offset 5341, may "
                                            "be cut off and is left out): records 4 to 6 (about 30 seconds) are "
                                            "missing"}));
  const Lines& log = f.log.lines();
  EXPECT_NE(std::find(log.begin(), log.end(), f.state.recordingWarnings[0]), log.end());
  EXPECT_EQ(f.dir.entries(), (Lines{"cut.mmv", "first.mmv", "m.mmv", "zero.mmv"}));

  // Counts that promise more than the file holds are counts of what it holds
  // (less its last record, which the end of the file follows too soon).
  synth::MmvBuilder hugeCounts = recording(6, 0, 4);
  hugeCounts.setFillCounts(false);
  hugeCounts.info().setTotalFrameCount(INT32_MAX);
  hugeCounts.info().setDrvFrameCount(INT32_MAX);
  f.merge({f.dir.file("first.mmv"), f.write("huge.mmv", hugeCounts)}, out);
  EXPECT_EQ(readLeadingPart(out).info.totalFrameCount(), 11);
  EXPECT_EQ(readLeadingPart(out).info.drvFrameCount(), 2);
}

TEST(Merge, RefusesOutputsThatAreInputs) {
  MergeFixture f;
  const std::string a = f.write("a.mmv", recording(3, 0, 1)), b = f.write("b.mmv", recording(3, 0, 2));
  const Bytes before = readFile(b);
  EXPECT_THROW(CheckMergeInputs({a, b}, f.dir.path() + "./b.mmv"), FileError);  // the same file by another name
  EXPECT_NO_THROW(CheckMergeInputs({a, b}, f.dir.file("x.mmv")));
  EXPECT_THROW(MergeMmvFile(f.ctx, a, 1, 1, f.dir.file("x.mmv")), std::invalid_argument);
  EXPECT_EQ(readFile(b), before);
  EXPECT_EQ(f.dir.entries(), (Lines{"a.mmv", "b.mmv"}));

  // Data.tmp is a name like any other: such an input merges and is left as it was.
  const std::string data = f.write("Data.tmp", recording(3, 0, 2));
  EXPECT_NO_THROW(CheckMergeInputs({a, data}, f.dir.file("x.mmv")));
  f.merge({a, data}, f.dir.file("x.mmv"));
  EXPECT_EQ(readFile(data), before);
}

TEST(Merge, IndexEntriesBeyondTheTableAreDropped) {
  MergeFixture f;
  synth::MmvBuilder a, b;
  for (int i = 0; i < 1000; ++i) a.add(kFrameVideo0, {1}, 0, true);
  for (int i = 0; i < 100; ++i) b.add(kFrameVideo0, {2}, 0, true);
  const std::string out = f.dir.file("m.mmv");
  f.merge({f.write("a.mmv", a), f.write("b.mmv", b)}, out);
  const MmvLeadingPart merged = readLeadingPart(out);
  EXPECT_EQ(merged.info.iFrameCount(), 1024);
  EXPECT_EQ(merged.info.totalFrameCount(), 1100);
  const std::vector<Record> rs = records(out);
  EXPECT_EQ(static_cast<uint64_t>(merged.index.entry(1023)), rs[1023].offset);
  const Lines& lines = f.log.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "I Frame Index Full, Dropped Count = 76"), lines.end());
}

// The table's entries are 32-bit: one that the merged file would hold past
// 4 GiB is dropped and counted, never wrapped to a wrong offset. The first input's
// sparse tail stands in for 4 GiB of records: only its size places the next
// input's records.
TEST(Merge, IndexEntriesPastFourGiBAreDropped) {
  MergeFixture f;
  synth::MmvBuilder a, b;
  a.add(kFrameVideo0, {1}, 0, true);
  for (int i = 0; i < 3; ++i) b.add(kFrameVideo0, {2}, 0, true);  // at 4858, 5009 and 5160
  const std::string first = f.write("a.mmv", a);
  // b's second key frame lands on the last offset 32 bits hold, its third past it.
  constexpr uint64_t kFirstSize = (1ull << 32) - 152;
  std::filesystem::resize_file(first, kFirstSize);
  const std::string out = f.dir.file("m.mmv");
  f.merge({first, f.write("b.mmv", b)}, out);
  const MmvLeadingPart merged = readLeadingPart(out);
  EXPECT_EQ(merged.info.iFrameCount(), 3);
  EXPECT_EQ(merged.info.totalFrameCount(), 4);
  const uint32_t want[] = {4858, static_cast<uint32_t>(kFirstSize), static_cast<uint32_t>(kFirstSize + 151), 0};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(static_cast<uint32_t>(merged.index.entry(i)), want[i]) << i;
  const Lines& lines = f.log.lines();
  EXPECT_EQ(lines.front(), std::to_string(kFirstSize));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "I Frame Index Past 4 GiB, Dropped Count = 1"), lines.end());
}

}  // namespace
}  // namespace vk2
