#pragma once
// Whether a file is an MMV recording at all. The format has no magic number, so
// a file is judged by what every recording holds, however early it was cut off:
// its first record header numbers record 1, with a frame type from 0 to 3 and a
// payload length a record can have, and its start stamp is not after its end
// stamp. A file that ends inside its leading part or its first header, or whose
// first header is zero-filled, is a recording that ends early: the record walk
// says so, and a merge takes the files after it. So does one whose first
// payload runs past the end of the file, the way a power cut leaves it.
#include <cstdint>
#include <string>

#include "core/file_error.h"
#include "core/mmv_blocks.h"

namespace vk2 {

// "drive.mp4 is not an MMV recording: <why>".
class NotRecordingError : public FileError {
 public:
  NotRecordingError(const std::string& path, const std::string& why)
      : FileError(path, "not an MMV recording: " + why, path + " is not an MMV recording: " + why) {}
};

// Why the file at `path` (`size` bytes, `info` its info block) cannot be an MMV
// recording, or "" when it is one, damaged or not: "its first record header
// holds no record 1 (sequence number 1918853490)". Reads the first record
// header only; throws FileError when that read fails.
std::string notRecordingReason(const std::string& path, uint64_t size, const MmvInfoBlock& info);

}  // namespace vk2
