#pragma once
// Writes an MMV recording record by record straight to its file, so recordings
// of any size never sit in memory. The leading part is written last, once the
// counts and the I-frame index are known.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "core/mmv_blocks.h"

namespace vk2::synth {

class MmvStreamWriter {
 public:
  // `leading` supplies the file header and info block (stamps); counts and the
  // index are filled in by finish(). Throws std::runtime_error when the file
  // cannot be created.
  MmvStreamWriter(const std::string& path, const MmvLeadingPart& leading);

  // Appends a record numbered one more than the previous. Key frames go into the
  // I-frame index while it has room.
  void add(uint8_t frameType, const std::vector<uint8_t>& payload, uint64_t streamTime,
           bool keyFrame = false);

  // Writes the leading part and closes the file; returns its size.
  uint64_t finish();

 private:
  std::string path_;
  std::ofstream out_;
  std::vector<char> buffer_;
  MmvLeadingPart leading_;
  uint64_t offset_ = kLeadingPartSize;
  int32_t records_ = 0;
  int32_t keyFrames_ = 0;
  int32_t drvRecords_ = 0;
};

}  // namespace vk2::synth
