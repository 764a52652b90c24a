#include "mmv/record_walk.h"

#include <gtest/gtest.h>

#include <sstream>

#include "synth/mmv_builder.h"
#include "core/file_error.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

struct WalkResult {
  std::vector<int32_t> sequence;
  std::vector<std::vector<uint8_t>> payloads;
  std::optional<std::string> damage;
};

WalkResult walk(const std::vector<uint8_t>& file, int32_t totalFrameCount) {
  std::istringstream in(std::string(file.begin(), file.end()));
  MmvRecordWalker walker(in, file.size(), "rec.mmv", totalFrameCount);
  WalkResult r;
  MmvFrameHeader h;
  std::vector<uint8_t> payload;
  while (walker.nextHeader(h)) {
    if (!walker.readPayload(payload)) break;
    r.sequence.push_back(h.sequenceNumber());
    r.payloads.push_back(payload);
  }
  r.damage = walker.damage();
  return r;
}

synth::MmvBuilder threeRecords() {
  synth::MmvBuilder b;
  b.add(kFrameVideo0, {1, 2, 3});
  b.add(kFrameAudio, {4, 5});
  b.add(kFrameDrv, std::vector<uint8_t>(120, 9));
  return b;
}

TEST(RecordWalk, StopsAfterTheRecordThatReachesTheCount) {
  synth::MmvBuilder b = threeRecords();
  b.add(kFrameVideo1, {});  // a zero length is a bare header
  std::vector<uint8_t> file = b.build();
  file.insert(file.end(), 500, 0xEE);  // never looked at
  WalkResult all = walk(file, 4);
  EXPECT_EQ(all.sequence, (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(all.payloads[1], (std::vector<uint8_t>{4, 5}));
  EXPECT_TRUE(all.payloads[3].empty());
  EXPECT_FALSE(all.damage);
  EXPECT_EQ(walk(file, 2).sequence, (std::vector<int32_t>{1, 2}));
  EXPECT_TRUE(walk(file, -5).sequence.empty());
  // A sequence number that jumps to the count ends the walk there.
  b.records()[1].sequenceNumber = 7;
  EXPECT_EQ(walk(b.build(), 7).sequence, (std::vector<int32_t>{1, 7}));
}

TEST(RecordWalk, DamagedFilesEndTheWalkWithAReportNamingTheFile) {
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    int32_t count;
    std::size_t walked;
    const char* report;
  };
  // A payload past the end and a cut header: the extraction's tests of recordings
  // that end early check their reports word for word.
  synth::MmvBuilder huge = threeRecords(), negative = threeRecords(), stuck = threeRecords();
  huge.records()[2].payloadLengthOverride = 0x7FFFFFFF;  // never a huge allocation or read
  negative.records()[0].payloadLengthOverride = -4;
  for (auto& r : stuck.records()) r.sequenceNumber = 1;  // never reaches the count
  const Case cases[] = {
      {"count too big", threeRecords().build(), 5, 3, "rec.mmv: file ends after record 3"},
      {"huge", huge.build(), 3, 2, "rec.mmv: "},
      {"negative", negative.build(), 3, 0, "negative payloadLength -4"},
      {"tiny", std::vector<uint8_t>(1000, 0), 3, 0, "shorter than the 4858-byte leading part"},
      {"stuck", stuck.build(), 3, 3, "rec.mmv: "},
  };
  for (const Case& c : cases) {
    const WalkResult r = walk(c.file, c.count);
    EXPECT_EQ(r.sequence.size(), c.walked) << c.what;
    ASSERT_TRUE(r.damage) << c.what;
    EXPECT_NE(r.damage->find(c.report), std::string::npos) << *r.damage;
  }
}

// The file is read in chunks; what is looked at and what is passed on (with its
// header replaced) does not depend on where a chunk ends.
TEST(RecordWalk, ChunkEndsChangeNothing) {
  synth::MmvBuilder b;
  for (int i = 0; i < 12; ++i)
    b.add(static_cast<uint8_t>(i % 4), std::vector<uint8_t>(static_cast<std::size_t>(i * 97 % 420), static_cast<uint8_t>(i)));
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
    for (; walker.nextHeader(h); ++i) {
      if (i % 2 == 0) {
        h.setSequenceNumber(101 + i);
        ASSERT_TRUE(walker.passRecord(h)) << chunk;
      } else if (i % 4 == 1) {
        const uint8_t* payload = nullptr;
        ASSERT_TRUE(walker.viewPayload(payload)) << chunk;
        EXPECT_EQ(std::vector<uint8_t>(payload, payload + h.payloadLength()), b.records()[static_cast<std::size_t>(i)].payload);
      } else {
        std::vector<uint8_t> pieces;
        ASSERT_TRUE(walker.passPayload([&](const uint8_t* data, std::size_t size) {
          pieces.insert(pieces.end(), data, data + size);
        })) << chunk;
        EXPECT_EQ(pieces, b.records()[static_cast<std::size_t>(i)].payload);
      }
    }
    walker.flushPassed();
    EXPECT_EQ(i, 12) << chunk;
    EXPECT_FALSE(walker.damage()) << chunk;
    EXPECT_EQ(walker.position(), file.size()) << chunk;
    EXPECT_EQ(passed, wantPassed) << chunk;
  }
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
