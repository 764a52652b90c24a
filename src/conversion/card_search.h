#pragma once
// The SD-card command without the windows: the trips one level deep in the
// chosen folder and the texts a window shows for them.
#include <string>
#include <vector>

#include "mmv/trips.h"

namespace vk2 {

struct CardSearch {
  std::vector<Trip> trips;
  // "2 trips in 5 MMV files"; empty when the folder holds no MMV file or cannot be read.
  std::string summary;
  // For the hidden log: "Skipped PATH: reason" for each file that cannot be read.
  std::vector<std::string> logLines;
  // Why nothing can be converted (no trip found), naming the folder or the files; empty otherwise.
  std::string problem;
};

// Searches `folder` (not below it) for recordings and groups them into trips.
CardSearch searchCard(const std::string& folder);

// The status text: the folder, and on a second line the summary when there is one.
std::string cardStatusText(const std::string& folder, const CardSearch& search);

}  // namespace vk2
