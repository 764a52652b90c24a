#pragma once
// A memory card sorted into trips: runs of recordings in start-time order, each
// starting within the join rule's 4 seconds of the previous one's end, at most
// 15 files each (a longer run is split into parts of 15). Only info blocks are read.
#include <cstdint>
#include <string>
#include <vector>

namespace vk2 {

struct Trip {
  std::vector<std::string> files;  // in start-time order
  int32_t start = 0;               // the first file's start stamp
  int32_t end = 0;                 // the last file's end stamp
};

struct TripSearch {
  std::vector<Trip> trips;
  std::vector<std::string> unreadable;  // "path: reason", in the order found
  std::vector<std::string> unreadableFolders;
  int mmvFiles = 0;                     // every .mmv file found, readable or not
};

// Finds the .mmv files (any letter case) in `folders`, one level deep or, with
// `recursive`, below too, and groups them. Files that cannot be read are listed
// and skipped; they never end the search.
TripSearch FindTrips(const std::vector<std::string>& folders, bool recursive);

// Groups already read files (path, start, end) into trips.
struct TripFile {
  std::string path;
  int32_t start = 0;
  int32_t end = 0;
};
std::vector<Trip> groupTrips(std::vector<TripFile> files);

// "2 trips in 40 MMV files".
std::string tripSummary(const TripSearch& search);

}  // namespace vk2
