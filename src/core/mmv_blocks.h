#pragma once
// The fixed byte blocks of an MMV recording: file header, info block with its two
// time stamps, I-frame index and frame header. Each block owns its bytes and
// offers typed accessors at the exact offsets; bytes no accessor names are
// carried unchanged.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/byte_io.h"

namespace vk2 {

constexpr std::size_t kFileHeaderSize = 604;
constexpr std::size_t kInfoBlockSize = 158;
constexpr std::size_t kIFrameIndexSize = 4096;
constexpr std::size_t kIFrameIndexEntries = 1024;
constexpr std::size_t kFrameHeaderSize = 150;
constexpr std::size_t kInfoBlockOffset = kFileHeaderSize;                    // 604
constexpr std::size_t kIFrameIndexOffset = kInfoBlockOffset + kInfoBlockSize;  // 762
constexpr std::size_t kLeadingPartSize = kIFrameIndexOffset + kIFrameIndexSize;  // 4858
constexpr std::size_t kTimeStampSize = 7;

// Frame types as the camera writes them; 0 and 1 are both video.
enum FrameType : uint8_t {
  kFrameVideo0 = 0,
  kFrameVideo1 = 1,
  kFrameAudio = 2,
  kFrameDrv = 3,
};

template <std::size_t N>
class ByteBlock {
 public:
  static constexpr std::size_t kSize = N;
  ByteBlock() { bytes_.fill(0); }
  uint8_t* data() { return bytes_.data(); }
  const uint8_t* data() const { return bytes_.data(); }
  static constexpr std::size_t size() { return N; }
  void assign(const uint8_t* src) { std::memcpy(bytes_.data(), src, N); }
  bool operator==(const ByteBlock&) const = default;

 protected:
  std::array<uint8_t, N> bytes_;
};

// 7 bytes: int32 seconds since 1970 UTC, then 2 + 1 carried bytes.
class MmvTimeStamp : public ByteBlock<kTimeStampSize> {
 public:
  int32_t seconds() const { return readI32(data()); }
  void setSeconds(int32_t v) { writeI32(data(), v); }
  uint16_t aux16() const { return readU16(data() + 4); }
  void setAux16(uint16_t v) { writeU16(data() + 4, v); }
  uint8_t aux8() const { return data()[6]; }
  void setAux8(uint8_t v) { data()[6] = v; }
};

class MmvFileHeader : public ByteBlock<kFileHeaderSize> {
 public:
  static constexpr std::size_t kVehicleNumberOffset = 198;
  static constexpr std::size_t kPlayResXOffset = 329;
  static constexpr std::size_t kPlayResYOffset = 331;

  // Text from offset 198 up to the first NUL (or the end of the block).
  std::string vehicleNumber() const;
  // Writes the text and a terminating NUL; text that would not fit is cut.
  void setVehicleNumber(const std::string& text);
  int16_t playResX() const { return readI16(data() + kPlayResXOffset); }
  void setPlayResX(int16_t v) { writeI16(data() + kPlayResXOffset, v); }
  int16_t playResY() const { return readI16(data() + kPlayResYOffset); }
  void setPlayResY(int16_t v) { writeI16(data() + kPlayResYOffset, v); }
};

class MmvInfoBlock : public ByteBlock<kInfoBlockSize> {
 public:
  static constexpr std::size_t kLeadBytesOffset = 0;
  static constexpr std::size_t kStartStampOffset = 4;
  static constexpr std::size_t kEndStampOffset = 11;
  static constexpr std::size_t kTotalFrameCountOffset = 18;
  static constexpr std::size_t kIFrameCountOffset = 22;
  static constexpr std::size_t kDrvFrameCountOffset = 26;
  static constexpr std::size_t kFlag30Offset = 30;
  static constexpr std::size_t kFlag31Offset = 31;

  MmvTimeStamp startStamp() const { return stampAt(kStartStampOffset); }
  void setStartStamp(const MmvTimeStamp& s) { setStampAt(kStartStampOffset, s); }
  MmvTimeStamp endStamp() const { return stampAt(kEndStampOffset); }
  void setEndStamp(const MmvTimeStamp& s) { setStampAt(kEndStampOffset, s); }

  int32_t totalFrameCount() const { return readI32(data() + kTotalFrameCountOffset); }
  void setTotalFrameCount(int32_t v) { writeI32(data() + kTotalFrameCountOffset, v); }
  int32_t iFrameCount() const { return readI32(data() + kIFrameCountOffset); }
  void setIFrameCount(int32_t v) { writeI32(data() + kIFrameCountOffset, v); }
  int32_t drvFrameCount() const { return readI32(data() + kDrvFrameCountOffset); }
  void setDrvFrameCount(int32_t v) { writeI32(data() + kDrvFrameCountOffset, v); }
  uint8_t flag30() const { return data()[kFlag30Offset]; }
  void setFlag30(uint8_t v) { data()[kFlag30Offset] = v; }
  uint8_t flag31() const { return data()[kFlag31Offset]; }
  void setFlag31(uint8_t v) { data()[kFlag31Offset] = v; }

 private:
  MmvTimeStamp stampAt(std::size_t offset) const;
  void setStampAt(std::size_t offset, const MmvTimeStamp& s);
};

// 1024 int32 byte positions of I-frames, counted from the start of the file.
class MmvIFrameIndex : public ByteBlock<kIFrameIndexSize> {
 public:
  int32_t entry(std::size_t i) const { return readI32(data() + 4 * i); }
  void setEntry(std::size_t i, int32_t v) { writeI32(data() + 4 * i, v); }
};

class MmvFrameHeader : public ByteBlock<kFrameHeaderSize> {
 public:
  static constexpr std::size_t kSequenceNumberOffset = 4;
  static constexpr std::size_t kFrameTypeOffset = 8;
  static constexpr std::size_t kPayloadLengthOffset = 9;
  static constexpr std::size_t kStreamTimeOffset = 14;

  int32_t sequenceNumber() const { return readI32(data() + kSequenceNumberOffset); }
  void setSequenceNumber(int32_t v) { writeI32(data() + kSequenceNumberOffset, v); }
  uint8_t frameType() const { return data()[kFrameTypeOffset]; }
  void setFrameType(uint8_t v) { data()[kFrameTypeOffset] = v; }
  int32_t payloadLength() const { return readI32(data() + kPayloadLengthOffset); }
  void setPayloadLength(int32_t v) { writeI32(data() + kPayloadLengthOffset, v); }
  uint64_t streamTime() const { return readU64(data() + kStreamTimeOffset); }
  void setStreamTime(uint64_t v) { writeU64(data() + kStreamTimeOffset, v); }
};

// The 4858-byte part in front of the frame records.
struct MmvLeadingPart {
  MmvFileHeader header;
  MmvInfoBlock info;
  MmvIFrameIndex index;

  // Reads from a buffer of at least kLeadingPartSize bytes.
  static MmvLeadingPart fromBytes(const uint8_t* bytes);
  void toBytes(uint8_t* out) const;
};

}  // namespace vk2
