#pragma once
// What the sample generator makes, and how its command line reads.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vk2::synth {

// 2021-10-29 08:05:03 UTC.
constexpr int32_t kDefaultStartEpoch = 1635494703;

struct SynthOptions {
  std::string outPrefix = "sample";
  int files = 1;
  int seconds = 10;  // per file
  int32_t startEpoch = kDefaultStartEpoch;
  int width = 640;
  int height = 360;
  int fps = 30;
  // Pictures from one key frame to the next; 0: one a second. Every file starts
  // with a key frame whatever the interval, as the camera's do.
  int keyInterval = 0;
  bool audio = true;
  std::string vehicle = "AB-1234";
  int playResX = 0;  // 0: the picture size
  int playResY = 0;
  bool events = true;
  // Above 0: video payloads are this many random bytes instead of encoded
  // pictures (no ffmpeg run), for large benchmark files.
  int64_t fillerBytes = 0;
  uint64_t seed = 1;
  std::string ffmpeg = "ffmpeg";  // program name looked up on PATH, or a path
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name; throws UsageError.
SynthOptions parseSynthArgs(const std::vector<std::string>& args);

const char* synthUsageText();

// The files a run writes: PREFIX.mmv for one file, PREFIX_1.mmv ... PREFIX_N.mmv
// otherwise. A prefix that already ends in ".mmv" is used as is for one file.
std::vector<std::string> synthOutputPaths(const SynthOptions& options);

}  // namespace vk2::synth
