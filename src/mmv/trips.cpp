#include "mmv/trips.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>

#include "core/file_error.h"
#include "core/file_identity.h"
#include "core/filesystem_names.h"
#include "core/paths.h"
#include "mmv/record_walk.h"
#include "mmv/scan.h"

namespace vk2 {

namespace {

namespace fs = std::filesystem;

bool isMmv(const fs::path& p) {
  std::string ext = nameOf(p.extension());
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".mmv";
}

// A recording found, or a folder or link that cannot be read (`problem` set).
struct Found {
  std::string path;
  std::string problem;
  bool folder = false;
};

// One entry of a folder: a recording, a link that leads nowhere, or a subfolder to search.
void look(const fs::directory_entry& entry, bool recursive, std::vector<Found>& found, std::vector<fs::path>& folders) {
  bool lost = false;
  const std::string path = nameOf(entry.path(), &lost);
  // Under a name the narrow file calls cannot reach, a recording is listed, not opened as another file.
  if (lost && isMmv(entry.path())) {
    found.push_back({path, nameOutsideCodePageReason()});
    return;
  }
  std::error_code ec;
  const fs::file_status own = entry.symlink_status(ec);
  if (ec) {
    if (isMmv(entry.path())) found.push_back({path, ec.message()});
    return;
  }
  if (fs::is_symlink(own)) {
    // Dangling or looping: listed, so a card's broken link is not silently missing.
    const fs::file_status target = fs::status(entry.path(), ec);
    if (ec || !fs::exists(target)) {
      if (isMmv(entry.path()))
        found.push_back({path, "the symbolic link cannot be followed: " +
                                   (ec ? ec.message() : std::string("it leads to nothing"))});
      return;
    }
    // A link to a folder is not followed: it could lead back up and round.
    if (fs::is_regular_file(target) && isMmv(entry.path())) found.push_back({path, ""});
    return;
  }
  if (fs::is_directory(own)) {
    if (recursive) folders.push_back(entry.path());
    return;
  }
  if (fs::is_regular_file(own) && isMmv(entry.path())) found.push_back({path, ""});
}

// Every recording in `top` (and below it with `recursive`); a subfolder that
// cannot be read is found as such. Returns the reason when `top` cannot be read.
std::string search(const std::string& top, bool recursive, std::vector<Found>& found) {
  std::vector<fs::path> folders{pathOf(top)};
  while (!folders.empty()) {
    const fs::path folder = folders.back();
    folders.pop_back();
    const bool isTop = folder == pathOf(top);
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) look(*it, recursive, found, folders);
    if (!ec) continue;
    if (isTop) return ec.message();
    found.push_back({nameOf(folder), "the folder cannot be read: " + ec.message(), true});
  }
  return std::string();
}

int32_t gapTo(const TripFile& f, const Trip& trip) {
  return stampDifference(static_cast<uint32_t>(f.start), static_cast<uint32_t>(trip.end));
}

}  // namespace

std::vector<Trip> groupTrips(std::vector<TripFile> files) {
  std::stable_sort(files.begin(), files.end(), [](const TripFile& a, const TripFile& b) {
    return a.start != b.start ? a.start < b.start : a.path < b.path;
  });
  std::vector<Trip> trips;
  std::vector<int32_t> lastStart;  // of each trip's last file
  std::vector<std::size_t> open;   // trips a later file may still continue
  for (const TripFile& f : files) {
    // Starts only grow, so a trip that ended more than 4 s before this file is done.
    open.erase(std::remove_if(open.begin(), open.end(),
                              [&](std::size_t t) { return gapTo(f, trips[t]) > kMaxJoinGapSeconds; }),
               open.end());
    // Any open trip whose end this file continues, not only the last: a copy of a
    // drive in the same search interleaves with it file by file. One in the same
    // folder first, then the oldest; a full trip goes on in a new part. A file
    // with the start and end of a trip's last file is its copy, not what comes next.
    std::size_t chosen = trips.size();
    for (const std::size_t t : open) {
      const Trip& trip = trips[t];
      if (std::llabs(static_cast<int64_t>(gapTo(f, trip))) > kMaxJoinGapSeconds ||
          trip.files.size() >= static_cast<std::size_t>(kMaxSelectedFiles) ||
          (f.start == lastStart[t] && f.end == trip.end))
        continue;
      if (chosen == trips.size()) chosen = t;
      if (folderOf(trip.files.back()) == folderOf(f.path)) {
        chosen = t;
        break;
      }
    }
    if (chosen == trips.size()) {
      trips.push_back(Trip{{}, f.start, f.end});
      lastStart.push_back(f.start);
      open.push_back(chosen);
    }
    trips[chosen].files.push_back(f.path);
    trips[chosen].end = f.end;
    lastStart[chosen] = f.start;
  }
  return trips;
}

TripSearch FindTrips(const std::vector<std::string>& folders, bool recursive) {
  TripSearch result;
  std::vector<Found> found;
  for (const std::string& folder : folders) {
    std::error_code ec;
    if (!fs::is_directory(pathOf(folder), ec)) {
      result.unreadableFolders.push_back(folder + ": not a folder that can be read");
      continue;
    }
    if (const std::string reason = search(folder, recursive, found); !reason.empty())
      result.unreadableFolders.push_back(folder + ": " + reason);
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.path < b.path; });
  found.erase(std::unique(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.path == b.path; }),
              found.end());
  // One file reached through two paths or links counts once, under its first path.
  std::set<FileKey> seen;
  std::vector<TripFile> files;
  for (const Found& f : found) {
    if (f.folder) {
      result.unreadable.push_back(f.path + ": " + f.problem);
      continue;
    }
    std::string reason;
    const std::optional<FileKey> key = f.problem.empty() ? fileKey(f.path, &reason) : std::nullopt;
    if (key && !seen.insert(*key).second) continue;
    ++result.mmvFiles;
    if (!key) {
      result.unreadable.push_back(f.path + ": " + (f.problem.empty() ? reason : f.problem));
      continue;
    }
    try {
      uint64_t size = 0;
      const MmvInfoBlock info = readInfoBlock(f.path, size);
      if (const std::string why = unusableReason(f.path); !why.empty()) {
        result.unusable.push_back(f.path + ": " + why);
        continue;
      }
      files.push_back(TripFile{f.path, info.startStamp().seconds(), info.endStamp().seconds()});
    } catch (const FileError& e) {
      result.unreadable.push_back(e.what());
    }
  }
  result.trips = groupTrips(std::move(files));
  return result;
}

std::string tripSummary(const TripSearch& search) {
  const std::size_t n = search.trips.size();
  return std::to_string(n) + (n == 1 ? " trip in " : " trips in ") + std::to_string(search.mmvFiles) + " MMV files";
}

}  // namespace vk2
