#include "core/mmv_blocks.h"

#include <algorithm>

namespace vk2 {

std::string MmvFileHeader::vehicleNumber() const {
  const uint8_t* begin = data() + kVehicleNumberOffset;
  const uint8_t* end = data() + kFileHeaderSize;
  const uint8_t* nul = std::find(begin, end, uint8_t{0});
  return std::string(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(nul - begin));
}

void MmvFileHeader::setVehicleNumber(const std::string& text) {
  // Room up to the resolution fields, keeping one byte for the terminator.
  const std::size_t room = kPlayResXOffset - kVehicleNumberOffset - 1;
  const std::size_t n = std::min(text.size(), room);
  std::memcpy(data() + kVehicleNumberOffset, text.data(), n);
  data()[kVehicleNumberOffset + n] = 0;
}

MmvTimeStamp MmvInfoBlock::stampAt(std::size_t offset) const {
  MmvTimeStamp s;
  s.assign(data() + offset);
  return s;
}

void MmvInfoBlock::setStampAt(std::size_t offset, const MmvTimeStamp& s) {
  std::memcpy(data() + offset, s.data(), kTimeStampSize);
}

MmvLeadingPart MmvLeadingPart::fromBytes(const uint8_t* bytes) {
  MmvLeadingPart part;
  part.header.assign(bytes);
  part.info.assign(bytes + kInfoBlockOffset);
  part.index.assign(bytes + kIFrameIndexOffset);
  return part;
}

void MmvLeadingPart::toBytes(uint8_t* out) const {
  std::memcpy(out, header.data(), kFileHeaderSize);
  std::memcpy(out + kInfoBlockOffset, info.data(), kInfoBlockSize);
  std::memcpy(out + kIFrameIndexOffset, index.data(), kIFrameIndexSize);
}

}  // namespace vk2
