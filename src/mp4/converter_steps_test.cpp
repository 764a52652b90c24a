#include "mp4/converter_steps.h"

#include "mp4/command_lines.h"
#include "core/converter_progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "testing/fake_launcher.h"
#include "testing/fake_mp4.h"
#include "testing/stage_harness.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using testing::FakeBehaviour;
using testing::FakeLauncher;
using testing::fileExists;
using testing::readText;
using testing::TempDir;
using testing::writeText;

struct StepFixture : testing::StageHarness {
  TempDir dir;
  FakeLauncher launcher;
  std::string target = dir.file("clip.mp4");
  std::string h264 = dir.file("clip.h264");
  std::string pcm = dir.file("clip.pcm");
  std::string ass = dir.file("clip.ass");
  std::string sub = dir.file("clip_Sub.mp4");

  StepFixture() {
    ctx.launcher = &launcher;
    ctx.converterPath = "/usr/bin/ffmpeg";
    writeText(h264, "video");
    writeText(pcm, "audio");
    writeText(ass, "script");
  }
  ConverterStepResult makeMp4(bool audio = true, ConverterWatch watch = {}, double joinedSec = -1) {
    return MakeMp4(ctx, pcm, h264, target, 40, 29.975, audio, watch, joinedSec);
  }
};

TEST(MakeMp4, SuccessLogsTheLineAndDeletesTheStreams) {
  StepFixture f;
  bool runningSeen = false;
  ConverterWatch watch;
  watch.running = [&](bool r) { runningSeen = runningSeen || r; };
  const ConverterStepResult r = f.makeMp4(false, watch);
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(runningSeen);
  ASSERT_EQ(f.log.lines().size(), 2u);
  EXPECT_EQ(f.log.lines()[0], "/usr/bin/ffmpeg -framerate  29.9750 -i " + f.h264 +
                                  " -acodec aac -vcodec copy -y -t 00:0:40 " + f.target + " -loglevel quiet");
  EXPECT_EQ(f.log.lines()[1], "mp4 making is executed..");
  EXPECT_EQ(f.dir.entries(), (std::vector<std::string>{"clip.ass", "clip.mp4"}));
}

// A converter that ends well but leaves a cut-off file (a full disk) or one of
// the wrong length has failed; the file goes, the streams too. Files that join
// across gaps may give as long as their records instead (37 of the 40 s).
TEST(MakeMp4, AnIncompleteOrShortOutputIsAFailure) {
  const std::tuple<std::string, double, std::string> outputs[] = {
      {testing::fakeMp4(40, "x").substr(0, 30), -1, "clip.mp4 is incomplete: "},
      {testing::fakeMp4(20, "x"), -1, "clip.mp4 lasts 20.0 seconds instead of 40.0"},
      {testing::fakeMp4(35.5, "x"), 37, "clip.mp4 lasts 35.5 seconds instead of 37.0"},
      {testing::fakeMp4(37, "x"), 37, ""},
      {testing::fakeMp4(40, "x"), 37, ""}};
  for (const auto& [bytes, joinedSec, problem] : outputs) {
    SCOPED_TRACE(problem);
    StepFixture f;
    f.launcher.nextOutput = bytes;
    const ConverterStepResult r = f.makeMp4(true, {}, joinedSec);
    EXPECT_EQ(r.ok(), problem.empty());
    EXPECT_NE(r.message.find(problem), std::string::npos) << r.message;
    const std::vector<std::string> left =
        problem.empty() ? std::vector<std::string>{"clip.ass", "clip.mp4"} : std::vector<std::string>{"clip.ass"};
    EXPECT_EQ(f.dir.entries(), left);
  }
}

