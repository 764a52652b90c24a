#pragma once
// Whether two paths name one file, and making sure a working file is written
// as a new file rather than through whatever stands at its name.
#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace vk2 {

// True when both name the same existing file (through another path, a link or
// a hard link), or, when either is missing, the same place.
bool sameFile(const std::string& a, const std::string& b);

// What makes a file itself whichever path or link reaches it: the device and
// inode, on Windows the volume serial number and file index. A copy has its own.
struct FileKey {
  uint64_t volume = 0;
  uint64_t index = 0;
  auto operator<=>(const FileKey&) const = default;
};

// The key of the file at `path`, symbolic links followed; empty when the file
// cannot be reached, with the system's reason in `reason`.
std::optional<FileKey> fileKey(const std::string& path, std::string* reason = nullptr);

// Makes sure the file opened at `path` next is a new one: a symbolic link there
// is removed, never followed, and a file with other hard links is unlinked
// rather than truncated. Anything else is left for the open to truncate.
void clearForNewFile(const std::string& path);

// Removes the file or link at `path`, as a run removes its working files; a
// folder is never removed, and a failure is ignored.
void removeFileQuietly(const std::string& path);

}  // namespace vk2
