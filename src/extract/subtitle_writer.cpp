#include "extract/subtitle_writer.h"

#include <cerrno>
#include <fstream>

#include "extract/subtitle_text.h"
#include "extract/text_format.h"
#include "core/file_error.h"

namespace vk2 {

namespace {

struct EventKind {
  bool (ConversionOptions::*enabled)() const;
  uint8_t DrvRecord::*state;
  const char* title;
};

// The order matters: the last raised or held event of this list is shown.
constexpr std::array<EventKind, 7> kEvents{{
    {&ConversionOptions::checkBoxFcw, &DrvRecord::fcwState, "FCW\\N\\N"},
    {&ConversionOptions::checkBoxLdw, &DrvRecord::ldwState, "LDW\\N\\N"},
    {&ConversionOptions::checkBoxFpw, &DrvRecord::fpwState, "FPW\\N\\N"},
    {&ConversionOptions::checkBoxFvsa, &DrvRecord::fvsaState, "FVSA\\N\\N"},
    {&ConversionOptions::checkBoxAlarmGsensor, &DrvRecord::gsensorState, "G-Sensor\\N\\N"},
    {&ConversionOptions::checkBoxOverSpeeding, &DrvRecord::speedingState, "Speeding\\N\\N"},
    {&ConversionOptions::checkBoxPanic, &DrvRecord::panicState, "Panic\\N\\N"},
}};

// The outline and back colours really carry a doubled "&&"; renderers accept it.
constexpr const char* kStyleLeft =
    "Style: Default - DL,arial,15,&H00FFFFFF,&H0300FFFF,&&H00000000,&&H00000000,-1,0,0,0,100,100,"
    "0,0,1,2.4,0,1,10,10,10,1";
constexpr const char* kStyleRight =
    "Style: Default - DR,arial,15,&H00FFFFFF,&H0300FFFF,&&H00000000,&&H00000000,-1,0,0,0,100,100,"
    "0,0,1,2.4,0,3,10,10,10,1";

}  // namespace

SubtitleWriter::SubtitleWriter(StageContext& ctx, double tenthsPerRecord)
    : ctx_(ctx), tenthsPerRecord_(tenthsPerRecord) {}

void SubtitleWriter::StartScript(const MmvFileHeader& header) {
  vehicleNumber_ = header.vehicleNumber();
  latches_ = {};
  HiddenLog& script = ctx_.subtitles;
  script.clear();
  script.append("[Script Info]");
  script.append(formatText("PlayResX: %d", static_cast<int>(header.playResX())));
  script.append(formatText("PlayResY: %d", static_cast<int>(header.playResY())));
  script.append("[V4+ Styles]");
  script.append(
      "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
      "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
      "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding");
  script.append(kStyleLeft);
  script.append(kStyleRight);
  script.append("[Events]");
  script.append("Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text");
}

std::string SubtitleWriter::eventTitle(const DrvRecord& record) {
  std::string title = " ";
  for (std::size_t i = 0; i < kEvents.size(); ++i) {
    const EventKind& kind = kEvents[i];
    // An unchecked event neither shows nor moves its latch.
    if (!(ctx_.options.*kind.enabled)()) continue;
    if (latches_[i].update(record.*kind.state)) title = kind.title;
  }
  return title;
}

void SubtitleWriter::AddRecordEvents(int32_t eventNumber, const DrvRecord& record) {
  const std::string times = eventTimesText(eventNumber, tenthsPerRecord_);
  const ConversionOptions& options = ctx_.options;
  ctx_.subtitles.append(leftEventLine(times, vehicleNumber_, record, options));
  ctx_.subtitles.append(rightEventLine(times, eventTitle(record), record, options));
}

void SubtitleWriter::SaveScript(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw FileError(path, "cannot create the subtitle script: " + systemReason(errno));
  for (const std::string& line : ctx_.subtitles.lines()) {
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    out.write("\r\n", 2);
  }
  out.close();
  if (!out) throw FileError(path, "cannot write the subtitle script");
}

}  // namespace vk2
