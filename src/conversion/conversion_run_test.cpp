#include "conversion/conversion_run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/file_error.h"
#include "testing/fake_launcher.h"
#include "testing/stage_harness.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using testing::FakeBehaviour;
using testing::fileExists;
using testing::readText;
using testing::writeText;
using Names = std::vector<std::string>;

// A run over fake stages: the merge appends the inputs to the target, the
// extraction writes the three intermediates the converter reads.
struct RunFixture : testing::StageHarness {
  testing::TempDir dir;
  testing::FakeLauncher launcher;
  Names progress;
  std::vector<bool> converterSteps;
  std::function<void(int)> afterMerge;  // file index just merged
  std::function<void()> duringPump;
  std::function<void()> duringExtract;
  bool extractFails = false;
  bool mergeThrowsAt2 = false;
  std::unique_ptr<ConversionRun> run;
  std::string target = dir.file("X.mp4");

  explicit RunFixture(int files, const std::string& older = "") {
    ctx.launcher = &launcher;
    ctx.converterPath = "/usr/bin/ffmpeg";
    ctx.pump = [this] { if (duringPump) duringPump(); };
    if (!older.empty()) writeText(target, older);
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
    stages.merge = [this](StageContext& c, const std::string& path, int index, int, const std::string& out) {
      if (mergeThrowsAt2 && index == 2) {
        discard(c.state);
        throw FileError(path, "damaged frame header");
      }
      c.state.mergedFilePath = out;
      writeText(out, (index == 1 ? "" : readText(out)) + readText(path));
      if (afterMerge) afterMerge(index);
    };
    stages.discardMerge = discard;
    stages.extract = [this](StageContext&, const std::string& in, const RunFiles& files) {
      if (duringExtract) duringExtract();
      ExtractResult r;
      r.paths = files;
      for (const std::string* p : {&r.paths.h264, &r.paths.pcm, &r.paths.ass}) writeText(*p, "stream");
      r.ok = !extractFails;
      if (extractFails) r.error = in + ": cannot write " + r.paths.h264;
      r.durationSec = 20;
      r.frameRate = 30;
      return r;
    };
    run = std::make_unique<ConversionRun>(ctx, callbacks, stages);
  }
  static void discard(ConversionState& s) { std::remove(s.mergedFilePath.c_str()); }
  RunOutcome start() {
    RunOutcome o = run->start(target);
    EXPECT_FALSE(run->running());
    EXPECT_FALSE(run->inConverterStep());
    return o;
  }
  // The folder's entries other than the inputs.
  Names outputs() const {
    Names names;
    for (const std::string& n : dir.entries())
      if (n.rfind("rec_", 0) != 0) names.push_back(n);
    return names;
  }
};

TEST(ConversionRun, CancelWhileMergingRemovesEveryPartialOutput) {
  for (const int cancelAt : {2, 3}) {
    RunFixture f(3);
    f.afterMerge = [&](int index) {
      if (index == cancelAt) f.run->requestCancel();
    };
    const RunOutcome o = f.start();
    EXPECT_EQ(o.status, RunStatus::Cancelled);
    EXPECT_EQ(o.message, cancelAt == 2 ? ""
                                       : "The conversion was cancelled; the merged recording written to " +
                                             f.target + " was removed.");
    EXPECT_EQ(f.progress.back(), "0/4");
    EXPECT_FALSE(f.state.cancelRequested);
    EXPECT_TRUE(f.launcher.calls.empty());
    EXPECT_TRUE(f.outputs().empty());
    f.afterMerge = nullptr;  // starting again merges from file 1
    f.progress.clear();
    EXPECT_EQ(f.start().status, RunStatus::Succeeded);
    EXPECT_EQ(f.progress, (Names{"0/4", "1/4", "2/4", "3/4", "4/4"}));
    EXPECT_EQ(std::count(f.log.lines().begin(), f.log.lines().end(), "File Merge is done--------------------------"), 1);
    EXPECT_EQ(f.outputs(), Names{"X.mp4"});
  }
  // A Cancel after the last merged file, while the streams are extracted, ends
  // the run before the converter starts.
  RunFixture f(2);
  f.duringExtract = [&] { f.run->requestCancel(); };
  const RunOutcome o = f.start();
  EXPECT_EQ(o.status, RunStatus::Cancelled);
  EXPECT_EQ(o.message, "The conversion was cancelled.");
  EXPECT_TRUE(f.launcher.calls.empty());
  EXPECT_TRUE(f.outputs().empty());
}

