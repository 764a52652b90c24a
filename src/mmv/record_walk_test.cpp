#include "mmv/record_walk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "synth/mmv_builder.h"
#include "core/file_error.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

struct WalkResult {
  std::vector<int32_t> sequence;
  std::vector<std::vector<uint8_t>> payloads;
  std::optional<EarlyEnd> end;
};

WalkResult walk(const std::vector<uint8_t>& file, int32_t totalFrameCount, std::size_t chunk = kReadChunkSize) {
  std::istringstream in(std::string(file.begin(), file.end()));
  MmvRecordWalker walker(in, file.size(), "rec.mmv", totalFrameCount, chunk);
  WalkResult r;
  MmvFrameHeader h;
  std::vector<uint8_t> payload;
  while (walker.nextRecord(h)) {
    walker.readPayload(payload);
    r.sequence.push_back(h.sequenceNumber());
    r.payloads.push_back(payload);
  }
  r.end = walker.earlyEnd();
  EXPECT_EQ(walker.records(), static_cast<int32_t>(r.sequence.size()));
  return r;
}

// Records of 3, 2 and 120 bytes, then one of 7: offsets 4858, 5011, 5163, 5433; ends at 5590.
synth::MmvBuilder fourRecords() {
  synth::MmvBuilder b;
  b.add(kFrameVideo0, {1, 2, 3});
  b.add(kFrameAudio, {4, 5});
  b.add(kFrameDrv, std::vector<uint8_t>(120, 9));
  b.add(kFrameVideo1, std::vector<uint8_t>(7, 6));
  return b;
}

TEST(RecordWalk, StopsAfterTheRecordThatReachesTheCount) {
  std::vector<uint8_t> file = fourRecords().build();
  file.insert(file.end(), 500, 0);  // never looked at: the count ends the walk first
  WalkResult all = walk(file, 4);
  EXPECT_EQ(all.sequence, (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(all.payloads[1], (std::vector<uint8_t>{4, 5}));
  EXPECT_FALSE(all.end);
  EXPECT_EQ(walk(file, 2).sequence, (std::vector<int32_t>{1, 2}));
  EXPECT_TRUE(walk(file, -5).sequence.empty());
  EXPECT_FALSE(walk(file, 0).end);
  // A sequence number that jumps to the count ends the walk there.
  synth::MmvBuilder jump = fourRecords();
  jump.records()[1].sequenceNumber = 7;
  EXPECT_EQ(walk(jump.build(), 7).sequence, (std::vector<int32_t>{1, 7}));
}

// Where an input's complete records end: a header that holds no record ends them,
// and so does the record in front of it, which a power cut may have left half
// written; every reader goes by this.
TEST(RecordWalk, OneRuleForWhereTheCompleteRecordsEnd) {
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    int32_t count;
    std::vector<int32_t> walked;
    uint64_t endOffset;
    const char* reason;
  };
  const auto edited = [](const std::function<void(synth::MmvBuilder&)>& edit) {
    synth::MmvBuilder b = fourRecords();
    edit(b);
    return b.build();
  };
  std::vector<uint8_t> halfZeroed = fourRecords().build();  // record 3's header zero from its 5th byte on
  std::fill(halfZeroed.begin() + 5163 + 5, halfZeroed.begin() + 5163 + 150, 0);
  std::vector<uint8_t> zeroTail = fourRecords().build();  // record 4's payload zero-filled to the end
  std::fill(zeroTail.begin() + 5433 + 150, zeroTail.end(), 0);
  std::vector<uint8_t> cutHeader = fourRecords().build();
  cutHeader.resize(5433 + 100);
  std::vector<uint8_t> leadingOnly = fourRecords().build();
  leadingOnly.resize(kLeadingPartSize);
  const Case cases[] = {
      {"whole", fourRecords().build(), 4, {1, 2, 3, 4}, 0, ""},
      {"count beyond the file", fourRecords().build(), 6, {1, 2, 3}, 5433,
       "the file ends at offset 5590, before record 6 of totalFrameCount; record 4 before it, at offset 5433, may "
       "be cut off and is left out"},
      {"zero-filled to the end of the last record", zeroTail, 5, {1, 2, 3}, 5433,
       "the file ends at offset 5590, before record 5 of totalFrameCount; record 4 before it, at offset 5433, may "
       "be cut off and is left out"},
      {"header zero-filled from its 5th byte", halfZeroed, 4, {1}, 5011,
       "record 3 at offset 5163 has payloadLength 0; record 2 before it, at offset 5011, may be cut off and is "
       "left out"},
      {"header cut by the end", cutHeader, 4, {1, 2}, 5163,
       "the record header at offset 5433 is cut off by the end of the file; record 3 before it, at offset 5163, "
       "may be cut off and is left out"},
      {"payload past the end", edited([](synth::MmvBuilder& b) { b.records()[3].payloadLengthOverride = 8; }), 4,
       {1, 2, 3}, 5433, "payloadLength 8 of record 4 at offset 5433 runs past the end of the file"},
      {"huge payload", edited([](synth::MmvBuilder& b) { b.records()[0].payloadLengthOverride = 0x7FFFFFFF; }), 4,
       {}, 4858, "record 1 at offset 4858 has payloadLength 2147483647"},
      {"negative payload", edited([](synth::MmvBuilder& b) { b.records()[0].payloadLengthOverride = -4; }), 4, {},
       4858, "record 1 at offset 4858 has payloadLength -4"},
      {"empty payload", edited([](synth::MmvBuilder& b) { b.records()[2].payload.clear(); }), 4, {1}, 5011,
       "record 3 at offset 5163 has payloadLength 0; record 2 before it, at offset 5011, may be cut off and is "
       "left out"},
      {"sequence number past the limit", edited([](synth::MmvBuilder& b) { b.records()[1].sequenceNumber = 1000000; }),
       4, {}, 4858,
       "the record header at offset 5011 has sequence number 1000000; record 1 before it, at offset 4858, may be "
       "cut off and is left out"},
      {"stuck numbering", edited([](synth::MmvBuilder& b) { for (auto& r : b.records()) r.sequenceNumber = 1; }), 4,
       {1, 1, 1}, 5433,
       "the file ends at offset 5590, before record 4 of totalFrameCount; record 1 before it, at offset 5433, may "
       "be cut off and is left out"},
      {"leading part only", leadingOnly, 4, {}, 4858, "the file ends at offset 4858, before record 4 of totalFrameCount"},
      {"cut inside the leading part", std::vector<uint8_t>(1000, 0), 3, {}, 1000,
       "file is shorter than the 4858-byte leading part (1000 bytes)"},
  };
  for (const Case& c : cases) {
    // The header after a record is looked at in the buffer, or on its own when it lies past it.
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{200}, kReadChunkSize}) {
      const WalkResult r = walk(c.file, c.count, chunk);
      EXPECT_EQ(r.sequence, c.walked) << c.what << ", chunk " << chunk;
      ASSERT_EQ(r.end.has_value(), *c.reason != '\0') << c.what;
      if (!r.end) continue;
      EXPECT_EQ(r.end->offset, c.endOffset) << c.what;
      EXPECT_EQ(r.end->lastRecord, c.walked.empty() ? 0 : c.walked.back()) << c.what;
      EXPECT_EQ(r.end->reason, c.reason) << c.what;
    }
  }
}

