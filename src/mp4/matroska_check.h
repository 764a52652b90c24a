#pragma once
// Whether a Matroska file (the subtitle-track output) is complete, read without
// another program: the counterpart of the MP4 check for ".mkv" outputs.
#include <string>

#include "mp4/mp4_check.h"

namespace vk2 {

// Complete when the file starts with an EBML header, its segment has a known
// size that ends exactly at the end of the file (a cut-off or unfinished file
// fails here), and the segment information gives a duration.
Mp4Check checkMatroskaFile(const std::string& path);

// The check for a converter output by its extension: Matroska for ".mkv", MP4 otherwise.
Mp4Check checkVideoFile(const std::string& path);

}  // namespace vk2
