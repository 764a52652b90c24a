#include "synth/pcm_tone.h"

#include <cmath>

#include "core/byte_io.h"

namespace vk2::synth {

std::vector<uint8_t> PcmTone::nextBlock() {
  std::vector<uint8_t> block(kAudioBlockSamples * 2);
  for (int i = 0; i < kAudioBlockSamples; ++i, ++sample_) {
    const double t = static_cast<double>(sample_) / kAudioSampleRate;
    const double v = 0.25 * std::sin(2 * 3.14159265358979323846 * frequency_ * t);
    writeI16(block.data() + 2 * i, static_cast<int16_t>(std::lround(v * 32767)));
  }
  return block;
}

}  // namespace vk2::synth
