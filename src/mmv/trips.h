#pragma once
// A memory card sorted into trips: runs of recordings in start-time order, each
// starting within the join rule's 4 seconds of the previous one's end, at most
// 15 files each (a longer run is split into parts of 15). Only info blocks are read.
// A file reached through several paths or links counts once; a copy is a
// recording of its own, and its files form their own trips.
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
  // "path: reason" in path order: files, dangling or looping links, subfolders.
  std::vector<std::string> unreadable;
  // "path: holds no complete record (why)", in path order: left out before the
  // trips are formed, so such a file may split a run in two.
  std::vector<std::string> unusable;
  std::vector<std::string> unreadableFolders;  // the folders searched that cannot be read
  int mmvFiles = 0;  // every .mmv file found, readable or not, each file once
};

// Finds the .mmv files (any letter case) in `folders`, one level deep or, with
// `recursive`, below too (links to folders are not followed), and groups them.
// What cannot be read is listed and skipped; it never ends the search.
TripSearch FindTrips(const std::vector<std::string>& folders, bool recursive);

// Groups already read files (path, start, end) into trips. A file joins any
// trip whose end it continues, one whose last file is in its folder first, so
// two copies of a drive in one search make two whole trips.
struct TripFile {
  std::string path;
  int32_t start = 0;
  int32_t end = 0;
};
std::vector<Trip> groupTrips(std::vector<TripFile> files);

// "2 trips in 40 MMV files".
std::string tripSummary(const TripSearch& search);

}  // namespace vk2
