#pragma once
// The converter as the run harness plays it, in process: for each step the
// input says whether it succeeds, exits non-zero, crashes, writes nothing,
// writes a cut-off or too short video, writes noise, or hangs until the user
// cancels. What it writes is real files, read back by the run's own checks.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/process_launcher.h"

namespace vk2::fuzz {

enum class ConverterAct : uint8_t {
  Succeed,
  ExitNonZero,
  Crash,
  EmptyOutput,
  CutOffOutput,
  WrongLength,
  Noise,
  Hang,
};
constexpr int kConverterActs = 8;

struct ConverterScript {
  ConverterAct steps[2] = {ConverterAct::Succeed, ConverterAct::Succeed};
  uint8_t cut = 0;                // bytes cut off, less one
  uint8_t pollsBeforeCancel = 0;  // a hanging step: polls before the user cancels
  std::vector<uint8_t> noise;     // what Noise writes, and the converter's diagnostic output
};

// A complete video of `seconds` in the format the name's extension calls for.
std::string completeVideo(const std::string& path, double seconds);

class FakeConverter : public ProcessLauncher {
 public:
  FakeConverter(ConverterScript script, std::function<void()> userCancels)
      : script_(std::move(script)), userCancels_(std::move(userCancels)) {}

  // Called with each command line before the step acts: the harness looks at
  // the converter's inputs while they exist.
  std::function<void(const std::vector<std::string>& argv)> onStart;

  ProcessOutcome runHidden(const std::vector<std::string>& argv, const std::function<bool()>& keepWaiting,
                           const std::function<void(const std::string&)>& onOutput) override;
  bool startDetached(const std::vector<std::string>&) override { return true; }

  int calls() const { return calls_; }

 private:
  ConverterScript script_;
  std::function<void()> userCancels_;
  int calls_ = 0;
};

}  // namespace vk2::fuzz
