#include "telemetry/recording_file.h"

#include <cerrno>
#include <vector>

#include "core/file_error.h"
#include "mmv/record_walk.h"

namespace vk2 {

RecordingFile::RecordingFile(const std::string& p) : path(p) {
  size = fileSizeOf(path);
  errno = 0;
  in.open(path, std::ios::binary);
  if (!in) throw FileError(path, "cannot open: " + systemReason(errno));
  // What follows the info block is the walker's to judge, as the merge and the extraction do.
  constexpr std::size_t kNeeded = kInfoBlockOffset + kInfoBlockSize;
  if (size < kNeeded)
    throw FileError(path, "file is shorter than its " + std::to_string(kNeeded) + "-byte file header and info block");
  std::vector<uint8_t> bytes(kNeeded);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.gcount() != static_cast<std::streamsize>(bytes.size())) throw FileError(path, "cannot read its info block");
  header.assign(bytes.data());
  info.assign(bytes.data() + kInfoBlockOffset);
}

int32_t RecordingFile::seconds() const {
  return static_cast<int32_t>(static_cast<uint32_t>(info.endStamp().seconds()) -
                              static_cast<uint32_t>(info.startStamp().seconds()));
}

}  // namespace vk2