// The muxing line is silenced: a failed one runs once more with "-loglevel error",
// and the message ends with the converter's last error line, the log gets five.
// Not after a crash, a cancel or a converter that did not start.
TEST(MakeMp4, AFailureIsRunAgainToLearnWhy) {
  const std::string said =
      "line 1\nline 2\r\nframe=  9 time=00:00:00.90\rline 3\n\nline 4\n"
      "[h264 @ 0x55d0c1a2b3c0] clip.h264: could not find codec parameters.\nConversion failed!\r\n";
  StepFixture f;
  f.launcher.script = {FakeBehaviour{.exitStatus = 1, .says = "never heard"}, FakeBehaviour{.exitStatus = 1, .says = said}};
  const ConverterStepResult r = f.makeMp4();
  EXPECT_EQ(r.status, StepStatus::Failed);
  EXPECT_EQ(r.message, "the converter ended with exit status 1: clip.h264: could not find codec parameters");
  ASSERT_EQ(f.launcher.calls.size(), 2u);
  EXPECT_EQ(f.launcher.calls[0].back(), "quiet");
  std::vector<std::string> loud = f.launcher.calls[0];
  loud.back() = "error";
  EXPECT_EQ(f.launcher.calls[1], loud);
  const std::vector<std::string>& log = f.log.lines();
  ASSERT_EQ(log.size(), 8u);
  EXPECT_EQ(log[2], "mp4 making failed; run again to learn why: " + withLogLevel(mp4CommandLine("/usr/bin/ffmpeg", f.pcm, f.h264, f.target, 40, 29.975, true), "error").text);
  EXPECT_EQ(std::vector<std::string>(log.begin() + 3, log.end()),
            (std::vector<std::string>{"converter: line 2", "converter: line 3", "converter: line 4",
                                      "converter: [h264 @ 0x55d0c1a2b3c0] clip.h264: could not find codec parameters.",
                                      "converter: Conversion failed!"}));
  EXPECT_EQ(f.dir.entries(), (std::vector<std::string>{"clip.ass"}));

  for (const FakeBehaviour& b : {FakeBehaviour{.exitStatus = -11}, FakeBehaviour{.hangs = true},
                                 FakeBehaviour{.starts = false}}) {
    StepFixture g;
    g.launcher.script = {b, FakeBehaviour{.exitStatus = 1, .says = said}};
    const ConverterStepResult failed = g.makeMp4();
    EXPECT_EQ(g.launcher.calls.size(), 1u) << failed.message;
    EXPECT_EQ(failed.message.find("codec"), std::string::npos) << failed.message;
  }
}

// Exit failures and the message for a missing converter are left to the command tests.
TEST(MakeMp4, ConverterMissingOrUnstartableKeepsTheStreams) {
  StepFixture f;
  f.ctx.converterPath.clear();
  EXPECT_EQ(f.makeMp4().status, StepStatus::NotStarted);
  EXPECT_EQ(f.log.lines().back(), "Fail to create process for mp4.");
  EXPECT_TRUE(f.launcher.calls.empty());
  f.ctx.converterPath = "/usr/bin/ffmpeg";
  f.launcher.script = {FakeBehaviour{.starts = false}};
  EXPECT_NE(f.makeMp4().message.find("/usr/bin/ffmpeg could not be started"), std::string::npos);
  // A converter path that names no file (Windows looks only in the current folder).
  f.ctx.converterPath = f.dir.file("ffmpeg.exe");
  f.launcher.script = {FakeBehaviour{.starts = false}};
  EXPECT_EQ(f.makeMp4().message, "converter not found: " + f.dir.file("ffmpeg.exe"));
  EXPECT_EQ(f.dir.entries(), (std::vector<std::string>{"clip.ass", "clip.h264", "clip.pcm"}));
}

