#include "mmv/trips.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/file_error.h"
#include "mmv/scan.h"

namespace vk2 {

namespace {

namespace fs = std::filesystem;

bool isMmv(const fs::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".mmv";
}

template <typename Iterator>
void collect(Iterator it, std::vector<std::string>& paths) {
  std::error_code ec;
  for (const Iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    std::error_code typeError;
    if (it->is_regular_file(typeError) && isMmv(it->path())) paths.push_back(it->path().string());
  }
}

}  // namespace

std::vector<Trip> groupTrips(std::vector<TripFile> files) {
  std::stable_sort(files.begin(), files.end(), [](const TripFile& a, const TripFile& b) {
    return a.start != b.start ? a.start < b.start : a.path < b.path;
  });
  std::vector<Trip> trips;
  for (const TripFile& f : files) {
    const bool joins = !trips.empty() && std::llabs(static_cast<int64_t>(stampDifference(
                                             static_cast<uint32_t>(f.start), static_cast<uint32_t>(trips.back().end)))) <=
                                             kMaxJoinGapSeconds;
    // A gap starts a new trip; a run longer than 15 files goes on in a new part.
    if (!joins || trips.back().files.size() == static_cast<std::size_t>(kMaxSelectedFiles))
      trips.push_back(Trip{{}, f.start, f.end});
    trips.back().files.push_back(f.path);
    trips.back().end = f.end;
  }
  return trips;
}

TripSearch FindTrips(const std::vector<std::string>& folders, bool recursive) {
  TripSearch search;
  std::vector<std::string> paths;
  for (const std::string& folder : folders) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
      search.unreadableFolders.push_back(folder + ": not a folder that can be read");
      continue;
    }
    if (recursive)
      collect(fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, ec), paths);
    else
      collect(fs::directory_iterator(folder, fs::directory_options::skip_permission_denied, ec), paths);
    if (ec) search.unreadableFolders.push_back(folder + ": " + ec.message());
  }
  std::sort(paths.begin(), paths.end());
  paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
  std::vector<TripFile> files;
  for (const std::string& path : paths) {
    ++search.mmvFiles;
    try {
      uint64_t size = 0;
      const MmvInfoBlock info = readInfoBlock(path, size);
      files.push_back(TripFile{path, info.startStamp().seconds(), info.endStamp().seconds()});
    } catch (const FileError& e) {
      search.unreadable.push_back(e.what());
    }
  }
  search.trips = groupTrips(std::move(files));
  return search;
}

std::string tripSummary(const TripSearch& search) {
  const std::size_t n = search.trips.size();
  return std::to_string(n) + (n == 1 ? " trip in " : " trips in ") + std::to_string(search.mmvFiles) + " MMV files";
}

}  // namespace vk2
