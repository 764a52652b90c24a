#pragma once
// One recording of the selection, opened for a walk over its records. Only the
// leading blocks are held; the records are read through the stages' walker.
#include <cstdint>
#include <fstream>
#include <string>

#include "core/mmv_blocks.h"

namespace vk2 {

struct RecordingFile {
  std::string path;
  std::ifstream in;
  uint64_t size = 0;
  MmvFileHeader header;
  MmvInfoBlock info;

  // Reads the file header and info block; throws FileError naming the file and
  // the reason when they are not there.
  explicit RecordingFile(const std::string& path);

  // endStamp - startStamp in 32 bits, wrapping as the camera's clock does.
  int32_t seconds() const;
};

}  // namespace vk2