TEST(ConversionRun, FailuresBeforeTheConverterKeepTheExistingTarget) {
  for (const bool mergeFails : {true, false}) {
    RunFixture f(3, "the user's older video");
    f.mergeThrowsAt2 = mergeFails;
    f.extractFails = !mergeFails;
    const RunOutcome o = f.start();
    EXPECT_EQ(o.status, RunStatus::Failed);
    EXPECT_EQ(o.failedStep, mergeFails ? ConversionStep::None : ConversionStep::Extract);
    EXPECT_NE(o.message.find(mergeFails ? "rec_2.mmv: damaged frame header" : "Extracting the streams failed: "),
              std::string::npos)
        << o.message;
    EXPECT_EQ(readText(f.target), "the user's older video");
    EXPECT_EQ(f.outputs(), Names{"X.mp4"});
  }
}

// Both steps with a hanging converter are the command's Ctrl-C test; the first
// step is the windows' cancel test.
TEST(ConversionRun, CancelDuringAConverterStepRestoresTheTarget) {
  {
    RunFixture f(2, "the user's older video");
    f.launcher.script = {FakeBehaviour{}, FakeBehaviour{.hangs = true}};
    f.duringPump = [&] {
      if (f.run->inConverterStep() && f.launcher.calls.size() == 2) f.run->requestCancel();
    };
    const RunOutcome o = f.start();
    EXPECT_EQ(o.status, RunStatus::Cancelled);
    EXPECT_EQ(o.message, "The conversion was cancelled.");
    EXPECT_EQ(readText(f.target), "the user's older video");
    EXPECT_EQ(f.outputs(), Names{"X.mp4"});
    EXPECT_EQ(f.progress, (Names{"0/3", "1/3", "2/3", "0/3"}));
  }
  // A stop (Ctrl-C) during the extraction ends the run before the converter.
  RunFixture f(1);
  f.duringPump = [&] { f.run->requestStop(); };
  EXPECT_EQ(f.start().status, RunStatus::Cancelled);
  EXPECT_EQ(f.progress, (Names{"1/2", "0/2"}));
  EXPECT_TRUE(f.launcher.calls.empty());
  EXPECT_TRUE(f.outputs().empty());
}

TEST(ConversionRun, ReplacesAnExistingTargetOnlyWithACompleteMp4AndRefusesItsOwnInput) {
  RunFixture f(2, "the user's older video");
  writeText(f.target + ".previous", "an unrelated file");
  EXPECT_EQ(f.start().message, "MP4 converted successfully");
  EXPECT_EQ(f.converterSteps, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(testing::fakeMp4Marker(readText(f.target)), "sub:" + f.target);
  EXPECT_EQ(readText(f.target + ".previous"), "an unrelated file");
  EXPECT_EQ(f.outputs(), (Names{"X.mp4", "X.mp4.previous"}));

  RunFixture g(1);
  g.target = g.state.selectedFiles[0];
  const RunOutcome o = g.start();
  EXPECT_EQ(o.status, RunStatus::Failed);
  EXPECT_NE(o.message.find("is a selected recording, and this run would write its target"), std::string::npos);
  EXPECT_EQ(readText(g.target), "recording 1");
  EXPECT_EQ(buildOutputPath("D:\\Out", "a"), "D:\\Outa.mp4");
}

}  // namespace
}  // namespace vk2
