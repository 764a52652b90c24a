#include "conversion/conversion_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "mmv/mmv_error.h"
#include "testing/fake_launcher.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using testing::FakeBehaviour;
using testing::FakeLauncher;
using testing::fileExists;
using testing::readText;
using testing::TempDir;
using testing::writeText;

// A run over fake stages: the merge appends the inputs to the target and keeps
// "Data.tmp" until the last file, the extraction writes the four intermediates.
struct RunFixture {
  TempDir dir;
  ConversionState state;
  HiddenLog log;
  HiddenLog subtitles;
  PlainConversionOptions options;
  FakeLauncher launcher;
  StageContext ctx{state, log, subtitles, options, [this] { onPump(); }, &launcher, "/usr/bin/ffmpeg"};
  std::vector<std::string> progress;
  std::vector<bool> converterSteps;
  std::function<void(int)> afterMerge;  // file index just merged
  std::function<void()> duringPump;
  bool extractFails = false;
  bool mergeThrowsAt2 = false;
  std::unique_ptr<ConversionRun> run;
  std::string target = dir.file("X.mp4");

  explicit RunFixture(int files) {
    for (int i = 1; i <= files; ++i) {
      state.selectedFiles.push_back(dir.file("rec_" + std::to_string(i) + ".mmv"));
      writeText(state.selectedFiles.back(), "recording " + std::to_string(i));
    }
    RunCallbacks callbacks;
    callbacks.progress = [this](const RunProgress& p) {
      EXPECT_EQ(p.label, std::to_string(p.position) + "/" + std::to_string(p.maximum));
      progress.push_back(p.label);
    };
    callbacks.converterStep = [this](bool active) { converterSteps.push_back(active); };
    RunStages stages;
    stages.merge = [this](StageContext& c, const std::string& path, int index, int count, const std::string& out) {
      if (mergeThrowsAt2 && index == 2) {
        DiscardFake(c.state);
        throw FileError(path, "damaged frame header");
      }
      c.state.mergedFilePath = out;
      c.state.bodyTempPath = dir.file("Data.tmp");
      const std::string before = index == 1 ? "" : readText(out);
      writeText(out, before + readText(path));
      writeText(c.state.bodyTempPath, "body");
      if (index == count) std::remove(c.state.bodyTempPath.c_str());
      if (afterMerge) afterMerge(index);
    };
    stages.discardMerge = [](ConversionState& s) { DiscardFake(s); };
    stages.extract = [this](StageContext&, const std::string& in, const std::string& out) {
      ExtractResult r;
      r.paths = DerivedPaths::fromTarget(out);
      if (!fileExists(in)) throw FileError(in, "cannot open");
      for (const std::string* p : {&r.paths.h264, &r.paths.pcm, &r.paths.ass}) writeText(*p, "stream");
      if (extractFails) {
        r.error = in + ": cannot write " + r.paths.h264;
        return r;
      }
      r.ok = true;
      r.durationSec = 20;
      r.frameRate = 30;
      return r;
    };
    run = std::make_unique<ConversionRun>(ctx, callbacks, stages);
  }
  static void DiscardFake(ConversionState& s) {
    std::remove(s.mergedFilePath.c_str());
    std::remove(s.bodyTempPath.c_str());
  }
  void onPump() {
    if (duringPump) duringPump();
  }
  RunOutcome start() {
    RunOutcome o = run->start(target);
    EXPECT_FALSE(run->running());
    EXPECT_FALSE(run->inConverterStep());
    return o;
  }
  // The folder's entries other than the inputs.
  std::vector<std::string> outputs() const {
    std::vector<std::string> names;
    for (const std::string& n : dir.entries())
      if (n.rfind("rec_", 0) != 0) names.push_back(n);
    return names;
  }
};

