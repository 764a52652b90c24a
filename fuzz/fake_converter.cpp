#include "fake_converter.h"

#include <algorithm>
#include <bit>
#include <string>

#include "fuzz_support.h"
#include "mp4/matroska_check.h"
#include "testing/fake_mp4.h"

namespace vk2::fuzz {

namespace {

using namespace std::string_literals;

std::string bigEndian(uint64_t v, int bytes) {
  std::string s;
  for (int i = bytes - 1; i >= 0; --i) s += static_cast<char>(v >> (8 * i));
  return s;
}

// One Matroska element with a one-byte size.
std::string element(const std::string& id, const std::string& data) {
  return id + static_cast<char>(0x80 | data.size()) + data;
}

std::string completeMatroska(double seconds) {
  const std::string header = element("\x1A\x45\xDF\xA3", element("\x42\x82", "matroska"));
  const std::string info =
      element("\x15\x49\xA9\x66", element("\x2A\xD7\xB1", bigEndian(1000000, 3)) +
                                      element("\x44\x89", bigEndian(std::bit_cast<uint64_t>(seconds * 1000), 8)));
  const std::string body = info + element("\x1F\x43\xB6\x75", "cluster");
  return header + "\x18\x53\x80\x67"s + static_cast<char>(0x80 | body.size()) + body;
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The muxing line ends "-t 00:M:S OUTPUT -loglevel quiet" ("error" when a failed
// one is run again to learn why); the burn-in reads its input's length and
// writes the last argument.
bool isMuxing(const std::vector<std::string>& argv) {
  return argv.size() >= 3 && argv[argv.size() - 2] == "-loglevel";
}

double expectedSeconds(const std::vector<std::string>& argv) {
  if (!isMuxing(argv)) return argv.size() > 2 ? checkVideoFile(argv[2]).durationSec : 0;
  return testing::muxingLineSeconds(argv);
}

void writeText(const std::string& path, const std::string& text) {
  writeBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace

std::string completeVideo(const std::string& path, double seconds) {
  // A recording may claim a span of decades; the video it makes is at most what
  // a 32-bit count of milliseconds holds, which the run's length check then refuses.
  seconds = std::clamp(seconds, 0.0, 4e6);
  return endsWith(path, ".mkv") ? completeMatroska(seconds) : testing::fakeMp4(seconds, "fuzz");
}

ProcessOutcome FakeConverter::runHidden(const std::vector<std::string>& argv, const std::function<bool()>& keepWaiting,
                                        const std::function<void(const std::string&)>& onOutput) {
  // A muxing line run again acts as it did the first time.
  const ConverterAct act = script_.steps[isMuxing(argv) ? 0 : 1];
  ++calls_;
  ProcessOutcome outcome;
  outcome.started = true;
  if (argv.size() < 3) broken("a converter command line of " + std::to_string(argv.size()) + " arguments");
  if (onStart) onStart(argv);
  const std::string output = isMuxing(argv) ? argv[argv.size() - 3] : argv.back();
  const std::string video = completeVideo(output, expectedSeconds(argv));
  if (onOutput && !script_.noise.empty()) onOutput(std::string(script_.noise.begin(), script_.noise.end()));
  switch (act) {
    case ConverterAct::Succeed:
      writeText(output, video);
      break;
    case ConverterAct::ExitNonZero:
      writeText(output, video.substr(0, video.size() / 2));
      outcome.exitStatus = 1;
      return outcome;
    case ConverterAct::Crash:
      writeText(output, video.substr(0, video.size() / 3));
      outcome.error = "ended by signal 11";
      return outcome;
    case ConverterAct::EmptyOutput:
      writeText(output, "");
      break;
    case ConverterAct::CutOffOutput:
      writeText(output, video.substr(0, video.size() - 1 - script_.cut % video.size()));
      break;
    case ConverterAct::WrongLength:
      writeText(output, completeVideo(output, expectedSeconds(argv) + 2 + script_.cut));
      break;
    case ConverterAct::Noise:
      writeBytes(output, script_.noise);
      break;
    case ConverterAct::Hang:
      writeText(output, video.substr(0, video.size() / 2));
      for (int polls = 0; keepWaiting && keepWaiting(); ++polls)
        if (polls >= script_.pollsBeforeCancel) userCancels_();
      outcome.cancelled = true;
      return outcome;
  }
  if (keepWaiting) keepWaiting();
  outcome.exitStatus = 0;
  return outcome;
}

}  // namespace vk2::fuzz
