#include "mmv/record_walk.h"

#include <gtest/gtest.h>

#include <sstream>

#include "mmv-synth/mmv_builder.h"
#include "mmv/mmv_error.h"
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
  std::vector<uint8_t> file = b.build();
  // Bytes after the last counted record are never looked at.
  file.insert(file.end(), 500, 0xEE);
  WalkResult all = walk(file, 3);
  EXPECT_EQ(all.sequence, (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(all.payloads[1], (std::vector<uint8_t>{4, 5}));
  EXPECT_FALSE(all.damage);

  WalkResult two = walk(file, 2);
  EXPECT_EQ(two.sequence, (std::vector<int32_t>{1, 2}));
  EXPECT_FALSE(two.damage);

  EXPECT_TRUE(walk(file, 0).sequence.empty());
  EXPECT_TRUE(walk(file, -5).sequence.empty());
  EXPECT_FALSE(walk(file, 0).damage);

  // A sequence number that jumps to the count ends the walk there.
  b.records()[1].sequenceNumber = 7;
  WalkResult jump = walk(b.build(), 7);
  EXPECT_EQ(jump.sequence, (std::vector<int32_t>{1, 7}));
}

TEST(RecordWalk, ZeroLengthPayloadIsABareHeader) {
  synth::MmvBuilder b;
  b.add(kFrameVideo0, {});
  b.add(kFrameVideo1, {42});
  WalkResult r = walk(b.build(), 2);
  EXPECT_EQ(r.sequence, (std::vector<int32_t>{1, 2}));
  EXPECT_TRUE(r.payloads[0].empty());
  EXPECT_EQ(r.payloads[1], (std::vector<uint8_t>{42}));
}

TEST(RecordWalk, DamagedFilesEndTheWalkWithAReportNamingTheFile) {
  // Count larger than the records present.
  WalkResult more = walk(threeRecords().build(), 5);
  EXPECT_EQ(more.sequence.size(), 3u);
  ASSERT_TRUE(more.damage);
  EXPECT_NE(more.damage->find("rec.mmv: file ends after record 3"), std::string::npos) << *more.damage;

  // Payload running past the end.
  synth::MmvBuilder past = threeRecords();
  past.records()[2].payloadLengthOverride = 121;
  WalkResult p = walk(past.build(), 3);
  EXPECT_EQ(p.sequence.size(), 2u);
  ASSERT_TRUE(p.damage);
  EXPECT_NE(p.damage->find("runs past the end of the file"), std::string::npos);

  // A huge length never leads to a huge allocation or read.
  past.records()[2].payloadLengthOverride = 0x7FFFFFFF;
  EXPECT_TRUE(walk(past.build(), 3).damage);

  // Negative length.
  synth::MmvBuilder negative = threeRecords();
  negative.records()[0].payloadLengthOverride = -4;
  WalkResult n = walk(negative.build(), 3);
  EXPECT_TRUE(n.sequence.empty());
  ASSERT_TRUE(n.damage);
  EXPECT_NE(n.damage->find("negative payloadLength -4"), std::string::npos);

  // Header cut short.
  std::vector<uint8_t> cut = threeRecords().build();
  cut.resize(cut.size() - 120 - 100);
  WalkResult c = walk(cut, 3);
  EXPECT_EQ(c.sequence.size(), 2u);
  EXPECT_TRUE(c.damage);

  // Shorter than the leading part.
  std::vector<uint8_t> tiny(1000, 0);
  WalkResult t = walk(tiny, 3);
  EXPECT_TRUE(t.sequence.empty());
  ASSERT_TRUE(t.damage);
  EXPECT_NE(t.damage->find("shorter than the 4858-byte leading part"), std::string::npos);

  // Sequence numbers that never reach the count run into the end of the file.
  synth::MmvBuilder stuck = threeRecords();
  for (auto& r : stuck.records()) r.sequenceNumber = 1;
  WalkResult s = walk(stuck.build(), 3);
  EXPECT_EQ(s.sequence.size(), 3u);
  EXPECT_TRUE(s.damage);
}

TEST(RecordWalk, SkipAndCopyPayloadsKeepThePosition) {
  synth::MmvBuilder b = threeRecords();
  std::vector<uint8_t> file = b.build();
  std::istringstream in(std::string(file.begin(), file.end()));
  MmvRecordWalker walker(in, file.size(), "rec.mmv", 3);
  MmvFrameHeader h;
  ASSERT_TRUE(walker.nextHeader(h));
  EXPECT_EQ(walker.recordOffset(), kLeadingPartSize);
  ASSERT_TRUE(walker.skipPayload());
  ASSERT_TRUE(walker.nextHeader(h));
  EXPECT_EQ(walker.recordOffset(), kLeadingPartSize + 150 + 3);
  std::ostringstream copy;
  ASSERT_TRUE(walker.copyPayload(copy));
  EXPECT_EQ(copy.str(), std::string("\x04\x05"));
  // Not touching the payload at all is the same as skipping it.
  ASSERT_TRUE(walker.nextHeader(h));
  EXPECT_EQ(h.frameType(), kFrameDrv);
  EXPECT_FALSE(walker.nextHeader(h));
  EXPECT_FALSE(walker.damage());
}

TEST(RecordWalk, LeadingPartOfMissingOrShortFilesIsAClearError) {
  testing::TempDir dir;
  try {
    readLeadingPart(dir.file("missing.mmv"));
    FAIL();
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.mmv: cannot open"), std::string::npos);
  }
  testing::writeFile(dir.file("short.mmv"), std::vector<uint8_t>(4857, 0));
  EXPECT_THROW(readLeadingPart(dir.file("short.mmv")), FileError);
  threeRecords().writeTo(dir.file("ok.mmv"));
  EXPECT_EQ(readLeadingPart(dir.file("ok.mmv")).info.totalFrameCount(), 3);
  EXPECT_EQ(fileSizeOf(dir.file("ok.mmv")), kLeadingPartSize + 3 * 150 + 3 + 2 + 120);
}

}  // namespace
}  // namespace vk2
