#pragma once
// The names a conversion writes besides its target, and the checks that keep
// them off the recordings and within what a file system can hold.
#include <string>
#include <vector>

namespace vk2 {

// Longest file name (one path component) in bytes that common file systems take.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// Every file the run for `outputPath` may create or replace: the target (which
// also holds the merged recording), the streams, the script and the subtitled video.
std::vector<std::string> runWorkingNames(const std::string& outputPath);

// Throws FileError, naming both, when a working name is one of the recordings
// (the same file through any path or link); checked before anything is written.
void refuseWorkingNamesOverRecordings(const std::vector<std::string>& recordings,
                                      const std::vector<std::string>& workingNames);

// Throws FileError naming the target when one of its working names is longer
// than a file system takes; the converter would otherwise fail late and vaguely.
void refuseOverlongWorkingNames(const std::string& outputPath, const std::vector<std::string>& workingNames);

}  // namespace vk2
