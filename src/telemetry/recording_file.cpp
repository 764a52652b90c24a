#include "telemetry/recording_file.h"

#include <cerrno>
#include <vector>

#include "core/file_error.h"
#include "mmv/record_walk.h"

namespace vk2 {

RecordingFile::RecordingFile(const std::string& p, bool merged) : path(p) {
  size = fileSizeOf(path);
  errno = 0;
  in.open(path, std::ios::binary);
  if (!in) throw FileError(path, "cannot open: " + systemReason(errno));
  const std::size_t needed = merged ? kLeadingPartSize : kInfoBlockOffset + kInfoBlockSize;
  if (size < needed)
    throw FileError(path, merged ? "file is shorter than the " + std::to_string(needed) + "-byte leading part (" +
                                       std::to_string(size) + " bytes)"
                                 : "file is shorter than its " + std::to_string(needed) +
                                       "-byte file header and info block");
  std::vector<uint8_t> bytes(needed);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.gcount() != static_cast<std::streamsize>(bytes.size())) throw FileError(path, "cannot read its info block");
  info.assign(bytes.data() + kInfoBlockOffset);
}

int32_t RecordingFile::seconds() const {
  return static_cast<int32_t>(static_cast<uint32_t>(info.endStamp().seconds()) -
                              static_cast<uint32_t>(info.startStamp().seconds()));
}

}  // namespace vk2
