#pragma once
// Whether two paths name one file, and making sure a working file is written
// as a new file rather than through whatever stands at its name.
#include <string>

namespace vk2 {

// True when both name the same existing file (through another path, a link or
// a hard link), or, when either is missing, the same place.
bool sameFile(const std::string& a, const std::string& b);

// Makes sure the file opened at `path` next is a new one: a symbolic link there
// is removed, never followed, and a file with other hard links is unlinked
// rather than truncated. Anything else is left for the open to truncate.
void clearForNewFile(const std::string& path);

// Removes the file or link at `path`, as a run removes its working files; a
// folder is never removed, and a failure is ignored.
void removeFileQuietly(const std::string& path);

}  // namespace vk2
