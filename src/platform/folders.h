#pragma once
// Home and output folders, as the platform names them.
#include <string>

namespace vk2 {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// The default output folder, ending in a separator: on Windows HOMEDRIVE +
// HOMEPATH + "\Documents\Velmora\MMV_TO_MP4\", elsewhere
// "$HOME/Documents/Velmora/MMV_TO_MP4/". Unset variables give shorter text.
std::string defaultOutputFolder();

// Creates a folder with every missing parent. False when it does not exist
// afterwards.
bool createFolders(const std::string& path);

// The folder part of a path, ending in a separator ("" for a bare name).
std::string folderOf(const std::string& path);
// The file name without its folder.
std::string fileNameOf(const std::string& path);

}  // namespace vk2
