#include "synth/mmv_stream_writer.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace vk2::synth {

MmvStreamWriter::MmvStreamWriter(const std::string& path, const MmvLeadingPart& leading)
    : path_(path), buffer_(1 << 20), leading_(leading) {
  out_.rdbuf()->pubsetbuf(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  out_.open(path, std::ios::binary | std::ios::trunc);
  if (!out_) throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
  const std::vector<char> placeholder(kLeadingPartSize, 0);
  out_.write(placeholder.data(), static_cast<std::streamsize>(placeholder.size()));
}

void MmvStreamWriter::add(uint8_t frameType, const std::vector<uint8_t>& payload,
                          uint64_t streamTime, bool keyFrame) {
  // The index's entries are 32-bit: a key frame past 4 GiB is not listed.
  if (keyFrame && keyFrames_ < static_cast<int32_t>(kIFrameIndexEntries) && offset_ <= UINT32_MAX)
    leading_.index.setEntry(static_cast<std::size_t>(keyFrames_++),
                            static_cast<int32_t>(static_cast<uint32_t>(offset_)));
  if (frameType == kFrameDrv) ++drvRecords_;
  MmvFrameHeader h;
  h.setSequenceNumber(++records_);
  h.setFrameType(frameType);
  h.setPayloadLength(static_cast<int32_t>(payload.size()));
  h.setStreamTime(streamTime);
  out_.write(reinterpret_cast<const char*>(h.data()), kFrameHeaderSize);
  out_.write(reinterpret_cast<const char*>(payload.data()), static_cast<std::streamsize>(payload.size()));
  offset_ += kFrameHeaderSize + payload.size();
}

uint64_t MmvStreamWriter::finish() {
  leading_.info.setTotalFrameCount(records_);
  leading_.info.setIFrameCount(keyFrames_);
  leading_.info.setDrvFrameCount(drvRecords_);
  std::vector<uint8_t> bytes(kLeadingPartSize);
  leading_.toBytes(bytes.data());
  out_.seekp(0);
  out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out_.close();
  if (!out_) throw std::runtime_error("cannot write " + path_ + ": " + std::strerror(errno));
  return offset_;
}

}  // namespace vk2::synth
