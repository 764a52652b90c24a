#include "synth/video_source.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "synth/run_program.h"

namespace vk2::synth {

namespace {

std::vector<uint8_t> readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the encoder output " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

VideoSource::VideoSource(const SynthOptions& o, int seconds, int fileSeconds, const std::string& scratchPath)
    : keyInterval_(o.keyInterval > 0 ? o.keyInterval : o.fps),
      framesPerFile_(static_cast<int64_t>(fileSeconds) * o.fps), frameCount_(static_cast<int64_t>(seconds) * o.fps),
      fillerBytes_(o.fillerBytes), random_(o.seed * 0x9E3779B97F4A7C15ull + 1) {
  if (fillerBytes_ > 0) return;
  const std::string size = std::to_string(o.width) + "x" + std::to_string(o.height);
  const std::string rate = std::to_string(o.fps);
  const std::string interval = std::to_string(keyInterval_);
  // The parameter sets go before each key frame only, as the camera writes
  // them; a key frame at each file's start lets every file of a series decode
  // on its own, and the encoder counts the interval on from there.
  const std::vector<std::string> argv = {
      o.ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
      "-f", "lavfi", "-i", "testsrc2=size=" + size + ":rate=" + rate,
      "-t", std::to_string(seconds), "-an", "-c:v", "libx264", "-preset", "ultrafast",
      "-g", interval, "-keyint_min", interval, "-sc_threshold", "0", "-bf", "0",
      "-force_key_frames", "expr:eq(mod(n," + std::to_string(framesPerFile_) + "),0)",
      "-x264-params", "repeat-headers=1", "-pix_fmt", "yuv420p", "-f", "h264", scratchPath};
  try {
    runProgram(argv);
    stream_ = readWhole(scratchPath);
  } catch (...) {
    std::remove(scratchPath.c_str());
    throw;
  }
  std::remove(scratchPath.c_str());
  units_ = splitAccessUnits(stream_);
  if (static_cast<int64_t>(units_.size()) != frameCount_)
    throw std::runtime_error(o.ffmpeg + " produced " + std::to_string(units_.size()) +
                             " pictures, expected " + std::to_string(frameCount_));
}

const std::vector<uint8_t>& VideoSource::payload(int64_t i, bool& keyFrame) {
  if (fillerBytes_ > 0) {
    keyFrame = i % framesPerFile_ % keyInterval_ == 0;
    current_.resize(static_cast<std::size_t>(fillerBytes_));
    for (std::size_t k = 0; k < current_.size(); k += 8) {
      random_ ^= random_ << 13;
      random_ ^= random_ >> 7;
      random_ ^= random_ << 17;
      for (std::size_t b = 0; b < 8 && k + b < current_.size(); ++b)
        current_[k + b] = static_cast<uint8_t>(random_ >> (8 * b));
    }
    return current_;
  }
  const AccessUnit& u = units_.at(static_cast<std::size_t>(i));
  keyFrame = u.keyFrame;
  current_.assign(stream_.begin() + static_cast<std::ptrdiff_t>(u.offset),
                  stream_.begin() + static_cast<std::ptrdiff_t>(u.offset + u.length));
  return current_;
}

}  // namespace vk2::synth
