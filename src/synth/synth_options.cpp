#include "synth/synth_options.h"

#include <charconv>
#include <cstdlib>

namespace vk2::synth {

namespace {

int64_t parseInteger(const std::string& option, const std::string& text, int64_t lowest,
                     int64_t highest) {
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < lowest || value > highest)
    throw UsageError(option + ": expected a whole number from " + std::to_string(lowest) + " to " +
                     std::to_string(highest) + ", got '" + text + "'");
  return value;
}

void parseSize(const std::string& option, const std::string& text, int& width, int& height) {
  const auto x = text.find('x');
  if (x == std::string::npos) throw UsageError(option + ": expected WxH, got '" + text + "'");
  width = static_cast<int>(parseInteger(option, text.substr(0, x), 1, 8192));
  height = static_cast<int>(parseInteger(option, text.substr(x + 1), 1, 8192));
}

}  // namespace

const char* synthUsageText() {
  return "usage: mmv-synth [--out PREFIX] [--files N] [--seconds S] [--start EPOCH]\n"
         "                 [--size WxH] [--fps R] [--keyint FRAMES] [--no-audio] [--vehicle TEXT]\n"
         "                 [--play-res WxH] [--events on|off] [--filler BYTES] [--seed N]\n"
         "                 [--ffmpeg PROGRAM]\n"
         "Writes PREFIX.mmv (one file) or PREFIX_1.mmv .. PREFIX_N.mmv, consecutive in time,\n"
         "and prints the paths written, one per line.\n"
         "  --keyint FRAMES pictures from one key frame to the next (default: one a second);\n"
         "                  the parameter sets go before each key frame, and each file starts with one\n"
         "  --filler BYTES  video payloads of BYTES random bytes each instead of encoded\n"
         "                  pictures (no ffmpeg run; for large benchmark files)\n";
}

SynthOptions parseSynthArgs(const std::vector<std::string>& args) {
  SynthOptions o;
  bool playResGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(a + ": missing value");
      return args[++i];
    };
    if (a == "--out" || a == "-o") {
      o.outPrefix = value();
      if (o.outPrefix.empty()) throw UsageError("--out: empty prefix");
    } else if (a == "--files") {
      o.files = static_cast<int>(parseInteger(a, value(), 1, 100));
    } else if (a == "--seconds") {
      o.seconds = static_cast<int>(parseInteger(a, value(), 1, 24 * 3600));
    } else if (a == "--start") {
      o.startEpoch = static_cast<int32_t>(parseInteger(a, value(), 0, INT32_MAX));
    } else if (a == "--size") {
      parseSize(a, value(), o.width, o.height);
    } else if (a == "--fps") {
      o.fps = static_cast<int>(parseInteger(a, value(), 1, 120));
    } else if (a == "--keyint") {
      o.keyInterval = static_cast<int>(parseInteger(a, value(), 1, 100000));
    } else if (a == "--no-audio") {
      o.audio = false;
    } else if (a == "--vehicle") {
      o.vehicle = value();
    } else if (a == "--play-res") {
      parseSize(a, value(), o.playResX, o.playResY);
      playResGiven = true;
    } else if (a == "--events") {
      const std::string& v = value();
      if (v != "on" && v != "off") throw UsageError("--events: expected on or off");
      o.events = v == "on";
    } else if (a == "--no-events") {
      o.events = false;
    } else if (a == "--filler") {
      o.fillerBytes = parseInteger(a, value(), 1, 16 * 1024 * 1024);
    } else if (a == "--seed") {
      o.seed = static_cast<uint64_t>(parseInteger(a, value(), 0, INT64_MAX));
    } else if (a == "--ffmpeg") {
      o.ffmpeg = value();
    } else {
      throw UsageError("unknown option '" + a + "'");
    }
  }
  if (o.fillerBytes == 0 && (o.width % 2 != 0 || o.height % 2 != 0 || o.width < 16 || o.height < 16))
    throw UsageError("--size: width and height must be even and at least 16");
  // Every file's end stamp must still fit the 32-bit seconds field.
  if (static_cast<int64_t>(o.startEpoch) + static_cast<int64_t>(o.files) * o.seconds > INT32_MAX)
    throw UsageError("--start: the last file would end after second " + std::to_string(INT32_MAX));
  if (!playResGiven) {
    o.playResX = o.width;
    o.playResY = o.height;
  }
  if (o.playResX > INT16_MAX || o.playResY > INT16_MAX) throw UsageError("--play-res: too large");
  return o;
}

std::vector<std::string> synthOutputPaths(const SynthOptions& o) {
  const std::string ext = ".mmv";
  const bool hasExt = o.outPrefix.size() > ext.size() &&
                      o.outPrefix.compare(o.outPrefix.size() - ext.size(), ext.size(), ext) == 0;
  if (o.files == 1) return {hasExt ? o.outPrefix : o.outPrefix + ext};
  const std::string stem = hasExt ? o.outPrefix.substr(0, o.outPrefix.size() - ext.size()) : o.outPrefix;
  std::vector<std::string> paths;
  for (int i = 1; i <= o.files; ++i) paths.push_back(stem + "_" + std::to_string(i) + ext);
  return paths;
}

}  // namespace vk2::synth
