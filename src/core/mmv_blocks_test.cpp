#include "core/mmv_blocks.h"

#include <gtest/gtest.h>

#include <vector>

namespace vk2 {
namespace {

TEST(MmvBlocks, FieldsAtOddOffsetsReadFromAnyBufferAddress) {
  // Place each block at an odd address inside a bigger buffer, so no field read
  // can rely on alignment.
  std::vector<uint8_t> raw(kLeadingPartSize + 1 + kFrameHeaderSize, 0);
  uint8_t* info = raw.data() + 1;
  info[18] = 0x2A; info[19] = 0x01;                                 // totalFrameCount 298
  info[11] = 0x10; info[12] = 0x32; info[13] = 0x7C; info[14] = 0x61;  // endStamp 0x617C3210
  info[4] = 0x00; info[5] = 0x32; info[6] = 0x7C; info[7] = 0x61;
  info[22] = 3; info[26] = 0xFF; info[27] = 0xFF; info[28] = 0xFF; info[29] = 0xFF;
  info[30] = 7; info[31] = 9;
  MmvInfoBlock block;
  block.assign(info);
  EXPECT_EQ((std::vector<int64_t>{block.totalFrameCount(), block.endStamp().seconds(), block.startStamp().seconds(),
                                  block.iFrameCount(), block.drvFrameCount(), block.flag30(), block.flag31()}),
            (std::vector<int64_t>{298, 0x617C3210, 0x617C3200, 3, -1, 7, 9}));

  uint8_t* frame = raw.data() + 1 + kInfoBlockSize;
  frame[4] = 5;
  frame[8] = 2;
  frame[9] = 0x40; frame[10] = 0x0D; frame[11] = 0x03; frame[12] = 0x00;  // 200000
  for (int i = 0; i < 8; ++i) frame[14 + i] = static_cast<uint8_t>(0x11 * (i + 1));
  MmvFrameHeader h;
  h.assign(frame);
  EXPECT_EQ((std::vector<int64_t>{h.sequenceNumber(), h.frameType(), h.payloadLength()}),
            (std::vector<int64_t>{5, 2, 200000}));
  EXPECT_EQ(h.streamTime(), 0x8877665544332211ULL);
}

TEST(MmvBlocks, WritersChangeOnlyTheirFieldAndKeepCarriedBytes) {
  std::vector<uint8_t> original(kFrameHeaderSize);
  for (std::size_t i = 0; i < original.size(); ++i) original[i] = static_cast<uint8_t>(i * 7 + 3);
  MmvFrameHeader h;
  h.assign(original.data());
  h.setSequenceNumber(0x01020304);
  h.setStreamTime(0x0A0B0C0D0E0F1011ULL);
  std::vector<uint8_t> expected = original;
  for (int i = 0; i < 4; ++i) expected[4 + i] = static_cast<uint8_t>(4 - i);
  for (int i = 0; i < 8; ++i) expected[14 + i] = static_cast<uint8_t>(0x11 - i);
  EXPECT_EQ(std::vector<uint8_t>(h.data(), h.data() + kFrameHeaderSize), expected);
}

TEST(MmvBlocks, FileHeaderTextAndResolution) {
  MmvFileHeader header;
  EXPECT_EQ(header.vehicleNumber(), "");
  header.setVehicleNumber("AB-1234");
  header.setPlayResX(1920);
  header.setPlayResY(-2);
  EXPECT_EQ(header.vehicleNumber(), "AB-1234");
  EXPECT_EQ(header.data()[198], 'A');
  EXPECT_EQ(header.data()[205], 0);
  EXPECT_EQ(header.data()[329], 0x80);
  EXPECT_EQ(header.data()[330], 0x07);
  EXPECT_EQ(header.playResY(), -2);

  // A name that fills the block without a NUL ends at the block's end.
  MmvFileHeader full;
  std::vector<uint8_t> bytes(kFileHeaderSize, 'x');
  full.assign(bytes.data());
  EXPECT_EQ(full.vehicleNumber().size(), kFileHeaderSize - 198);
}

TEST(MmvBlocks, LeadingPartRoundTripsAtItsOffsets) {
  std::vector<uint8_t> bytes(kLeadingPartSize);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 31);
  MmvLeadingPart part = MmvLeadingPart::fromBytes(bytes.data());
  EXPECT_EQ(part.info.data()[0], bytes[604]);
  EXPECT_EQ(part.index.entry(0), readI32(bytes.data() + 762));
  EXPECT_EQ(part.index.entry(1023), readI32(bytes.data() + 762 + 4092));
  std::vector<uint8_t> back(kLeadingPartSize);
  part.toBytes(back.data());
  EXPECT_EQ(back, bytes);
}

}  // namespace
}  // namespace vk2
