#include <gtest/gtest.h>

#include <cstdlib>

#include "extract/drv_record.h"
#include "synth/mmv_builder.h"
#include "testing/command_run.h"
#include "testing/record_list.h"
#include "testing/test_support.h"

namespace vk2::cli {
namespace {

using testing::CommandRun;
using testing::fileExists;
using testing::TempDir;

constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC

CommandRun extract(const Args& args) { return testing::runCommand(runExtractCommand, args); }

void writeRecording(const std::string& path, int32_t start, int32_t seconds) {
  synth::MmvBuilder b;
  b.setTimes(start, start + seconds);
  for (int i = 0; i < seconds; ++i) {
    b.add(kFrameVideo0, {0, 0, 0, 1, static_cast<uint8_t>(i)}, 0, true);
    b.add(kFrameAudio, std::vector<uint8_t>(10, static_cast<uint8_t>(i)));
    b.add(kFrameDrv, std::vector<uint8_t>(kDrvRecordSize, 0));
  }
  b.writeTo(path);
}

TEST(ExtractCommand, ExitStatusesAndFiles) {
  TempDir dir;
  writeRecording(dir.file("a.mmv"), kStart, 10);
  writeRecording(dir.file("b.mmv"), kStart + 10, 10);

  const CommandRun bad = extract({"--bogus", dir.file("a.mmv")});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "vk2mp4: unknown option '--bogus'; see vk2mp4 extract --help\n");

  // A failure is status 1 and never replaces the target (a log over a recording is WrittenNames' test).
  testing::writeText(dir.file("old.mp4"), "an earlier video");
  const CommandRun logOverTarget = extract({"-o", dir.file("old"), "--log", dir.file("old.mp4"), dir.file("a.mmv")});
  EXPECT_EQ(logOverTarget.status, 1);
  EXPECT_EQ(testing::readText(dir.file("old.mp4")), "an earlier video");
  std::remove(dir.file("old.mp4").c_str());

