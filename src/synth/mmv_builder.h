#pragma once
// Builds MMV recordings record by record, in memory or straight to a file. Used
// by the sample generator and by tests that need exact, hand-made recordings
// (including damaged ones: every count and length can be forced).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/mmv_blocks.h"

namespace vk2::synth {

struct RecordSpec {
  uint8_t frameType = 0;
  std::vector<uint8_t> payload;
  uint64_t streamTime = 0;
  bool keyFrame = false;                          // goes into the I-frame index
  std::optional<int32_t> sequenceNumber;          // default: position + 1
  std::optional<int32_t> payloadLengthOverride;   // default: payload.size()
};

class MmvBuilder {
 public:
  MmvBuilder();

  MmvFileHeader& header() { return leading_.header; }
  MmvInfoBlock& info() { return leading_.info; }
  MmvIFrameIndex& index() { return leading_.index; }

  void setTimes(int32_t startSeconds, int32_t endSeconds);
  MmvBuilder& add(RecordSpec record);
  MmvBuilder& add(uint8_t frameType, std::vector<uint8_t> payload, uint64_t streamTime = 0,
                  bool keyFrame = false);
  std::vector<RecordSpec>& records() { return records_; }

  // When set (the default) build() writes totalFrameCount, iFrameCount,
  // drvFrameCount and the index entries of key frames from the records.
  void setFillCounts(bool fill) { fillCounts_ = fill; }

  std::vector<uint8_t> build() const;
  void writeTo(const std::string& path) const;

 private:
  MmvLeadingPart leading_;
  std::vector<RecordSpec> records_;
  bool fillCounts_ = true;
};

}  // namespace vk2::synth
