#pragma once
// Home and output folders, as the platform names them.
#include <string>

#include "core/paths.h"  // folderOf, fileNameOf, kPathSeparator

namespace vk2 {

// The default output folder, ending in a separator: on Windows HOMEDRIVE +
// HOMEPATH + "\Documents\Velmora\MMV_TO_MP4\", elsewhere
// "$HOME/Documents/Velmora/MMV_TO_MP4/". Unset variables give shorter text.
std::string defaultOutputFolder();

// Creates a folder with every missing parent. False when it does not exist
// afterwards.
bool createFolders(const std::string& path);

}  // namespace vk2
