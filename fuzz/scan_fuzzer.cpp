// The scan of one recording and the texts made from its info block: the info
// command's output, the selection's span and window texts, and the file
// header's vehicle number; a file taken for a recording is taken cut short too.
// One to three recordings, so that the join rule is crossed too.
#include <sstream>

#include "cli/commands.h"
#include "core/calendar_time.h"
#include "core/file_error.h"
#include "core/time_window.h"
#include "fuzz_support.h"
#include "mmv/record_walk.h"
#include "mmv/scan.h"
#include "mmv/trips.h"

using namespace vk2;
using namespace vk2::fuzz;

namespace {

int infoStatus(const std::string& path, std::string& error) {
  std::ostringstream out, err;
  const int status = cli::runInfoCommand({path}, out, err);
  require(status == 0 || status == 1, "info ended with status " + std::to_string(status));
  error = err.str();
  return status;
}

void scanOne(const std::string& path, bool local, uint8_t cutAt) {
  std::string error;
  const int status = infoStatus(path, error);
  // One file is never refused for its time: it fails only when it cannot be
  // read or is no recording at all, and the error names it.
  if (status == 1) require(names(error, path), "the info error does not name the file: " + error);

  // A recording cut off anywhere past its info block is a recording still,
  // however little of it is left: it ends early, it is not refused.
  const std::vector<uint8_t> bytes = readBytes(path);
  if (status == 0 && bytes.size() > kInfoBlockOffset + kInfoBlockSize) {
    const std::size_t tail = bytes.size() - (kInfoBlockOffset + kInfoBlockSize);
    const std::string cut = path + ".cut";
    writeBytes(cut, std::vector<uint8_t>(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(tail * cutAt / 256)));
    require(infoStatus(cut, error) == 0, "a recording cut short is refused: " + error);
  }

  try {
    uint64_t size = 0;
    const MmvInfoBlock info = readInfoBlock(path, size);
    const int32_t start = info.startStamp().seconds();
    const int32_t end = info.endStamp().seconds();
    const TimeWindowView view = describeTimeWindow(start, end, local);
    require(!view.fileName.empty() && view.fileName.find('/') == std::string::npos,
            "a proposed file name that is no name: " + view.fileName);
    windowLabel(view.start);
    isoDateTime(view.end);
    const std::vector<Trip> trips = groupTrips({TripFile{path, start, end}});
    require(trips.size() == 1 && trips.front().files.size() == 1, "one file is not one trip");
  } catch (const FileError& e) {
    require(status == 1 && names(e.what(), path), std::string("a scan error the info command missed: ") + e.what());
  }
  try {
    const MmvLeadingPart leading = readLeadingPart(path);
    leading.header.vehicleNumber();
  } catch (const FileError& e) {
    require(names(e.what(), path), std::string("a leading-part error that names no file: ") + e.what());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Controls controls(data, size);
  const PlainConversionOptions options = optionsFrom(controls);
  const std::string folder = scratchSubfolder("in");
  std::vector<std::string> paths;
  for (const auto& bytes : splitFiles(controls.body(), controls.bodySize(), 3)) {
    paths.push_back(folder + "rec_" + std::to_string(paths.size() + 1) + ".mmv");
    writeBytes(paths.back(), bytes);
  }
  for (const std::string& path : paths) scanOne(path, options.timeLocal, controls.byte());

  // The selection: the join rule, the span and the window's step buttons.
  ConversionState state;
  HiddenLog log, subtitles;
  StageContext ctx{state, log, subtitles, options, [] {}, nullptr, {}};
  try {
    const OpenResult opened = OpenMmvFiles(ctx, paths);
    if (opened.outcome == OpenOutcome::Selected) {
      // Moved as the step buttons move them, held inside 32 bits.
      state.windowStartTime = steppedTime(state.spanStartTime, controls.byte());
      state.windowEndTime = steppedTime(state.spanEndTime, -controls.byte());
      UpdateTimeButtons(state, TimeButtons{});
      describeTimeWindow(state.windowStartTime, state.windowEndTime, options.timeLocal);
    }
  } catch (const FileError& e) {
    bool named = false;
    for (const std::string& path : paths) named = named || names(e.what(), path);
    require(named, std::string("a scan error that names no file: ") + e.what());
  }
  clearScratch();
  return 0;
}
