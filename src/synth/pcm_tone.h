#pragma once
// Audio of sample recordings: a steady tone as signed 16-bit little-endian mono
// PCM at 48 kHz, in blocks of 40 ms.
#include <cstdint>
#include <vector>

namespace vk2::synth {

constexpr int kAudioSampleRate = 48000;
constexpr int kAudioBlockMs = 40;
constexpr int kAudioBlockSamples = kAudioSampleRate * kAudioBlockMs / 1000;  // 1920

class PcmTone {
 public:
  explicit PcmTone(double frequency = 440.0) : frequency_(frequency) {}
  // The next block; the phase runs on across blocks and files.
  std::vector<uint8_t> nextBlock();

 private:
  double frequency_;
  int64_t sample_ = 0;
};

}  // namespace vk2::synth