  // One file: the four files beside the target, the log in --log, a line per stage and one naming the files.
  const CommandRun one = extract({"-o", dir.file("one"), "--log", dir.file("run.log"), "--trim-start", "2",
                           dir.file("a.mmv")});
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.mmv", "b.mmv", "one.ass", "one.drv", "one.h264",
                                                      "one.pcm", "run.log"}));
  EXPECT_EQ(testing::readFile(dir.file("one.pcm")).size(), 80u);  // seconds 2..9 of 10
  const std::string log = testing::readText(dir.file("run.log"));
  EXPECT_NE(log.find("MMV Sec = 10\ntotalDrvCount = 10\n"), std::string::npos) << log;
  EXPECT_EQ(one.out, "Extracting the streams and the subtitle script\nExtracted " + dir.file("one.h264") +
                         ", one.pcm, one.drv and one.ass\n");

  // Two files: merged beside the target as .mmv, removed afterwards; the log
  // says the merge is done before the streams are extracted, as the run's does.
  const CommandRun two = extract({"-q", "--log", dir.file("two.log"), "-o", dir.file("two.mp4"), dir.file("a.mmv"),
                                  dir.file("b.mmv")});
  ASSERT_EQ(two.status, 0) << two.err;
  EXPECT_TRUE(two.out.empty());
  const std::string twoLog = testing::readText(dir.file("two.log"));
  EXPECT_NE(twoLog.find("---\nFile Merge is done--------------------------\nMMV Sec = 20\n"), std::string::npos) << twoLog;
  std::remove(dir.file("two.log").c_str());
  EXPECT_EQ(testing::readFile(dir.file("two.drv")).size(), 80u + 20 * kDrvRecordSize);
  EXPECT_FALSE(fileExists(dir.file("two.mmv")));
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.mmv", "b.mmv", "one.ass", "one.drv", "one.h264", "one.pcm",
                                                      "run.log", "two.ass", "two.drv", "two.h264", "two.pcm"}));

  // A recording 0 seconds long: its streams, and a warning instead of a failure.
  writeRecording(dir.file("zero.mmv"), kStart + 100, 0);
  const CommandRun zero = extract({"-q", "-o", dir.file("zero.mp4"), dir.file("zero.mmv")});
  EXPECT_EQ(zero.status, 0);
  EXPECT_EQ(zero.err, "vk2mp4: warning: " + dir.file("zero.mmv") +
                          ": nothing to convert: the time window is 0 seconds long\n");
  EXPECT_TRUE(fileExists(dir.file("zero.h264")) && fileExists(dir.file("zero.ass")));
  for (const char* ext : {".mmv", ".h264", ".pcm", ".drv", ".ass"}) std::remove(dir.file(std::string("zero") + ext).c_str());

  // A recording that holds only its leading part: one line naming it, and no file left.
  std::vector<uint8_t> leading = testing::readFile(dir.file("a.mmv"));
  leading.resize(kLeadingPartSize);
  testing::writeFile(dir.file("empty.mmv"), leading);
  const CommandRun empty = extract({"-q", "-o", dir.file("empty"), dir.file("empty.mmv")});
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.err, "vk2mp4: " + dir.file("empty.mmv") + " ends early at offset 4858, 0 seconds into the recording "
                       "(the file ends at offset 4858, before record 30 of totalFrameCount): records 1 to 30 (about "
                       "10 seconds) are missing; no complete video is left in the chosen time window\n");
  std::remove(dir.file("empty.mmv").c_str());
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.mmv", "b.mmv", "one.ass", "one.drv", "one.h264", "one.pcm",
                                                      "run.log", "two.ass", "two.drv", "two.h264", "two.pcm"}));

  // A file already at the merged name is left alone.
  testing::writeText(dir.file("busy.mmv"), "keep me");
  const CommandRun busy = extract({"-q", "-o", dir.file("busy"), dir.file("a.mmv"), dir.file("b.mmv")});
  EXPECT_EQ(busy.status, 1);
  EXPECT_EQ(testing::readText(dir.file("busy.mmv")), "keep me");
}

// What the extract command promises on a real recording: a video stream the
// decoder reads frame for frame, all the audio, every telemetry record, and a
// script the burn-in filter accepts.
TEST(ExtractCommand, GeneratedRecordingEndToEnd) {
  if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
  TempDir dir;
  const std::string synth = std::string(MMV_SYNTH_EXE) + " --out " +
                            testing::shellQuoted(dir.file("rec")) + " --seconds 4 > /dev/null";
  ASSERT_EQ(std::system(synth.c_str()), 0);
  const std::string rec = dir.file("rec.mmv");

  int video = 0, drv = 0;
  uint64_t audioBytes = 0;
  for (const testing::WalkedRecord& r : testing::walkRecords(rec)) {
    const uint8_t type = r.header.frameType();
    if (type <= kFrameVideo1) ++video;
    if (type == kFrameAudio) audioBytes += r.payload.size();
    if (type == kFrameDrv) ++drv;
  }

  const CommandRun run = extract({"-q", "-o", dir.file("out/x.mp4"), rec});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(testing::commandOutput("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                   "stream=nb_read_frames -of csv=p=0 " +
                                   testing::shellQuoted(dir.file("out/x.h264"))),
            std::to_string(video) + "\n");
  EXPECT_EQ(testing::readFile(dir.file("out/x.pcm")).size(), audioBytes);
  EXPECT_EQ(testing::readFile(dir.file("out/x.drv")).size(), 80u + kDrvRecordSize * drv);
  EXPECT_EQ(testing::commandOutput("ffmpeg -v error -f lavfi -i color=size=320x240:d=1 -vf subtitles=" +
                                   testing::shellQuoted(dir.file("out/x.ass")) + " -f null - 2>&1"),
            "");
}

}  // namespace
}  // namespace vk2::cli
