#include "mmv/recording_check.h"

#include <algorithm>
#include <cerrno>
#include <fstream>

#include "mmv/record_walk.h"
#include "mmv/scan.h"

namespace vk2 {

namespace {

// Why the first record header cannot start a recording, "" when it may.
std::string firstHeaderProblem(const MmvFrameHeader& h) {
  // A power cut leaves zeros where the camera had not yet written.
  if (std::all_of(h.data(), h.data() + kFrameHeaderSize, [](uint8_t b) { return b == 0; })) return "";
  if (h.sequenceNumber() != 1)
    return "its first record header holds no record 1 (sequence number " + std::to_string(h.sequenceNumber()) + ")";
  if (h.frameType() > kFrameDrv)
    return "its first record has frame type " + std::to_string(h.frameType()) + ", not 0 to 3";
  const int32_t length = h.payloadLength();
  if (length < 0 || static_cast<uint64_t>(length) > kMaxPayloadSize)
    return "its first record has payloadLength " + std::to_string(length) + ", outside 0 to " +
           std::to_string(kMaxPayloadSize);
  return "";
}

}  // namespace

std::string notRecordingReason(const std::string& path, uint64_t size, const MmvInfoBlock& info) {
  if (size >= kLeadingPartSize + kFrameHeaderSize) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError(path, "cannot open: " + systemReason(errno));
    uint8_t bytes[kFrameHeaderSize];
    in.seekg(static_cast<std::streamoff>(kLeadingPartSize));
    in.read(reinterpret_cast<char*>(bytes), static_cast<std::streamsize>(kFrameHeaderSize));
    if (in.gcount() != static_cast<std::streamsize>(kFrameHeaderSize))
      throw FileError(path, "cannot read its first record header");
    MmvFrameHeader header;
    header.assign(bytes);
    if (std::string problem = firstHeaderProblem(header); !problem.empty()) return problem;
  }
  // The length is a 32-bit difference, as everywhere: a clock that wraps still runs forward.
  const int32_t start = info.startStamp().seconds(), end = info.endStamp().seconds();
  if (stampDifference(static_cast<uint32_t>(end), static_cast<uint32_t>(start)) < 0)
    return "its start stamp " + std::to_string(start) + " is after its end stamp " + std::to_string(end);
  return "";
}

}  // namespace vk2