// The file is read in chunks; what is looked at and what is passed on (with its
// header replaced) does not depend on where a chunk ends.
TEST(RecordWalk, ChunkEndsChangeNothing) {
  synth::MmvBuilder b;
  for (int i = 0; i < 12; ++i)
    b.add(static_cast<uint8_t>(i % 4), std::vector<uint8_t>(static_cast<std::size_t>(1 + i * 97 % 420), static_cast<uint8_t>(i)));
  const std::vector<uint8_t> file = b.build();
  // Even records are passed on renumbered from 101; the payloads of odd ones are
  // looked at in place or handed over in pieces.
  std::vector<uint8_t> wantPassed;
  std::size_t at = kLeadingPartSize;
  for (int i = 0; i < 12; ++i) {
    MmvFrameHeader h;
    h.assign(file.data() + at);
    const std::size_t end = at + kFrameHeaderSize + static_cast<std::size_t>(h.payloadLength());
    if (i % 2 == 0) {
      h.setSequenceNumber(101 + i);
      wantPassed.insert(wantPassed.end(), h.data(), h.data() + kFrameHeaderSize);
      wantPassed.insert(wantPassed.end(), file.begin() + static_cast<std::ptrdiff_t>(at + kFrameHeaderSize),
                        file.begin() + static_cast<std::ptrdiff_t>(end));
    }
    at = end;
  }
  for (const std::size_t chunk : {std::size_t{1}, std::size_t{149}, std::size_t{151}, std::size_t{333}, file.size()}) {
    std::istringstream in(std::string(file.begin(), file.end()));
    MmvRecordWalker walker(in, file.size(), "rec.mmv", 12, chunk);
    std::vector<uint8_t> passed;
    walker.passTo([&](const uint8_t* data, std::size_t size) { passed.insert(passed.end(), data, data + size); });
    MmvFrameHeader h;
    int i = 0;
    for (; walker.nextRecord(h); ++i) {
      const std::vector<uint8_t>& want = b.records()[static_cast<std::size_t>(i)].payload;
      if (i % 2 == 0) {
        h.setSequenceNumber(101 + i);
        walker.passRecord(h);
      } else if (i % 4 == 1) {
        const uint8_t* payload = walker.viewPayload();
        EXPECT_EQ(std::vector<uint8_t>(payload, payload + h.payloadLength()), want);
      } else {
        std::vector<uint8_t> pieces;
        walker.passPayload([&](const uint8_t* data, std::size_t size) { pieces.insert(pieces.end(), data, data + size); });
        EXPECT_EQ(pieces, want);
      }
    }
    walker.flushPassed();
    EXPECT_EQ(i, 12) << chunk;
    EXPECT_FALSE(walker.earlyEnd()) << chunk;
    EXPECT_EQ(walker.position(), file.size()) << chunk;
    EXPECT_EQ(passed, wantPassed) << chunk;
  }
}

