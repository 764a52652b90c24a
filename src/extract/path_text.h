#pragma once
// Splitting a path text into folder and file name without touching the file
// system: '/' everywhere, and also '\' and ':' on Windows.
#include <string>

namespace vk2 {

// Index where the file name starts (0 for a bare name).
std::size_t fileNameStart(const std::string& path);
inline std::string fileNamePart(const std::string& path) {
  return path.substr(fileNameStart(path));
}

}  // namespace vk2