TEST(ConversionRun, SingleFileProgressAndResult) {
  RunFixture f(1);
  const RunOutcome o = f.start();
  EXPECT_EQ(o.status, RunStatus::Succeeded);
  EXPECT_EQ(o.message, "MP4 converted successfully");
  EXPECT_EQ(f.progress, (std::vector<std::string>{"1/2", "2/2"}));
  EXPECT_EQ(f.converterSteps, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mp4"});
  EXPECT_EQ(readText(f.target), "sub:" + f.target);
  ASSERT_EQ(f.launcher.calls.size(), 2u);
  EXPECT_EQ(f.launcher.calls[0][8], f.dir.file("X.pcm"));  // audio read when the step starts
  f.options.audio = false;
  f.launcher.calls.clear();
  EXPECT_EQ(f.start().status, RunStatus::Succeeded);
  EXPECT_EQ(std::count(f.launcher.calls[0].begin(), f.launcher.calls[0].end(), "-i"), 1);
}

TEST(ConversionRun, MergeProgressAndCancelBetweenFiles) {
  {
    RunFixture f(3);
    const RunOutcome o = f.start();
    EXPECT_EQ(o.status, RunStatus::Succeeded);
    EXPECT_EQ(f.progress, (std::vector<std::string>{"0/4", "1/4", "2/4", "3/4", "4/4"}));
    EXPECT_NE(std::find(f.log.lines().begin(), f.log.lines().end(), "File Merge is done--------------------------"),
              f.log.lines().end());
    EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mp4"});
  }
  {  // Cancel while file 2 of 3 is merged: partial outputs removed, nothing converted.
    RunFixture f(3);
    f.afterMerge = [&](int index) {
      if (index == 2) f.run->requestCancel();
    };
    const RunOutcome o = f.start();
    EXPECT_EQ(o.status, RunStatus::Cancelled);
    EXPECT_EQ(o.message, "");
    EXPECT_EQ(f.progress, (std::vector<std::string>{"0/4", "1/4", "2/4", "0/4"}));
    EXPECT_FALSE(f.state.cancelRequested);
    EXPECT_TRUE(f.launcher.calls.empty());
    EXPECT_TRUE(f.outputs().empty());
    // Start again merges from file 1.
    f.afterMerge = nullptr;
    EXPECT_EQ(f.start().status, RunStatus::Succeeded);
  }
  {  // Cancel while the last file is merged: the merged recording does not stay.
    RunFixture f(3);
    f.afterMerge = [&](int index) {
      if (index == 3) f.run->requestCancel();
    };
    const RunOutcome o = f.start();
    EXPECT_EQ(o.status, RunStatus::Cancelled);
    EXPECT_EQ(o.message, "The conversion was cancelled; the merged recording written to " + f.target +
                             " was removed.");
    EXPECT_EQ(f.progress.back(), "0/4");
    EXPECT_TRUE(f.launcher.calls.empty());
    EXPECT_TRUE(f.outputs().empty());
  }
  {  // Cancel outside the merge loop and the converter steps has no effect.
    RunFixture f(1);
    f.duringPump = [&] {
      if (!f.run->inConverterStep()) f.run->requestCancel();
    };
    EXPECT_EQ(f.start().status, RunStatus::Succeeded);
  }
}

TEST(ConversionRun, FailuresKeepTheExistingTargetAndLeaveNoFakeMp4) {
  struct Case {
    const char* name;
    int files;
    std::vector<FakeBehaviour> converter;
    bool extractFails;
    bool mergeFails;
    const char* messageStart;
    ConversionStep step;
    std::vector<std::string> left;
  };
  const std::vector<Case> cases = {
      {"mux exit 1", 3, {FakeBehaviour{.exitStatus = 1}}, false, false,
       "Making the MP4 failed: the converter ended with exit status 1", ConversionStep::MakeMp4, {}},
      {"mux no output", 1, {FakeBehaviour{.writesOutput = false}}, false, false,
       "Making the MP4 failed: the converter wrote no MP4", ConversionStep::MakeMp4, {}},
      {"mux not started", 3, {FakeBehaviour{.starts = false}}, false, false, "Making the MP4 failed: the converter",
       ConversionStep::MakeMp4, {"X.ass", "X.h264", "X.pcm"}},
      {"extract", 3, {}, true, false, "Extracting the streams failed: ", ConversionStep::Extract, {}},
      {"merge", 3, {}, false, true, "", ConversionStep::None, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunFixture f(c.files);
    writeText(f.target, "the user's older video");
    f.launcher.script.assign(c.converter.begin(), c.converter.end());
    f.extractFails = c.extractFails;
    f.mergeThrowsAt2 = c.mergeFails;
    const RunOutcome o = f.start();
    EXPECT_EQ(o.status, RunStatus::Failed);
    EXPECT_EQ(o.failedStep, c.step);
    EXPECT_EQ(o.message.rfind(c.messageStart, 0), 0u) << o.message;
    EXPECT_EQ(readText(f.target), "the user's older video");
    std::vector<std::string> expected = c.left;
    expected.push_back("X.mp4");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(f.outputs(), expected);
    if (c.mergeFails) {
      EXPECT_NE(o.message.find("rec_2.mmv: damaged frame header"), std::string::npos);
    }
    if (!c.left.empty()) {
      EXPECT_NE(o.message.find(f.dir.file("X.h264")), std::string::npos);
      EXPECT_NE(o.message.find(f.dir.file("X.pcm")), std::string::npos);
    }
  }
  {  // Converter not found, no older file: nothing at the target, streams kept.
    RunFixture f(3);
    f.ctx.converterPath.clear();
    const RunOutcome o = f.start();
    EXPECT_EQ(o.status, RunStatus::Failed);
    EXPECT_NE(o.message.find("converter not found in the current folder or on PATH"), std::string::npos);
    EXPECT_EQ(f.outputs(), (std::vector<std::string>{"X.ass", "X.h264", "X.pcm"}));
  }
}

TEST(ConversionRun, FailedBurnInKeepsThePlainMp4) {
  const FakeBehaviour burnIn[] = {FakeBehaviour{.exitStatus = 1}, FakeBehaviour{.writesOutput = false},
                                  FakeBehaviour{.starts = false}};
  for (const FakeBehaviour& b : burnIn) {
    RunFixture f(1);
    writeText(f.target, "the user's older video");
    f.launcher.script = {FakeBehaviour{}, b};
    const RunOutcome o = f.start();
    EXPECT_EQ(o.status, RunStatus::Failed);
    EXPECT_EQ(o.failedStep, ConversionStep::BurnSubtitles);
    EXPECT_EQ(o.message.rfind("The subtitles could not be burnt in: ", 0), 0u);
    EXPECT_NE(o.message.find(f.target + " holds the MP4 without subtitles."), std::string::npos);
    EXPECT_EQ(readText(f.target), "mp4:" + f.target);
    std::vector<std::string> expected{"X.mp4"};
    if (!b.starts) expected.insert(expected.begin(), "X.ass");
    EXPECT_EQ(f.outputs(), expected);
  }
}

TEST(ConversionRun, CancelDuringEitherConverterStepEndsItAndRestoresTheTarget) {
  for (int hangingStep = 0; hangingStep < 2; ++hangingStep) {
    RunFixture f(2);
    writeText(f.target, "the user's older video");
    f.launcher.script = {FakeBehaviour{.hangs = hangingStep == 0}, FakeBehaviour{.hangs = true}};
    int polls = 0;
    f.duringPump = [&] {
      if (f.run->inConverterStep() && ++polls == 3) f.run->requestCancel();
    };
    const RunOutcome o = f.start();
    EXPECT_EQ(o.status, RunStatus::Cancelled);
    EXPECT_EQ(o.message, "The conversion was cancelled.");
    EXPECT_FALSE(f.state.cancelRequested);
    EXPECT_EQ(f.launcher.calls.size(), static_cast<std::size_t>(hangingStep + 1));
    EXPECT_EQ(readText(f.target), "the user's older video");
    EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mp4"});
  }
  {  // A stop (Ctrl-C) during the extraction ends the run before the converter.
    RunFixture f(1);
    f.duringPump = [&] { f.run->requestStop(); };
    EXPECT_EQ(f.start().status, RunStatus::Cancelled);
    EXPECT_TRUE(f.launcher.calls.empty());
    EXPECT_TRUE(f.outputs().empty());
  }
}

TEST(ConversionRun, ReplacesAnExistingTargetOnlyWithACompleteMp4AndRefusesItsOwnInput) {
  RunFixture f(2);
  writeText(f.target, "the user's older video");
  writeText(f.target + ".previous", "an unrelated file");
  EXPECT_EQ(f.start().status, RunStatus::Succeeded);
  EXPECT_EQ(readText(f.target), "sub:" + f.target);
  EXPECT_EQ(readText(f.target + ".previous"), "an unrelated file");
  EXPECT_EQ(f.outputs(), (std::vector<std::string>{"X.mp4", "X.mp4.previous"}));

  RunFixture g(1);
  g.target = g.state.selectedFiles[0];
  const RunOutcome o = g.start();
  EXPECT_EQ(o.status, RunStatus::Failed);
  EXPECT_NE(o.message.find("is one of the selected recordings"), std::string::npos);
  EXPECT_EQ(readText(g.target), "recording 1");
  EXPECT_EQ(buildOutputPath("D:\\Out", "a"), "D:\\Outa.mp4");
}

}  // namespace
}  // namespace vk2

