#include "extract/drv_stream_header.h"

#include <algorithm>
#include <cstring>

#include "core/byte_io.h"

namespace vk2 {

namespace {
// The sizes are 32-bit fields; a count too large for them wraps as the camera's
// own arithmetic would, instead of overflowing.
int32_t wrapped(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
}  // namespace

std::array<uint8_t, kDrvStreamHeaderSize> drvStreamHeader(const std::string& drvFileName,
                                                          int32_t drvFrameCount,
                                                          const MmvTimeStamp& startStamp) {
  std::array<uint8_t, kDrvStreamHeaderSize> h{};
  std::memcpy(h.data(), drvFileName.data(), std::min(drvFileName.size(), kDrvNameFieldSize));
  const int64_t recordBytes = static_cast<int64_t>(drvFrameCount) * 120;
  writeI32(h.data() + 40, wrapped(recordBytes + 22));
  writeI32(h.data() + 44, drvFrameCount);
  // Block header from 58.
  writeI32(h.data() + 58, wrapped(recordBytes));
  writeI32(h.data() + 62, startStamp.seconds());
  writeU16(h.data() + 66, startStamp.aux16());
  h[69] = 0x0A;
  return h;
}

}  // namespace vk2
