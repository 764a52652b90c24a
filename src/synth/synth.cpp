#include "synth/synth.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "core/filesystem_names.h"
#include "core/paths.h"

#include "synth/drive_model.h"
#include "synth/mmv_stream_writer.h"
#include "synth/pcm_tone.h"
#include "synth/video_source.h"

namespace vk2::synth {

namespace {

// Stream clock steps per record, in streamTime units (milliseconds).
constexpr uint64_t kAudioStep = kAudioBlockMs;
constexpr uint64_t kDrvStep = 1000 / kDrvSamplesPerSecond;

MmvLeadingPart leadingPartFor(const SynthOptions& o, int32_t start, int32_t end) {
  MmvLeadingPart leading;
  leading.header.setVehicleNumber(o.vehicle);
  leading.header.setPlayResX(static_cast<int16_t>(o.playResX));
  leading.header.setPlayResY(static_cast<int16_t>(o.playResY));
  MmvTimeStamp s;
  s.setSeconds(start);
  leading.info.setStartStamp(s);
  s.setSeconds(end);
  leading.info.setEndStamp(s);
  return leading;
}

}  // namespace

std::vector<std::string> generateRecordings(const SynthOptions& o) {
  const std::vector<std::string> paths = synthOutputPaths(o);
  const std::string folder = folderOf(paths.front());
  std::error_code ec;
  if (!folder.empty() && !std::filesystem::is_directory(pathOf(folder), ec))
    throw std::runtime_error("the output folder " + folder + " does not exist");
  VideoSource video(o, o.seconds * o.files, o.seconds, paths.front() + ".encoding.h264");
  DriveModel drive(o.startEpoch, o.events);
  PcmTone tone;
  const int64_t videoPerFile = static_cast<int64_t>(o.seconds) * o.fps;
  const int64_t audioPerFile = o.audio ? static_cast<int64_t>(o.seconds) * 1000 / kAudioBlockMs : 0;
  const int64_t drvPerFile = static_cast<int64_t>(o.seconds) * kDrvSamplesPerSecond;
  const uint64_t videoStep = 1000 / static_cast<uint64_t>(o.fps);

  for (int f = 0; f < o.files; ++f) {
    const int32_t start = o.startEpoch + f * o.seconds;
    MmvStreamWriter writer(paths[static_cast<std::size_t>(f)], leadingPartFor(o, start, start + o.seconds));
    int64_t v = 0, a = 0, d = 0;
    // Interleave by each record's time in the file, in units of 1/(1000 * fps)
    // seconds so that all three rates are exact; video first at equal times.
    const int64_t fps = o.fps;
    while (v < videoPerFile || a < audioPerFile || d < drvPerFile) {
      const int64_t tv = v < videoPerFile ? v * 1000 : INT64_MAX;
      const int64_t ta = a < audioPerFile ? a * kAudioBlockMs * fps : INT64_MAX;
      const int64_t td = d < drvPerFile ? d * static_cast<int64_t>(kDrvStep) * fps : INT64_MAX;
      if (tv <= ta && tv <= td) {
        bool key = false;
        const std::vector<uint8_t>& payload = video.payload(f * videoPerFile + v, key);
        writer.add(key ? kFrameVideo0 : kFrameVideo1, payload, static_cast<uint64_t>(v) * videoStep, key);
        ++v;
      } else if (ta <= td) {
        writer.add(kFrameAudio, tone.nextBlock(), static_cast<uint64_t>(a) * kAudioStep);
        ++a;
      } else {
        const auto record = drive.next();
        writer.add(kFrameDrv, std::vector<uint8_t>(record.begin(), record.end()),
                   static_cast<uint64_t>(d) * kDrvStep);
        ++d;
      }
    }
    writer.finish();
  }
  return paths;
}

}  // namespace vk2::synth
