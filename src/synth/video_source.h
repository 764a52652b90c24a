#pragma once
// The video pictures of a sample recording: a moving test pattern encoded to
// H.264 by ffmpeg, or random filler payloads of a fixed size.
#include <cstdint>
#include <string>
#include <vector>

#include "synth/h264_units.h"
#include "synth/synth_options.h"

namespace vk2::synth {

class VideoSource {
 public:
  // Encodes `seconds` of the pattern (ffmpeg mode) through the temporary file
  // `scratchPath`, which is removed again; a key frame starts each file of
  // `fileSeconds` and follows every options.keyInterval pictures. Throws
  // std::runtime_error when the encoder cannot run or its output holds the
  // wrong number of pictures.
  VideoSource(const SynthOptions& options, int seconds, int fileSeconds, const std::string& scratchPath);

  int64_t frameCount() const { return frameCount_; }
  // Payload of picture `i` (0-based, over the whole recording) and whether it is
  // a key frame. The returned bytes stay valid until the next call.
  const std::vector<uint8_t>& payload(int64_t i, bool& keyFrame);

 private:
  int keyInterval_;
  int64_t framesPerFile_;
  int64_t frameCount_;
  int64_t fillerBytes_;
  uint64_t random_;
  std::vector<uint8_t> stream_;
  std::vector<AccessUnit> units_;
  std::vector<uint8_t> current_;
};

}  // namespace vk2::synth
