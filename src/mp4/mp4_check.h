#pragma once
// Whether an MP4 file on disk is complete, read without another program, so a
// cut-off converter output (a full disk, an ended converter) never replaces
// anything.
#include <string>

namespace vk2 {

struct Mp4Check {
  bool complete = false;
  double durationSec = 0;  // the movie's duration; 0 unless complete
  std::string problem;     // why not complete, e.g. "no movie box (moov): the file is cut off"
};

// Complete when the top-level boxes tile the file exactly (32-bit size; 64-bit
// size when that is 1; 0 = up to the end of the file) and a movie box (moov)
// holds a movie header (mvhd) of version 0 or 1 with a non-zero time scale.
// Only box headers and the movie header are read; media data is sought over.
// `problem` is the reason alone; the caller names the file, as FileError does.
Mp4Check checkMp4File(const std::string& path);

}  // namespace vk2