// The subtitle track in one pass: the audio encoded by a second converter
// joined to the muxing by a pipe (one process when the launcher cannot join),
// the script in with the streams and all three deleted; the progress hears the
// length the silenced converter does not print. A failure of either is run
// again to learn why and leaves nothing; the audio's converter ending after
// the muxing lost it its reader, which is no failure; a converter that did not
// start keeps the streams.
TEST(MakeTrackMkv, OnePassWithTheScriptAndItsProgress) {
  StepFixture f;
  const std::string mkv = f.dir.file("clip.mkv");
  std::string heard;
  ConverterWatch watch;
  watch.onOutput = [&](const std::string& chunk) { heard += chunk; };
  const ConverterStepResult r = MakeTrackMkv(f.ctx, f.pcm, f.h264, f.ass, mkv, 3725, 30, true, watch);
  EXPECT_TRUE(r.ok()) << r.message;
  const CommandLine audio = trackAudioCommandLine("/usr/bin/ffmpeg", f.pcm);
  const CommandLine mux = trackJoinedMuxCommandLine("/usr/bin/ffmpeg", f.h264, f.ass, mkv, 3725, 30);
  EXPECT_EQ(f.log.lines().at(0), audio.text + " | " + mux.text);
  EXPECT_EQ(f.launcher.calls, (std::vector<std::vector<std::string>>{audio.arguments, mux.arguments}));
  EXPECT_EQ(heard, "  Duration: 01:02:05.00\nframe=  1 time=00:00:01.00 bitrate=1\r");
  ConverterProgress progress;
  EXPECT_NEAR(progress.feed(heard).value_or(-1), 1 / 3725.0, 1e-9);
  EXPECT_EQ(f.dir.entries(), std::vector<std::string>{"clip.mkv"});

  StepFixture single;
  single.launcher.joins = false;
  EXPECT_TRUE(MakeTrackMkv(single.ctx, single.pcm, single.h264, single.ass, mkv, 40, 30, true).ok());
  EXPECT_EQ(single.launcher.calls, (std::vector<std::vector<std::string>>{
                                       trackMuxCommandLine("/usr/bin/ffmpeg", single.pcm, single.h264, single.ass,
                                                           mkv, 40, 30, true).arguments}));

  StepFixture audioFails;
  audioFails.launcher.feeding = FakeBehaviour{.exitStatus = 1, .says = "a.pcm: Invalid data\n"};
  const ConverterStepResult noAudio =
      MakeTrackMkv(audioFails.ctx, audioFails.pcm, audioFails.h264, audioFails.ass, mkv, 40, 30, true);
  EXPECT_EQ(noAudio.message, "the converter ended with exit status 1: a.pcm: Invalid data");
  ASSERT_EQ(audioFails.launcher.calls.size(), 4u);
  EXPECT_EQ(audioFails.launcher.calls[2].back(), "error");
  EXPECT_EQ(audioFails.dir.entries(), std::vector<std::string>{});
  StepFixture readerGone;
  readerGone.launcher.feeding = FakeBehaviour{.exitStatus = -1};
  readerGone.launcher.feedingOutlivesReader = true;
  EXPECT_TRUE(MakeTrackMkv(readerGone.ctx, readerGone.pcm, readerGone.h264, readerGone.ass, mkv, 40, 30, true).ok());

  StepFixture g;
  g.launcher.script = {FakeBehaviour{.exitStatus = 1}, FakeBehaviour{.exitStatus = 1, .says = "bad.ass: Invalid data\n"}};
  const ConverterStepResult failed = MakeTrackMkv(g.ctx, g.pcm, g.h264, g.ass, g.dir.file("clip.mkv"), 40, 30, false);
  EXPECT_EQ(failed.message, "the converter ended with exit status 1: bad.ass: Invalid data");
  ASSERT_EQ(g.launcher.calls.size(), 2u);
  EXPECT_EQ(g.launcher.calls[1].back(), "error");
  EXPECT_EQ(g.dir.entries(), std::vector<std::string>{});

  StepFixture h;
  h.launcher.script = {FakeBehaviour{.starts = false}};
  EXPECT_EQ(MakeTrackMkv(h.ctx, h.pcm, h.h264, h.ass, h.dir.file("clip.mkv"), 40, 30, true).status,
            StepStatus::NotStarted);
  EXPECT_EQ(h.dir.entries(), (std::vector<std::string>{"clip.ass", "clip.h264", "clip.pcm"}));
}

