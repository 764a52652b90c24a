#pragma once
// The open command's scan: reads the info block of every chosen file, refuses
// selections that are too large, hold a file that is no recording or do not
// join up in time, and records the recording span. Only a file's size, its
// first 762 bytes and its first record header are read.
#include <functional>
#include <string>
#include <vector>

#include "core/stage_context.h"

namespace vk2 {

constexpr int kMaxSelectedFiles = 15;
constexpr int32_t kMaxJoinGapSeconds = 4;

inline constexpr const char* kTooManyFilesMessage =
    "MMV Merge-File Size is too big. Please select up to 15 files.";
inline constexpr const char* kNotJoinedMessage =
    "It cannot be merged because the files have different times.";

// The file header and info block of `path` (its size in `size`); nothing further
// is read. Throws FileError when the file cannot be read or is too short.
MmvInfoBlock readInfoBlock(const std::string& path, uint64_t& size);

// Signed 32-bit difference of two stamps, wrapping as the camera's clock does.
int32_t stampDifference(uint32_t later, uint32_t earlier);

// Scans one file (1-based `index` of `count`). A failed join is reported through
// state.mergeFailed. Throws FileError when the file cannot be read or is shorter
// than its info block, NotRecordingError (before logging a line of it) when it
// is not an MMV recording at all.
void ScanMmvFile(StageContext& ctx, const std::string& path, int index, int count);

// Cancelled: nothing was chosen; only mergeFailed was cleared.
enum class OpenOutcome { Selected, TooManyFiles, NotJoined, Cancelled };

struct OpenResult {
  OpenOutcome outcome = OpenOutcome::Selected;
  std::string message;  // the refusal text, empty when selected
  std::string detail;   // what in the selection the refusal is about (scan_refusals.h)
  std::string folder;   // first summary line: sourceFolder or the first file's folder
  std::string count;    // second summary line: "3 MMV files are selected."
  std::string summary() const { return folder + "\r\n" + count; }
  // The message and, on a line of its own, the detail.
  std::string refusalText() const { return detail.empty() ? message : message + "\n" + detail; }
};

// The open command after the file dialog was confirmed with `chosen`:
// clears the log, refuses 16+ files before reading any, scans in order and
// records the span. `onProgress(i)` is called before file i (1-based) is scanned
// so a window can move its progress bar. Throws as ScanMmvFile does;
// files after the failing one are not scanned and the span stays as it was.
OpenResult OpenMmvFiles(StageContext& ctx, const std::vector<std::string>& chosen,
                        const std::function<void(int)>& onProgress = {});

}  // namespace vk2
