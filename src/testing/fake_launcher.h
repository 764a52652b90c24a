#pragma once
// A stand-in for the converter in unit tests: records every argument vector and
// acts as told per call: write a small complete MP4 to the output (the muxing
// line's third-last argument, the burn-in's last) whose marker is "mp4:" + output
// or "sub:" + input (an ".mkv" output: a small complete MKV marked "mkv:" +
// output) and exit with 0, fail to start, hang until the caller stops waiting, or write part of it, say something and exit with a status of its own.
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/process_launcher.h"
#include "mp4/mp4_check.h"
#include "testing/fake_mp4.h"
#include "testing/test_support.h"

namespace vk2::testing {

struct FakeBehaviour {
  bool starts = true;
  bool hangs = false;  // runs until keepWaiting returns false, after writing part of the output
  // Not 0: writes part of the output, says `says` (unless "-loglevel quiet") and
  // ends with this status; -N: is ended by signal N.
  int exitStatus = 0;
  std::string says{};
};

class FakeLauncher : public ProcessLauncher {
 public:
  std::deque<FakeBehaviour> script;  // one per call; the default behaviour when empty
  std::string nextOutput;  // when set, the next call writes it instead (a cut-off or odd MP4)
  std::vector<std::vector<std::string>> calls;
  // "-encoders" is answered with this, counted in `listings` and not in `calls`.
  std::string encoderListing;
  int listings = 0;

  ProcessOutcome runHidden(const std::vector<std::string>& argv, const std::function<bool()>& keepWaiting,
                           const std::function<void(const std::string&)>& onOutput) override {
    if (argv.size() == 3 && argv[2] == "-encoders") {
      ++listings;
      if (onOutput) onOutput(encoderListing);
      ProcessOutcome listed;
      listed.started = true;
      listed.exitStatus = 0;
      return listed;
    }
    calls.push_back(argv);
    FakeBehaviour b;
    if (!script.empty()) {
      b = script.front();
      script.pop_front();
    }
    ProcessOutcome outcome;
    if (!b.starts) {
      outcome.error = "No such file or directory";
      return outcome;
    }
    outcome.started = true;
    const bool muxing = argv.size() >= 3 && argv[argv.size() - 2] == "-loglevel";
    const std::string output = muxing ? argv[argv.size() - 3] : argv.back();
    if (b.hangs || b.exitStatus != 0)
      writeText(output, "partial");
    else if (!nextOutput.empty())
      writeText(output, std::exchange(nextOutput, std::string()));
    else if (output.ends_with(".mkv"))
      writeText(output, fakeMkv(outputSeconds(argv, muxing), "mkv:" + output));
    else
      writeText(output, fakeMp4(outputSeconds(argv, muxing), muxing ? "mp4:" + output : "sub:" + argv[2]));
    if (onOutput) onOutput("frame=  1 time=00:00:01.00 bitrate=1\r");
    if (b.exitStatus != 0) {
      if (onOutput && argv.back() != "quiet") onOutput(b.says);
      outcome.exitStatus = b.exitStatus > 0 ? b.exitStatus : -1;
      if (b.exitStatus < 0) outcome.error = "ended by signal " + std::to_string(-b.exitStatus);
      return outcome;
    }
    if (b.hangs) {
      while (keepWaiting && keepWaiting()) {
      }
      outcome.cancelled = true;
      return outcome;
    }
    if (keepWaiting) keepWaiting();
    outcome.exitStatus = 0;
    return outcome;
  }

  // As long as the muxing line's "-t 00:M:S" says, or the burn-in's input lasts.
  static double outputSeconds(const std::vector<std::string>& argv, bool muxing) {
    if (!muxing) return checkMp4File(argv[2]).durationSec;
    return muxingLineSeconds(argv);
  }

  // Joined runs: the first line is recorded in `calls` and acts as `feeding`
  // says (only whether it starts and its status count); the second acts as
  // runHidden's call does. `joins` false: the launcher cannot join processes.
  bool joins = true;
  FakeBehaviour feeding;
  bool feedingOutlivesReader = false;  // the first ends after the second, having lost its reader

  bool canJoinProcesses() const override { return joins; }

  JoinedOutcome runJoined(const std::vector<std::string>& first, const std::vector<std::string>& second,
                          const std::function<bool()>& keepWaiting,
                          const std::function<void(const std::string&)>& onOutput) override {
    calls.push_back(first);
    JoinedOutcome outcome;
    if (!feeding.starts) {
      outcome.first.error = "No such file or directory";
      return outcome;
    }
    outcome.first.started = true;
    outcome.first.exitStatus = feeding.exitStatus;
    if (feeding.exitStatus != 0 && onOutput && first.back() != "quiet") onOutput(feeding.says);
    outcome.second = runHidden(second, keepWaiting, onOutput);
    outcome.secondEndedFirst = feedingOutlivesReader;
    if (outcome.second.cancelled) outcome.first.cancelled = true;
    return outcome;
  }

  bool startDetached(const std::vector<std::string>&) override { return true; }
};

}  // namespace vk2::testing