TEST(BurnSubtitles, SuccessReplacesThePlainMp4) {
  StepFixture f;
  writeText(f.target, "plain");
  std::string output;
  ConverterWatch watch;
  watch.onOutput = [&](const std::string& s) { output += s; };
  const ConverterStepResult r = BurnSubtitles(f.ctx, f.target, f.ass, f.sub, watch);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(f.log.lines()[0], "/usr/bin/ffmpeg -i " + f.target + " -vf subtitles=" + quotedFilterPath(f.ass) + " -y " + f.sub);
  EXPECT_EQ(f.log.lines()[1], "mp4(with subtitle) making is executed..");
  EXPECT_EQ(testing::fakeMp4Marker(readText(f.target)), "sub:" + f.target);
  EXPECT_NE(output.find("time="), std::string::npos);
  EXPECT_EQ(f.dir.entries(), (std::vector<std::string>{"clip.h264", "clip.mp4", "clip.pcm"}));
  EXPECT_EQ(burnInFinalPath("D:\\Out\\a_Sub.mp4"), "D:\\Out\\a.mp4");
}

// Failures after starting are the command tests' case, but for the reason: the
// burn-in is not silenced, so it comes from the run that failed.
TEST(BurnSubtitles, FailuresKeepThePlainMp4) {
  StepFixture f;
  writeText(f.target, "plain");
  writeText(f.sub, "stale");
  f.launcher.script = {FakeBehaviour{.starts = false}};
  EXPECT_EQ(BurnSubtitles(f.ctx, f.target, f.ass, f.sub).status, StepStatus::NotStarted);
  EXPECT_EQ(readText(f.target), "plain");
  EXPECT_FALSE(fileExists(f.sub));
  f.ctx.converterPath.clear();
  EXPECT_EQ(BurnSubtitles(f.ctx, f.target, f.ass, f.sub).status, StepStatus::NotStarted);
  EXPECT_EQ(f.log.lines().back(), "Fail to create process for mp4 with subtitle.");
  EXPECT_TRUE(fileExists(f.ass));

  f.ctx.converterPath = "/usr/bin/ffmpeg";
  f.launcher.calls.clear();
  // Control characters blanked (the reason reaches a terminal); the last line need not be ended.
  f.launcher.script = {FakeBehaviour{
      .exitStatus = 1, .says = "Stream mapping:\n[Parsed_subtitles_0 @ 0x5581] Unable to open\tclip\x1b.ass\n"
                               "Error initializing filter -- "}};
  EXPECT_EQ(BurnSubtitles(f.ctx, f.target, f.ass, f.sub).message,
            "the converter ended with exit status 1: Error initializing filter");
  EXPECT_EQ(f.launcher.calls.size(), 1u);
  EXPECT_EQ(std::vector<std::string>(f.log.lines().end() - 2, f.log.lines().end()),
            (std::vector<std::string>{"converter: [Parsed_subtitles_0 @ 0x5581] Unable to open clip .ass",
                                      "converter: Error initializing filter --"}));
  EXPECT_EQ(readText(f.target), "plain");
}

