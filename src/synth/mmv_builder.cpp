#include "synth/mmv_builder.h"

#include <fstream>
#include <stdexcept>

namespace vk2::synth {

MmvBuilder::MmvBuilder() {}

void MmvBuilder::setTimes(int32_t startSeconds, int32_t endSeconds) {
  MmvTimeStamp start = leading_.info.startStamp();
  start.setSeconds(startSeconds);
  leading_.info.setStartStamp(start);
  MmvTimeStamp end = leading_.info.endStamp();
  end.setSeconds(endSeconds);
  leading_.info.setEndStamp(end);
}

MmvBuilder& MmvBuilder::add(RecordSpec record) {
  records_.push_back(std::move(record));
  return *this;
}

MmvBuilder& MmvBuilder::add(uint8_t frameType, std::vector<uint8_t> payload, uint64_t streamTime,
                            bool keyFrame) {
  RecordSpec r;
  r.frameType = frameType;
  r.payload = std::move(payload);
  r.streamTime = streamTime;
  r.keyFrame = keyFrame;
  return add(std::move(r));
}

std::vector<uint8_t> MmvBuilder::build() const {
  MmvLeadingPart leading = leading_;
  std::vector<uint8_t> out(kLeadingPartSize);
  if (fillCounts_) {
    int32_t drv = 0, keys = 0;
    uint64_t offset = kLeadingPartSize;
    for (const RecordSpec& r : records_) {
      if (r.frameType == kFrameDrv) ++drv;
      if (r.keyFrame && keys < static_cast<int32_t>(kIFrameIndexEntries))
        leading.index.setEntry(static_cast<std::size_t>(keys++), static_cast<int32_t>(offset));
      offset += kFrameHeaderSize + r.payload.size();
    }
    leading.info.setTotalFrameCount(static_cast<int32_t>(records_.size()));
    leading.info.setIFrameCount(keys);
    leading.info.setDrvFrameCount(drv);
  }
  leading.toBytes(out.data());
  int32_t position = 0;
  for (const RecordSpec& r : records_) {
    ++position;
    MmvFrameHeader h;
    h.setSequenceNumber(r.sequenceNumber.value_or(position));
    h.setFrameType(r.frameType);
    h.setPayloadLength(r.payloadLengthOverride.value_or(static_cast<int32_t>(r.payload.size())));
    h.setStreamTime(r.streamTime);
    out.insert(out.end(), h.data(), h.data() + kFrameHeaderSize);
    out.insert(out.end(), r.payload.begin(), r.payload.end());
  }
  return out;
}

void MmvBuilder::writeTo(const std::string& path) const {
  const std::vector<uint8_t> bytes = build();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace vk2::synth