// Sizes, offsets and seeks are 64-bit on every system: a merged drive passes
// 4 GiB. The files are sparse, so they cost no disk: 64 records of 64 MiB whose
// payloads are holes of a type no stream takes, then a video record past 4 GiB
// and one cut off by the end of the file.
TEST(RecordWalk, RecordsPastFourGiB) {
  testing::TempDir dir;
  const std::string path = dir.file("long.mmv");
  for (const uint64_t size : {(1ull << 31) + 5, (1ull << 32) + 5}) {
    testing::writeFile(path, {});
    std::filesystem::resize_file(path, size);
    EXPECT_EQ(fileSizeOf(path), size);
  }
  constexpr int32_t kHoles = 64;
  constexpr int32_t kHolePayload = static_cast<int32_t>(kMaxPayloadSize - kFrameHeaderSize);
  constexpr uint64_t kPast = kLeadingPartSize + (uint64_t{kHoles} << 26);  // 4 GiB + 4858
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    MmvLeadingPart leading;
    leading.info.setTotalFrameCount(kHoles + 3);
    std::vector<uint8_t> bytes(kLeadingPartSize);
    leading.toBytes(bytes.data());
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    uint64_t offset = kLeadingPartSize;
    const auto header = [&](int32_t number, uint8_t type, int32_t length) {
      MmvFrameHeader h;
      h.setSequenceNumber(number);
      h.setFrameType(type);
      h.setPayloadLength(length);
      out.seekp(static_cast<std::streamoff>(offset));
      out.write(reinterpret_cast<const char*>(h.data()), kFrameHeaderSize);
      offset += kFrameHeaderSize + static_cast<uint64_t>(length);
    };
    for (int32_t i = 1; i <= kHoles; ++i) header(i, 9, kHolePayload);
    header(kHoles + 1, kFrameVideo0, 3);
    out.write("\x01\x02\x03", 3);
    header(kHoles + 2, kFrameVideo1, 1000);
    out.write("cut", 3);
    ASSERT_TRUE(out.flush());
  }
  EXPECT_EQ(fileSizeOf(path), kPast + 153 + 150 + 3);
  std::ifstream in(path, std::ios::binary);
  MmvRecordWalker walker(in, fileSizeOf(path), path, kHoles + 3);
  MmvFrameHeader h;
  std::vector<uint8_t> payload;
  while (walker.nextRecord(h))
    if (h.frameType() == kFrameVideo0) walker.readPayload(payload);  // the holes are skipped, never read
  EXPECT_EQ(walker.records(), kHoles + 1);
  EXPECT_EQ(walker.recordOffset(), kPast);
  EXPECT_EQ(payload, (std::vector<uint8_t>{1, 2, 3}));
  ASSERT_TRUE(walker.earlyEnd());
  EXPECT_EQ(walker.earlyEnd()->offset, kPast + 153);
  EXPECT_EQ(walker.earlyEnd()->reason, "payloadLength 1000 of record 66 at offset 4294972307 runs past the end of the file");
}

TEST(RecordWalk, LeadingPartOfMissingOrShortFilesIsAClearError) {
  testing::TempDir dir;
  const std::string missing = dir.file("missing.mmv");
  EXPECT_EQ(testing::thrownMessage([&] { readLeadingPart(missing); }).rfind(missing + ": cannot open", 0), 0u);
  testing::writeFile(dir.file("short.mmv"), std::vector<uint8_t>(4857, 0));
  EXPECT_THROW(readLeadingPart(dir.file("short.mmv")), FileError);
}

}  // namespace
}  // namespace vk2
