#pragma once
// Splitting paths into folder and file name. Folder texts keep their trailing
// separator, so a folder and a name join by plain concatenation.
#include <string>

namespace vk2 {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// The folder part of a path, ending in a separator ("" for a bare name).
std::string folderOf(const std::string& path);
// The file name without its folder.
std::string fileNameOf(const std::string& path);

}  // namespace vk2