// The converter is asked once for its encoders; a failed or cut-off attempt is
// followed by the next, and libx264 comes last.
TEST(BurnSubtitles, FailedEncodersAreFollowedByTheNextInOneRun) {
  StepFixture f;
  using List = std::vector<std::string>;
  const auto encoderOf = [](const List& argv) { return *(std::find(argv.begin(), argv.end(), "-c:v") + 1); };
  f.launcher.encoderListing = "Encoders:\n ------\n V....D h264_nvenc NVENC\n V..... h264_qsv QSV\n V....D libx264 x\n";
  f.launcher.script = {FakeBehaviour{.exitStatus = 1, .says = "[h264_nvenc @ 0x5581] Cannot load libcuda.so.1\n"}};
  f.launcher.nextOutput = "partial";  // h264_qsv's output, cut off though it ended with status 0
  writeText(f.target, "plain");
  ConverterStepResult r = BurnSubtitles(f.ctx, f.target, f.ass, f.sub, {}, SubtitleDelivery::BurnFast);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(r.encoder, "libx264");
  ASSERT_EQ(f.launcher.calls.size(), 3u);
  EXPECT_EQ(encoderOf(f.launcher.calls[0]), "h264_nvenc");
  EXPECT_EQ(encoderOf(f.launcher.calls[1]), "h264_qsv");
  EXPECT_EQ(f.launcher.calls[2], fastSubtitleCommandLine("/usr/bin/ffmpeg", f.target, f.ass, f.sub).arguments);
  ASSERT_EQ(r.fallbacks.size(), 2u);
  EXPECT_EQ(r.fallbacks[0], "h264_nvenc failed (the converter ended with exit status 1: Cannot load libcuda.so.1); "
                            "burning in with h264_qsv instead");
  EXPECT_EQ(r.fallbacks[1].rfind("h264_qsv failed (the converter's output " + f.sub + " is incomplete: ", 0), 0u);
  EXPECT_NE(r.fallbacks[1].find("); burning in with libx264 instead"), std::string::npos);
  const List& log = f.log.lines();
  for (const std::string& line : r.fallbacks) EXPECT_EQ(std::count(log.begin(), log.end(), line), 1);
  EXPECT_EQ(log.back(), "encoder: libx264");
  EXPECT_EQ(f.dir.entries(), (List{"clip.h264", "clip.mp4", "clip.pcm"}));

  // Asked once a run; a hardware encoder named but not listed is said to be skipped.
  writeText(f.ass, "script");
  f.launcher.calls.clear();
  f.options.encoder = "h264_amf";
  r = BurnSubtitles(f.ctx, f.target, f.ass, f.sub, {}, SubtitleDelivery::Burn);
  EXPECT_EQ(f.launcher.listings, 1);
  EXPECT_EQ(r.fallbacks,
            List{"h264_amf failed (the converter does not list it); burning in with libx264 instead"});
  EXPECT_EQ(f.launcher.calls, std::vector<List>{subtitleCommandLine("/usr/bin/ffmpeg", f.target, f.ass, f.sub).arguments});

  // A cancel ends the step in its first attempt; the MP4 stays.
  writeText(f.ass, "script");
  f.launcher.calls.clear();
  f.options.encoder = "h264_qsv";
  f.launcher.script = {FakeBehaviour{.hangs = true}};
  ConverterWatch cancel;
  cancel.keepWaiting = [] { return false; };
  r = BurnSubtitles(f.ctx, f.target, f.ass, f.sub, cancel, SubtitleDelivery::Burn);
  EXPECT_EQ(r.status, StepStatus::Cancelled);
  EXPECT_EQ(r.encoder, "h264_qsv");
  EXPECT_TRUE(r.fallbacks.empty());
  EXPECT_EQ(f.launcher.calls.size(), 1u);
  EXPECT_EQ(f.dir.entries(), (List{"clip.h264", "clip.mp4", "clip.pcm"}));
  // So does one that came as an attempt failed: no next attempt starts.
  writeText(f.ass, "script");
  f.launcher.script = {FakeBehaviour{.exitStatus = 1}};
  ConverterWatch lateCancel;
  lateCancel.running = [&f](bool active) { f.state.cancelRequested = !active; };
  r = BurnSubtitles(f.ctx, f.target, f.ass, f.sub, lateCancel, SubtitleDelivery::Burn);
  EXPECT_EQ(r.status, StepStatus::Cancelled);
  EXPECT_EQ(f.launcher.calls.size(), 2u);
  EXPECT_EQ(f.dir.entries(), (List{"clip.h264", "clip.mp4", "clip.pcm"}));
}

}  // namespace
}  // namespace vk2