#ifndef _WIN32
namespace vk2 {
namespace {

// The real merge and extraction on generated recordings, the converter faked.
TEST(ConversionRunWithRealStages, CancelAfterFileTwoAndAfterTheLastLeavesNothing) {
  for (int cancelAfter : {2, 3, 0}) {
    SCOPED_TRACE(cancelAfter);
    TempDir dir;
    const std::string command = std::string("'") + MMV_SYNTH_EXE + "' --files 3 --seconds 6 --filler 2000 --out '" +
                                dir.file("rec") + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ConversionState state;
    HiddenLog log;
    HiddenLog subtitles;
    PlainConversionOptions options;
    FakeLauncher launcher;
    StageContext ctx{state, log, subtitles, options, [] {}, &launcher, "/usr/bin/ffmpeg"};
    state.selectedFiles = {dir.file("rec_1.mmv"), dir.file("rec_2.mmv"), dir.file("rec_3.mmv")};
    std::vector<std::string> progress;
    RunCallbacks callbacks;
    callbacks.progress = [&](const RunProgress& p) { progress.push_back(p.label); };
    ConversionRun run(ctx, callbacks);
    int merged = 0;
    ctx.pump = [&] {
      // The run pumps twice after each merged file, before it looks at the flag.
      if (cancelAfter > 0 && !progress.empty() && progress.back() == std::to_string(cancelAfter) + "/4" && merged++ == 0)
        run.requestCancel();
    };
    const RunOutcome o = run.start(dir.file("X.mp4"));
    if (cancelAfter == 0) {
      EXPECT_EQ(o.status, RunStatus::Succeeded);
      EXPECT_EQ(progress, (std::vector<std::string>{"0/4", "1/4", "2/4", "3/4", "4/4"}));
      EXPECT_EQ(dir.entries(), (std::vector<std::string>{"X.mp4", "rec_1.mmv", "rec_2.mmv", "rec_3.mmv"}));
      continue;
    }
    EXPECT_EQ(o.status, RunStatus::Cancelled);
    EXPECT_EQ(o.message.empty(), cancelAfter == 2);
    EXPECT_EQ(progress.back(), "0/4");
    EXPECT_TRUE(launcher.calls.empty());
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"rec_1.mmv", "rec_2.mmv", "rec_3.mmv"}));
  }
}

}  // namespace
}  // namespace vk2
#endif
