#ifndef _WIN32
// vk2mp4 convert as a child process: with a fake converter named "ffmpeg" in its
// current folder, and end to end with the real converter.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <tuple>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "platform/process_launch.h"
#include "testing/fake_mp4.h"
#include "testing/record_list.h"
#include "testing/sample_card.h"
#include "testing/test_support.h"

extern char** environ;

namespace vk2 {
namespace {

using testing::commandOutput;
using testing::fileExists;
using testing::readText;
using testing::shellQuoted;
using testing::splitLines;
using testing::TempDir;
using testing::writeDrive;
using testing::writeText;

// Records its arguments (one per line, then "--") and acts as the next line of
// "modes" says: ok (an MP4, or MKV for an ".mkv", marked "made by call N" as
// long as "-t" says, or a copy of the burn-in's input), fail (exit 1, saying why unless "-loglevel quiet"),
// hang, or fill (writes until the disk is full, then claims success). The arguments themselves are the
// command line tests'; the 18 seconds of three merged files the end-to-end test's.
constexpr const char* kFakeConverter = R"sh(#!/bin/sh
case " $* " in *" pipe:1 "*)
  for a in "$@"; do printf '%s\n' "$a" >> joined; done; echo -- >> joined
  prev=""; for a in "$@"; do [ "$prev" = -i ] && in=$a; prev=$a; done
  exec cat "$in";;
esac
case " $* " in *" pipe:0 "*) wc -c > piped;; esac
n=0
[ -f calls ] && n=$(grep -c '^--$' calls)
for a in "$@"; do printf '%s\n' "$a" >> calls; done
echo -- >> calls
mode=$(sed -n "$((n+1))p" modes)
eval "last=\${$#}"; eval "level=\${$(($#-1))}"
if [ "$level" = -loglevel ]; then eval "out=\${$(($#-2))}"; else out=$last; fi
t=""; in=""; prev=""
for a in "$@"; do
  case "$prev" in -t) t=$a;; -i) in=$a;; esac
  prev=$a
done
case "$mode" in
  fail) echo partial > "$out"
        [ "$last" = quiet ] || printf 'frame=  1 time=00:00:00.10\r%s: Invalid data found when processing input\nConversion failed!\n' "$in" >&2
        exit 1;;
  hang) echo partial > "$out"; echo $$ > converter.pid; touch running; sleep 60; exit 0;;
  fill) { printf '\000\000\000\020ftypisom'; printf '\003\000\000\000mdat'; cat /dev/zero; } > "$out" 2>/dev/null; exit 0;;
  *) case "$out" in *.mkv) head=mkvhead;; *) head=head;; esac
     if [ -n "$t" ]; then
       ms=${t#00:}; { cat "${head}_$(( ${ms%%:*} * 60 + ${ms#*:} ))"; echo "made by call $n"; } > "$out"
     else cp "$in" "$out"; fi; exit 0;;
esac
)sh";

// Recordings in data/, the converter's folder work/, vk2mp4 started in work/.
struct ConvertFixture {
  TempDir dir;
  std::string data = dir.file("data/");
  std::string work = dir.file("work/");
  std::vector<std::string> inputs;
  std::string target = data + "X.mp4";

  ConvertFixture(int files, const std::string& synthOptions = "--filler 3000 --seconds 6 --size 320x240") {
    ::mkdir(data.c_str(), 0755);
    ::mkdir(work.c_str(), 0755);
    if (files == 0) return;
    inputs = splitLines(commandOutput(shellQuoted(MMV_SYNTH_EXE) + " --files " + std::to_string(files) + " " +
                                      synthOptions + " --out " + shellQuoted(data + "rec")));
    EXPECT_EQ(inputs.size(), static_cast<std::size_t>(files));
  }
  void fakeConverter(const std::string& modes) {
    writeText(work + "ffmpeg", kFakeConverter);
    ::chmod((work + "ffmpeg").c_str(), 0755);
    writeText(work + "modes", modes);
    const std::string marker = "made by call 0\n";
    for (int seconds = 0; seconds <= 120; ++seconds) {
      writeText(work + "head_" + std::to_string(seconds), testing::fakeMp4Head(seconds, marker.size()));
      const std::string mkv = testing::fakeMkv(seconds, marker);
      writeText(work + "mkvhead_" + std::to_string(seconds), mkv.substr(0, mkv.size() - marker.size()));
    }
  }
  std::string arguments(const std::string& extra = "") const {
    std::string args = "convert -q " + extra + " -o " + shellQuoted(target);
    for (const std::string& in : inputs) args += " " + shellQuoted(in);
    return args;
  }
  // vk2mp4 with `args` in work/, what it writes kept for out() and err().
  int run(const std::string& args, const std::string& env = "") {
    const std::string command = "cd " + shellQuoted(work) + " && " + env + " " + shellQuoted(VK2MP4_EXE) + " " +
                                args + " >" + shellQuoted(dir.file("stdout")) + " 2>" + shellQuoted(dir.file("stderr"));
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int convert(const std::string& extra = "", const std::string& env = "") { return run(arguments(extra), env); }
  std::string out() const { return readText(dir.file("stdout")); }
  std::string err() const { return readText(dir.file("stderr")); }
  // data/ without the recordings.
  std::vector<std::string> outputs() const {
    std::vector<std::string> names;
    for (const std::string& name : testing::entriesOf(data))
      if (name.rfind("rec", 0) != 0) names.push_back(name);
    return names;
  }
};

TEST(ConvertCommand, FakeConverterFailuresLoseNothing) {
  {  // muxing fails: nothing new left, the older file at the target is back; run again, the converter says why
    ConvertFixture f(3);
    f.fakeConverter("fail\nfail\n");
    writeText(f.target, "older");
    EXPECT_EQ(f.convert("--log " + shellQuoted(f.work + "run.log")), 1);
    EXPECT_NE(f.err().find("Making the MP4 failed: the converter ended with exit status 1: " + f.data +
                           "X.h264: Invalid data found when processing input.\n"),
              std::string::npos) << f.err();
    const std::vector<std::string> calls = splitLines(readText(f.work + "calls"));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "--"), 2);
    EXPECT_EQ(calls[calls.size() - 2], "error");
    const std::vector<std::string> log = splitLines(readText(f.work + "run.log"));
    EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
              (std::vector<std::string>{"converter: " + f.data + "X.h264: Invalid data found when processing input",
                                        "converter: Conversion failed!"}));
    EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mp4"});
    EXPECT_EQ(readText(f.target), "older");

    // No converter anywhere: the streams stay and are named; no merged MMV at the target.
    std::remove((f.work + "ffmpeg").c_str());
    EXPECT_EQ(f.convert("", "PATH=" + f.work), 1);
    EXPECT_NE(f.err().find("converter not found in the current folder or on PATH"), std::string::npos);
    EXPECT_NE(f.err().find(f.data + "X.h264"), std::string::npos);
    EXPECT_NE(f.err().find(f.data + "X.pcm"), std::string::npos);
    EXPECT_EQ(f.outputs(), (std::vector<std::string>{"X.ass", "X.h264", "X.mp4", "X.pcm"}));
    EXPECT_EQ(readText(f.target), "older");
  }
  {  // burn-in fails: the plain MP4 is at the target, or beside a file that stood there
    ConvertFixture f(3);
    f.fakeConverter("ok\nfail\n");
    EXPECT_EQ(f.convert(), 1);
    EXPECT_NE(f.err().find("The subtitles could not be burnt in: the converter ended with exit status 1: " + f.target +
                           ": Invalid data found when processing input. " + f.target +
                           " holds the MP4 without subtitles."),
              std::string::npos) << f.err();
    EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mp4"});
    EXPECT_EQ(testing::fakeMp4Marker(readText(f.target)), "made by call 0\n");

    std::remove((f.work + "calls").c_str());
    writeText(f.target, "older");
    EXPECT_EQ(f.convert(), 1);
    EXPECT_NE(f.err().find("The subtitles could not be burnt in: the converter ended with exit status 1: " + f.target +
                           ": Invalid data found when processing input. The file "
                           "that was at " + f.target + " is there as before; the MP4 without subtitles is kept as " +
                           f.data + "X_without_subtitles.mp4."),
              std::string::npos) << f.err();
    EXPECT_EQ(f.outputs(), (std::vector<std::string>{"X.mp4", "X_without_subtitles.mp4"}));
    EXPECT_EQ(readText(f.target), "older");
    EXPECT_EQ(testing::fakeMp4Marker(readText(f.data + "X_without_subtitles.mp4")), "made by call 0\n");
  }
  {  // the subtitle track: one pass with the script as its third input; when it fails the older MKV is back
    ConvertFixture f(3);
    f.target = f.data + "X.mkv";
    f.fakeConverter("ok\nfail\nfail\n");
    EXPECT_EQ(f.convert("--subtitles track"), 0) << f.err();
    const std::vector<std::string> calls = splitLines(readText(f.work + "calls"));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "--"), 1);
    EXPECT_NE(std::find(calls.begin(), calls.end(), f.data + "X.ass"), calls.end());
    // The audio is encoded by a second converter, and all of it reaches the muxing.
    const std::vector<std::string> joined = splitLines(readText(f.work + "joined"));
    EXPECT_NE(std::find(joined.begin(), joined.end(), f.data + "X.pcm"), joined.end());
    EXPECT_EQ(std::stol(readText(f.work + "piped")), 18 * 48000 * 2);
    EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mkv"});

    writeText(f.target, "older");
    EXPECT_EQ(f.convert("--subtitles track"), 1);
    EXPECT_NE(f.err().find("Making the MKV failed: the converter ended with exit status 1: " + f.data +
                           "X.ass: Invalid data found when processing input.\n"),
              std::string::npos) << f.err();
    EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mkv"});
    EXPECT_EQ(readText(f.target), "older");
  }
}

// The stand-in converter lists three hardware encoders: one fails, one writes a
// cut-off file, one works. Each is tried in its turn in one run, and what was
// used is named on the last line and in the log.
TEST(ConvertCommand, HardwareEncodersFallBackInOneRun) {
  ConvertFixture f(1);
  std::filesystem::copy_file(FAKE_CONVERTER_EXE, f.work + "ffmpeg");
  writeText(f.work + "encoders.txt", "h264_nvenc fail\nh264_amf\nh264_qsv incomplete\n");
  const std::string log = f.work + "run.log";
  const auto run = [&](const std::string& options) {
    std::remove((f.work + "calls.txt").c_str());
    return commandOutput("cd " + shellQuoted(f.work) + " && " + shellQuoted(VK2MP4_EXE) + " convert " + options +
                         " --log " + shellQuoted(log) + " -o " + shellQuoted(f.target) + " " +
                         shellQuoted(f.inputs[0]) + " 2>" + shellQuoted(f.dir.file("stderr")) + "; echo $?");
  };
  const auto encodersTried = [&] {
    std::vector<std::string> tried;
    const std::vector<std::string> calls = splitLines(readText(f.work + "calls.txt"));
    for (std::size_t i = 0; i + 1 < calls.size(); ++i)
      if (calls[i] == "-c:v" || calls[i] == "-preset") tried.push_back(calls[i] + " " + calls[i + 1]);
    return tried;
  };
  EXPECT_EQ(splitLines(run("--subtitles burn-fast")).back(), "0");
  EXPECT_EQ(splitLines(run("-q --subtitles burn-fast")).back(), "0");
  EXPECT_EQ(encodersTried(), (std::vector<std::string>{"-c:v h264_nvenc", "-preset p4", "-c:v h264_qsv",
                                                        "-preset veryfast", "-c:v h264_amf"}));
  EXPECT_EQ(readText(f.work + "listings.txt"), "-encoders\n-encoders\n");  // once a run
  const std::vector<std::string> err = splitLines(f.err());
  ASSERT_EQ(err.size(), 2u) << f.err();
  EXPECT_EQ(err[0], "vk2mp4: h264_nvenc failed (the converter ended with exit status 1: " + f.target +
                        ": Invalid data found when processing input); burning in with h264_qsv instead");
  EXPECT_EQ(err[1].rfind("vk2mp4: h264_qsv failed (the converter's output " + f.data + "X_Sub.mp4 is incomplete: ", 0),
            0u);
  EXPECT_NE(err[1].find("); burning in with h264_amf instead"), std::string::npos);
  EXPECT_EQ(splitLines(readText(log)).back(), "encoder: h264_amf");
  EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mp4"});

  // The named encoder first, then libx264; a plain burn asks for no listing and names none.
  writeText(f.work + "encoders.txt", "h264_nvenc fail\nh264_amf fail\n");
  const std::vector<std::string> shown = splitLines(run("--encoder h264_amf"));
  EXPECT_EQ(shown[shown.size() - 2], f.target + " (encoder: libx264)");
  EXPECT_EQ(encodersTried(), std::vector<std::string>{"-c:v h264_amf"});
  EXPECT_NE(f.err().find("h264_amf failed ("), std::string::npos);
  EXPECT_EQ(splitLines(run("")).end()[-2], f.target);
  EXPECT_TRUE(encodersTried().empty());
  EXPECT_EQ(splitLines(readText(f.work + "listings.txt")).size(), 3u);
  EXPECT_EQ(run("--subtitles none --encoder auto"), "2\n");
  EXPECT_EQ(f.err(), "vk2mp4: --encoder needs --subtitles burn or burn-fast; see vk2mp4 convert --help\n");
}

// A recording at a working name is WrittenNames' test; here Data.tmp is no working
// name, a name too long is refused, and links at working names are replaced, not followed.
TEST(ConvertCommand, NoRecordingIsEverAWorkingFile) {
  ConvertFixture f(2);
  f.fakeConverter("ok\nok\n");
  const std::string first = readText(f.inputs[0]);
  const std::vector<std::string> recordings = f.inputs;
  // Data.tmp is no working name: a recording of that name converts and is left as it was.
  writeText(f.data + "Data.tmp", first);
  f.inputs = {f.data + "Data.tmp", recordings[1]};
  f.target = f.data + "d.mp4";
  EXPECT_EQ(f.convert(), 0) << f.err();
  EXPECT_EQ(readText(f.data + "Data.tmp"), first);

  f.inputs = recordings;
  f.target = f.data + std::string(250, 'n') + ".mp4";
  EXPECT_EQ(f.convert(), 1);
  EXPECT_NE(f.err().find("the name is too long: the working file " + std::string(250, 'n') +
                         "_Sub.mp4 would need 258 bytes, more than the 255 a file name may have"),
            std::string::npos) << f.err();

  writeText(f.dir.file("elsewhere"), "not yours");
  f.target = f.data + "X.mp4";
  for (const char* link : {"X.h264", "X.ass"}) {
    std::remove((f.data + link).c_str());
    ::symlink(f.dir.file("elsewhere").c_str(), (f.data + link).c_str());
  }
  EXPECT_EQ(f.convert(), 0) << f.err();
  EXPECT_EQ(readText(f.dir.file("elsewhere")), "not yours");
  EXPECT_FALSE(fileExists(f.data + "X.h264"));
}

// A memory card of 40 files: a drive of 17 files (two parts), one of 10 with a
// 5-second gap after the fourth (two trips), one of 12, and an unreadable file;
// the names are out of time order. Listed, then converted trip by trip.
TEST(TripsCommand, ACardIsListedAndConvertedTripByTrip) {
  ConvertFixture f(0);
  const std::string card = f.dir.file("card/");
  ::mkdir(card.c_str(), 0755);
  testing::writeSampleCard(card, f.dir.path());

  const std::string trips = commandOutput("cd " + shellQuoted(f.work) + " && TZ=UTC " + shellQuoted(VK2MP4_EXE) +
                                          " trips --time-basis utc " + shellQuoted(card));
  EXPECT_EQ(trips, "trip 1: 2021-10-29 08:05:03 - 2021-10-29 08:05:33, 30 s, 15 files, 20211029_080503_30\n"
                   "trip 2: 2021-10-29 08:05:33 - 2021-10-29 08:05:37, 4 s, 2 files, 20211029_080533_4\n"
                   "trip 3: 2021-10-29 09:05:03 - 2021-10-29 09:05:11, 8 s, 4 files, 20211029_090503_8\n"
                   "trip 4: 2021-10-29 09:05:16 - 2021-10-29 09:05:28, 12 s, 6 files, 20211029_090516_12\n"
                   "trip 5: 2021-10-29 10:05:03 - 2021-10-29 10:05:27, 24 s, 12 files, 20211029_100503_24\n"
                   "unreadable: " + card + "broken.MMV: file is shorter than its 762-byte info block (9 bytes)\n"
                   "5 trips in 40 MMV files\n");

  // Every trip into out/; the third fails in its muxing, the others go on.
  f.fakeConverter("ok\nok\nok\nok\nfail\nok\nok\nok\nok\n");
  const std::string out = f.dir.file("out/");
  EXPECT_EQ(f.run("convert --time-basis utc --trips " + shellQuoted(card) + " -o " + shellQuoted(out), "TZ=UTC"), 1);
  EXPECT_EQ(f.out(), "trip 1/5: " + out + "20211029_080503_30.mp4\n"
                                            "trip 2/5: " + out + "20211029_080533_4.mp4\n"
                                            "trip 4/5: " + out + "20211029_090516_12.mp4\n"
                                            "trip 5/5: " + out + "20211029_100503_24.mp4\n"
                                            "4 of 5 trips converted\n");
  EXPECT_NE(f.err().find("trip 3/5 failed: Making the MP4 failed: the converter ended with exit status 1"),
            std::string::npos) << f.err();
  EXPECT_EQ(testing::entriesOf(out), (std::vector<std::string>{"20211029_080503_30.mp4", "20211029_080533_4.mp4",
                                                                "20211029_090516_12.mp4", "20211029_100503_24.mp4"}));
}

std::string vk2mp4In(const std::string& folder, const std::string& env, const std::string& args) {
  return "cd " + shellQuoted(folder) + " && " + env + " " + shellQuoted(VK2MP4_EXE) + " " + args;
}

// Two trips that propose one name: the hour repeated when summer time ends,
// 00:30 and 01:30 UTC both 02:30 in Berlin. The second is listed and written
// as "-2", its track beside it, and neither replaces the other.
TEST(TripsCommand, TripsProposingOneNameGetOneFileEach) {
  ConvertFixture f(0);
  const std::string card = f.dir.file("card/"), out = f.dir.file("out/");
  ::mkdir(card.c_str(), 0755);
  writeDrive(card + "first", 1, 1635640200, 60);
  writeDrive(card + "second", 1, 1635643800, 60);
  const std::string berlin = "TZ='CET-1CEST,M3.5.0,M10.5.0/3'";  // Europe/Berlin's rule

  EXPECT_EQ(commandOutput(vk2mp4In(f.work, berlin, "trips " + shellQuoted(card))),
            "trip 1: 2021-10-31 02:30:00 - 2021-10-31 02:31:00, 60 s, 1 file, 20211031_023000_60\n"
            "trip 2: 2021-10-31 02:30:00 - 2021-10-31 02:31:00, 60 s, 1 file, 20211031_023000_60-2\n"
            "2 trips in 2 MMV files\n");

  f.fakeConverter("ok\nok\nok\nok\n");
  EXPECT_EQ(f.run("convert --track csv --report --trips " + shellQuoted(card) + " -o " + shellQuoted(out), berlin), 0)
      << f.err();
  EXPECT_EQ(f.out(), "trip 1/2: " + out + "20211031_023000_60.mp4\n"
                                            "trip 2/2: " + out + "20211031_023000_60-2.mp4\n"
                                            "2 of 2 trips converted\n");
  EXPECT_EQ(testing::entriesOf(out),
            (std::vector<std::string>{"20211031_023000_60-2.csv", "20211031_023000_60-2.html", "20211031_023000_60-2.mp4",
                                      "20211031_023000_60.csv", "20211031_023000_60.html", "20211031_023000_60.mp4"}));
  EXPECT_NE(readText(out + "20211031_023000_60-2.html").find("src=\"20211031_023000_60-2.mp4\""), std::string::npos);
  EXPECT_NE(readText(out + "20211031_023000_60.mp4"), readText(out + "20211031_023000_60-2.mp4"));
  EXPECT_EQ(splitLines(readText(out + "20211031_023000_60.csv")).at(1).rfind(
                "2021-10-31T00:30:00Z,2021-10-31T02:30:00+02:00,", 0), 0u);
  EXPECT_EQ(splitLines(readText(out + "20211031_023000_60-2.csv")).at(1).rfind(
                "2021-10-31T01:30:00Z,2021-10-31T02:30:00+01:00,", 0), 0u);
}

// One recording reached through a hard or a symbolic link, or through a link to
// the card, counts once. A copy is a recording of its own: a copied drive,
// interleaved with the original file by file, still makes two whole trips.
TEST(TripsCommand, ALinkCountsOnceACopyMakesItsOwnTrip) {
  testing::TempDir dir;
  const std::string card = dir.file("card/");
  ::mkdir(card.c_str(), 0755);
  ::mkdir((card + "copy").c_str(), 0755);
  for (const std::string& file : writeDrive(card + "drive", 3, 1635494703, 10))
    writeText(card + "copy/" + file.substr(card.size()), readText(file));
  writeDrive(card + "single", 1, 1635494703 + 3600, 10);
  writeText(card + "single copy.mmv", readText(card + "single.mmv"));
  ASSERT_EQ(::link((card + "drive_1.mmv").c_str(), (card + "hard.mmv").c_str()), 0);
  ASSERT_EQ(::symlink((card + "drive_2.mmv").c_str(), (card + "soft.mmv").c_str()), 0);
  ASSERT_EQ(::symlink(card.c_str(), dir.file("link-to-card").c_str()), 0);

  const std::string listing = "trip 1: 2021-10-29 08:05:03 - 2021-10-29 08:05:33, 30 s, 3 files, 20211029_080503_30\n"
                              "trip 2: 2021-10-29 08:05:03 - 2021-10-29 08:05:33, 30 s, 3 files, 20211029_080503_30-2\n"
                              "trip 3: 2021-10-29 09:05:03 - 2021-10-29 09:05:13, 10 s, 1 file, 20211029_090503_10\n"
                              "trip 4: 2021-10-29 09:05:03 - 2021-10-29 09:05:13, 10 s, 1 file, 20211029_090503_10-2\n"
                              "4 trips in 8 MMV files\n";
  const std::string trips = vk2mp4In(dir.path(), "TZ=UTC", "trips --recursive --time-basis utc ");
  EXPECT_EQ(commandOutput(trips + shellQuoted(card)), listing);
  EXPECT_EQ(commandOutput(trips + shellQuoted(card) + " link-to-card"), listing);
}

// What cannot be read is listed with its reason, never silently left out: a
// subfolder without read rights, links that lead nowhere or round in a loop, a
// file whose name holds a line break, escaped in every line so that it cannot
// forge one. convert --trips searches subfolders with --recursive too.
TEST(TripsCommand, WhatCannotBeReadIsListedAndNoNameForgesALine) {
  ConvertFixture f(0);
  const std::string card = f.dir.file("card/"), out = f.dir.file("out/");
  for (const char* folder : {"", "sub", "locked"}) ::mkdir((card + folder).c_str(), 0755);
  writeDrive(card + "a", 1, 1635494703, 10);
  writeDrive(card + "sub/b", 1, 1635494703 + 3600, 10);
  writeDrive(card + "sub/short\n", 1, 1635494703 + 7200, 3);
  writeText(card + "bad\ntrip 9: forged\\.mmv", "short");
  writeText(card + "cut.mmv", readText(card + "a.mmv").substr(0, 3000));  // no record: left out, not a trip
  ::symlink((card + "missing.mmv").c_str(), (card + "dangling.mmv").c_str());
  ::symlink((card + "loop.mmv").c_str(), (card + "loop.mmv").c_str());
  ::chmod((card + "locked").c_str(), 0);
  // Root reads the folder all the same.
  const std::string locked = ::geteuid() == 0 ? "" : card + "locked: the folder cannot be read: Permission denied\n";
  const std::string unreadable =
      card + "bad\\x0Atrip 9: forged\\\\.mmv: file is shorter than its 762-byte info block (5 bytes)\n" + card +
      "dangling.mmv: the symbolic link cannot be followed: No such file or directory\n" + locked + card +
      "loop.mmv: the symbolic link cannot be followed: Too many levels of symbolic links\n";
  const std::string unusable =
      card + "cut.mmv: holds no complete record (file is shorter than the 4858-byte leading part (3000 bytes))\n";
  const auto prefixed = [](const std::string& prefix, const std::string& lines) {
    std::string text;
    for (const std::string& line : splitLines(lines)) text += prefix + line + "\n";
    return text;
  };

  EXPECT_EQ(commandOutput(vk2mp4In(f.work, "TZ=UTC", "trips --recursive --time-basis utc " + shellQuoted(card))),
            "trip 1: 2021-10-29 08:05:03 - 2021-10-29 08:05:13, 10 s, 1 file, 20211029_080503_10\n"
            "trip 2: 2021-10-29 09:05:03 - 2021-10-29 09:05:13, 10 s, 1 file, 20211029_090503_10\n"
            "trip 3: 2021-10-29 10:05:03 - 2021-10-29 10:05:06, 3 s, 1 file, 20211029_100503_3\n" +
                prefixed("unreadable: ", unreadable) + "unusable: " + unusable + "3 trips in 7 MMV files\n");

  // The trims leave too little of trip 3, whose file is named in its line.
  f.fakeConverter("ok\nok\nok\nok\n");
  EXPECT_EQ(f.run("convert --time-basis utc --trim-start 1 --trim-end 1 --trips " + shellQuoted(card) +
                      " --recursive -o " + shellQuoted(out),
                  "TZ=UTC"),
            1);
  EXPECT_EQ(f.out(), "trip 1/3: " + out + "20211029_080504_8.mp4\n"
                                            "trip 2/3: " + out + "20211029_090504_8.mp4\n"
                                            "2 of 3 trips converted\n");
  EXPECT_EQ(f.err(), prefixed("vk2mp4: skipped ", unreadable + unusable) + "trip 3/3 failed: " + card +
                         "sub/short\\x0A.mmv: the trip of 3 seconds is too short for the trims of 1 seconds at the "
                         "start and 1 at the end (at least 5 seconds must be left)\n");
  ::chmod((card + "locked").c_str(), 0755);  // so the scratch folder can go
}

// convert --track: the track beside the video once the video is made; a track
// that cannot be written afterwards fails the command, and the video stays.
TEST(ConvertCommand, TrackBesideTheVideo) {
  ConvertFixture f(3);
  f.fakeConverter("ok\nok\n");
  EXPECT_EQ(f.convert("--track gpx --trim-start 2"), 0) << f.err();
  EXPECT_EQ(f.outputs(), (std::vector<std::string>{"X.gpx", "X.mp4"}));
  const std::string gpx = readText(f.data + "X.gpx");
  std::size_t points = 0;
  for (std::size_t at = 0; (at = gpx.find("<trkpt ", at)) != std::string::npos; ++at) ++points;
  EXPECT_EQ(points, 160u);  // ten records a second, 16 of the 18 seconds

  f.fakeConverter("ok\nok\n");
  std::string converter = kFakeConverter;
  converter.insert(converter.find("case \"$mode\""), "mkdir -p \"$(dirname \"$out\")/X.csv\"\n");
  writeText(f.work + "ffmpeg", converter);
  EXPECT_EQ(f.convert("--track csv"), 1);
  EXPECT_NE(f.err().find("the video was made, but the track could not be written: " + f.data + "X.csv: is a folder"),
            std::string::npos) << f.err();
  EXPECT_EQ(f.outputs(), (std::vector<std::string>{"X.csv", "X.gpx", "X.mp4"}));
  EXPECT_EQ(testing::fakeMp4Marker(readText(f.target)), "made by call 2\n");  // the burn-in copies the muxed MP4
}

// convert --report: the page beside the video, playing it, once the video is
// made; never over a recording, and an earlier page stays when the run fails.
TEST(ConvertCommand, ReportBesideTheVideo) {
  ConvertFixture f(2);
  f.fakeConverter("ok\nok\nfail\nfail\n");
  EXPECT_EQ(f.convert("--report --trim-start 2"), 0) << f.err();
  EXPECT_EQ(f.outputs(), (std::vector<std::string>{"X.html", "X.mp4"}));
  const std::string page = readText(f.data + "X.html");
  EXPECT_NE(page.find("src=\"X.mp4\""), std::string::npos);
  EXPECT_NE(page.find(", 100 records, "), std::string::npos);  // ten a second, 10 of the 12 seconds

  writeText(f.data + "X.html", "older");
  EXPECT_EQ(f.convert("--report"), 1);
  EXPECT_EQ(readText(f.data + "X.html"), "older");

  const std::string calls = readText(f.work + "calls");
  writeText(f.data + "X.html", readText(f.inputs[0]));
  f.inputs = {f.data + "X.html"};
  EXPECT_EQ(f.convert("--report"), 1);
  EXPECT_NE(f.err().find(f.data + "X.html: is a selected recording, and this run would write its report page"),
            std::string::npos)
      << f.err();
  EXPECT_EQ(readText(f.work + "calls"), calls);  // the converter was not started
}

// The target on a small disk of its own, which the converter fills up.
TEST(ConvertCommand, AFullDiskIsReportedAndLosesNothing) {
  ConvertFixture f(1);
  const std::string disk = f.dir.file("disk/");
  ::mkdir(disk.c_str(), 0755);
  if (std::system(("mount -t tmpfs -o size=4m tmpfs " + shellQuoted(disk) + " 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "cannot mount a small disk here";
  f.target = disk + "X.mp4";
  writeText(f.target, "older");
  f.fakeConverter("fill\n");
  EXPECT_EQ(f.convert(), 1);
  EXPECT_NE(f.err().find(f.target + " is incomplete: "), std::string::npos) << f.err();
  EXPECT_NE(f.err().find("; the disk holding " + f.target + " is full"), std::string::npos) << f.err();
  EXPECT_EQ(testing::entriesOf(disk), std::vector<std::string>{"X.mp4"});
  EXPECT_EQ(readText(f.target), "older");
  std::system(("umount " + shellQuoted(disk)).c_str());
}

struct StoppedRun {
  int status = -1;
  std::string err;
};

// vk2mp4 started by a shell (which writes its pid, after `shellSetup`) in the
// converter's folder. Once the hanging converter runs, `signal` is sent; with
// `confirm`, the converter must still run a second later, and SIGTERM follows.
// The converter must be gone when vk2mp4 has ended.
StoppedRun stopWhileConverting(const ConvertFixture& f, const std::string& arguments, int signal,
                               const std::string& shellSetup = "", bool confirm = false) {
  const std::string script = shellSetup + "echo $$ > " + shellQuoted(f.dir.file("pid")) + "; cd " +
                             shellQuoted(f.work) + " && exec " + shellQuoted(VK2MP4_EXE) + " " + arguments;
  pid_t converter = 0;
  std::chrono::steady_clock::time_point sent;
  StoppedRun run;
  PosixProcessLauncher launcher;
  const ProcessOutcome outcome = launcher.runHidden(
      {"/bin/sh", "-c", script},
      [&] {
        if (converter == 0 && fileExists(f.work + "running")) {
          converter = std::stoi(readText(f.work + "converter.pid"));
          EXPECT_EQ(::kill(std::stoi(readText(f.dir.file("pid"))), signal), 0);
          sent = std::chrono::steady_clock::now();
        } else if (converter != 0 && confirm && std::chrono::steady_clock::now() - sent > std::chrono::seconds(1)) {
          EXPECT_EQ(::kill(converter, 0), 0) << "the converter was ended";
          ::kill(std::stoi(readText(f.dir.file("pid"))), SIGTERM);
          confirm = false;
        }
        return true;
      },
      [&](const std::string& chunk) { run.err += chunk; });
  EXPECT_NE(converter, 0) << "the converter never ran: " << run.err;
  // vk2mp4 reaps the converter it ends; one left running belongs to init now.
  if (converter != 0 && ::kill(converter, 0) == 0) {
    ADD_FAILURE() << "the converter outlived vk2mp4";
    ::kill(-converter, SIGKILL);
  }
  run.status = outcome.exitStatus;
  return run;
}

// Ctrl-C, SIGTERM and SIGHUP (a closed terminal or session) while the
// converter runs, in either step: the converter is ended, status 1, the file
// that stood at the target back byte for byte, nothing else left. A SIGHUP
// ignored from the start (nohup) leaves the run going.
TEST(ConvertCommand, StopSignalsEndAHangingConverterCleanly) {
  struct Case {
    int signal;
    const char* modes;
    bool nohup = false;
  };
  const std::string older("older\0\xff\r\n", 9);
  for (const Case& c : {Case{SIGINT, "hang\n"}, Case{SIGTERM, "ok\nhang\n"}, Case{SIGHUP, "hang\n"},
                        Case{SIGHUP, "ok\nhang\n"}, Case{SIGHUP, "hang\n", true}}) {
    SCOPED_TRACE(std::string(strsignal(c.signal)) + " " + c.modes + (c.nohup ? " nohup" : ""));
    ConvertFixture f(3);
    f.fakeConverter(c.modes);
    writeText(f.target, older);
    const StoppedRun run = stopWhileConverting(f, f.arguments("--log " + shellQuoted(f.dir.file("run.log"))),
                                               c.signal, c.nohup ? "trap '' HUP; " : "", c.nohup);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mp4"});
    EXPECT_EQ(readText(f.target), older);
    EXPECT_NE(readText(f.dir.file("run.log")).find(f.work + "ffmpeg "), std::string::npos);
  }

  // convert --trips: the running trip ends cleanly and no further one starts.
  ConvertFixture f(0);
  for (const char* start : {"1635494703", "1635498303"})
    commandOutput(shellQuoted(MMV_SYNTH_EXE) + " --filler 3000 --seconds 6 --size 320x240 --start " + start +
                  " --out " + shellQuoted(f.data + "rec" + start));
  f.fakeConverter("hang\nok\nok\n");
  const std::string out = f.dir.file("out/");
  const StoppedRun run =
      stopWhileConverting(f, "convert -q --trips " + shellQuoted(f.data) + " -o " + shellQuoted(out), SIGHUP);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(testing::entriesOf(out), std::vector<std::string>{});
  const std::vector<std::string> calls = splitLines(readText(f.work + "calls"));
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "--"), 1);

  // convert --events: so does the running clip, of several.
  ConvertFixture e(1, "--filler 3000 --seconds 30 --size 320x240 --events on");
  e.fakeConverter("hang\nok\nok\n");
  const StoppedRun clips = stopWhileConverting(
      e, "convert -q --events --before 2 --after 2 -o " + shellQuoted(out) + " " + shellQuoted(e.inputs[0]), SIGINT);
  EXPECT_EQ(clips.status, 1) << clips.err;
  EXPECT_EQ(testing::entriesOf(out), std::vector<std::string>{});
  const std::vector<std::string> clipCalls = splitLines(readText(e.work + "calls"));
  EXPECT_EQ(std::count(clipCalls.begin(), clipCalls.end(), "--"), 1);
}

// `vk2mp4 convert ... | head`: a reader of the output that goes away takes the
// lines with it, not the run, which ends by its own result; the converter
// still starts with SIGPIPE's default action.
TEST(ConvertCommand, AClosedOutputPipeDoesNotEndTheRun) {
  ConvertFixture f(3);
  f.fakeConverter("ok\nok\n");
  std::string converter = kFakeConverter;
  converter.insert(converter.find("case \"$mode\""), "grep SigIgn /proc/self/status >> ignored\n");
  writeText(f.work + "ffmpeg", converter);
  std::string script = "cd " + shellQuoted(f.work) + " && exec " + shellQuoted(VK2MP4_EXE) + " convert -o " +
                       shellQuoted(f.target);
  for (const std::string& in : f.inputs) script += " " + shellQuoted(in);
  std::vector<std::string> args = {"/bin/sh", "-c", script};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int output[2];
  ASSERT_EQ(::pipe(output), 0);
  ::close(output[0]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, f.dir.file("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &pipeSignal);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(output[1]);
  int status = 0;
  ::waitpid(pid, &status, 0);

  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << " " << f.err();
  EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mp4"});
  EXPECT_EQ(testing::fakeMp4Marker(readText(f.target)), "made by call 0\n");
  const std::vector<std::string> ignored = splitLines(readText(f.work + "ignored"));
  EXPECT_EQ(ignored.size(), 2u);
  for (const std::string& line : ignored)
    EXPECT_EQ(std::stoull(line.substr(line.find(':') + 1), nullptr, 16) >> (SIGPIPE - 1) & 1, 0u) << line;
}

// The sorted stream codecs and the duration.
std::pair<std::vector<std::string>, double> probe(const std::string& path) {
  std::pair<std::vector<std::string>, double> p{{}, -1};
  for (const std::string& line : splitLines(commandOutput(
           "ffprobe -v error -show_entries stream=codec_name:format=duration -of default=nw=1 " + shellQuoted(path)))) {
    if (line.rfind("codec_name=", 0) == 0) p.first.push_back(line.substr(11));
    if (line.rfind("duration=", 0) == 0) p.second = decimalNumber(line.substr(9)).value_or(-1);
  }
  std::sort(p.first.begin(), p.first.end());
  return p;
}

TEST(ConvertCommandEndToEnd, RealConverterSingleOddPathsMergedAndWithoutAudio) {
  if (converterPath().empty() || commandOutput("command -v ffprobe").empty()) GTEST_SKIP() << "no ffmpeg/ffprobe";
  struct Case {
    int files;
    int seconds;
    std::string options;
    std::vector<std::string> codecs;
    double window;
    std::string folder = "";    // below data/, for the target
    std::string relative = "";  // a target relative to the folder vk2mp4 runs in
  };
  const Case cases[] = {
      // The script's path must survive the filter syntax; a backslash is part of a name.
      {1, 8, "--trim-start 2", {"aac", "h264"}, 6, "a b\\c'd:e,f=g;[h]/"},
      {3, 6, "", {"aac", "h264"}, 18},
      {1, 6, "--no-audio", {"h264"}, 6},
      // Names the converter would read as an option or a protocol.
      {1, 4, "", {"aac", "h264"}, 4, "", "-x.mp4"},
      {1, 4, "", {"aac", "h264"}, 4, "", "pipe:1.mp4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options + c.folder + c.relative);
    ConvertFixture f(c.files, "--seconds " + std::to_string(c.seconds) + " --size 320x240");
    if (!c.folder.empty()) {
      std::filesystem::create_directory(f.data + c.folder);
      f.target = f.data + c.folder + "X.mp4";
    }
    if (!c.relative.empty()) f.target = c.relative;
    ASSERT_EQ(f.convert(c.options), 0) << f.err();
    if (!c.relative.empty()) {
      EXPECT_EQ(testing::entriesOf(f.work), std::vector<std::string>{c.relative});
      f.target = f.work + c.relative;
    } else {
      EXPECT_EQ(f.outputs(), std::vector<std::string>{c.folder.empty() ? "X.mp4" : c.folder.substr(0, c.folder.size() - 1)});
    }
    if (!c.folder.empty()) {
      EXPECT_EQ(testing::entriesOf(f.data + c.folder), std::vector<std::string>{"X.mp4"});
    }
    const auto [codecs, duration] = probe(f.target);
    EXPECT_EQ(codecs, c.codecs);
    EXPECT_NEAR(duration, c.window, 0.5);
  }
}

// A camera that loses power leaves a recording cut off inside a record, or with
// a zero-filled tail: it converts, as long as its complete records, with a warning.
TEST(ConvertCommandEndToEnd, CutOffRecordingsConvertTheirCompleteRecords) {
  if (converterPath().empty() || commandOutput("command -v ffprobe").empty()) GTEST_SKIP() << "no ffmpeg/ffprobe";
  ConvertFixture f(1, "--seconds 6 --size 160x120 --fps 10");
  const std::string whole = readText(f.inputs[0]);
  const std::vector<testing::WalkedRecord> records = testing::walkRecords(f.inputs[0]);
  const auto index = [&](double share) { return static_cast<std::size_t>(share * static_cast<double>(records.size() - 1)); };
  const auto at = [&](double share) { return records[index(share)]; };
  const auto headerField = [](std::string bytes, uint64_t record, std::size_t field, int32_t value) {
    for (int i = 0; i < 4; ++i) bytes[record + field + i] = static_cast<char>(static_cast<uint32_t>(value) >> (8 * i));
    return bytes;
  };
  const auto cut = [&](uint64_t size) { return whole.substr(0, size); };
  const auto zeroFrom = [&](uint64_t offset) { return cut(offset) + std::string(whole.size() - offset, '\0'); };
  // Each variant and the first record it leaves out: the damaged one, or, when
  // its header is damaged, the one in front of it, which may be half written.
  const auto before = [&](double share) { return records[index(share) - 1]; };
  const std::vector<std::pair<std::string, testing::WalkedRecord>> variants = {
      {cut(at(0.3).offset + 60), before(0.3)},                                // inside a header
      {cut(at(0.5).offset + kFrameHeaderSize + 1), at(0.5)},                  // inside a payload
      {cut(at(0.7).offset), before(0.7)},                                     // at a record's start
      {cut(at(1.0).offset + kFrameHeaderSize), at(1.0)},                      // inside the last payload
      {zeroFrom(at(0.4).offset), before(0.4)},                                // zero-filled tail
      {zeroFrom(at(0.9).offset), before(0.9)},
      {headerField(whole, at(0.6).offset, MmvFrameHeader::kPayloadLengthOffset, 0), before(0.6)},
      {headerField(whole, at(0.45).offset, MmvFrameHeader::kPayloadLengthOffset, -7), before(0.45)},
      {headerField(whole, at(0.8).offset, MmvFrameHeader::kSequenceNumberOffset, 0), before(0.8)},
      {headerField(whole, at(0.2).offset, MmvFrameHeader::kPayloadLengthOffset, 1 << 30), before(0.2)}};
  const double secondsPerRecord = 6.0 / static_cast<double>(records.size());
  f.fakeConverter("");
  std::remove((f.work + "ffmpeg").c_str());  // the real converter from PATH
  for (const auto& [bytes, firstMissing] : variants) {
    const int32_t kept = firstMissing.header.sequenceNumber() - 1;
    SCOPED_TRACE(kept);
    writeText(f.inputs[0], bytes);
    ASSERT_EQ(f.convert(), 0) << f.err();
    EXPECT_NE(f.err().find("vk2mp4: warning: " + f.inputs[0] + " ends early at offset " +
                           std::to_string(firstMissing.offset)),
              std::string::npos)
        << f.err();
    EXPECT_NEAR(probe(f.target).second, kept * secondsPerRecord, 1.0);
    EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mp4"});
  }
}

// Video the converter cannot read (the generator's random filler): the silenced
// muxing line fails, runs once more to hear why, and the message ends with the
// converter's own last error line.
TEST(ConvertCommandEndToEnd, AFailingConverterSaysWhy) {
  if (converterPath().empty()) GTEST_SKIP() << "no ffmpeg";
  ConvertFixture f(1);
  EXPECT_EQ(f.convert("--log " + shellQuoted(f.work + "run.log")), 1);
  const std::string lead = "vk2mp4: Making the MP4 failed: the converter ended with exit status 1: ";
  const std::size_t at = f.err().find(lead);
  ASSERT_NE(at, std::string::npos) << f.err();
  const std::string reason = f.err().substr(at + lead.size(), f.err().find(".\n", at) - at - lead.size());
  EXPECT_FALSE(reason.empty());
  const std::string log = readText(f.work + "run.log");
  EXPECT_NE(log.find(" -loglevel quiet\nmp4 making is executed..\nmp4 making failed; run again to learn why: "),
            std::string::npos) << log;
  const std::size_t said = log.find("\nconverter: ");
  ASSERT_NE(said, std::string::npos) << log;
  EXPECT_NE(log.find(reason, said), std::string::npos) << reason;
  EXPECT_EQ(f.outputs(), std::vector<std::string>{});
}

// The other subtitle choices (the default burn-in is the test above): a fast
// burn-in that draws the overlay, a Matroska file whose subtitle track holds
// every event of the script, and the muxed video alone.
TEST(ConvertCommandEndToEnd, FastBurnInSubtitleTrackAndNone) {
  if (converterPath().empty() || commandOutput("command -v ffprobe").empty()) GTEST_SKIP() << "no ffmpeg/ffprobe";
  ConvertFixture f(1, "--seconds 4 --size 320x240");
  const auto frameAt2s = [&](const std::string& video) {
    return commandOutput("ffmpeg -v error -ss 2 -i " + shellQuoted(video) + " -frames:v 1 -f rawvideo -pix_fmt gray -");
  };
  ASSERT_EQ(f.convert("--subtitles none"), 0) << f.err();
  EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mp4"});
  EXPECT_EQ(probe(f.target).first, (std::vector<std::string>{"aac", "h264"}));
  const std::string plain = frameAt2s(f.target);
  const auto audioFrames = [](const std::string& video) {
    return commandOutput("ffmpeg -v error -i " + shellQuoted(video) + " -map 0:a -c copy -f adts -");
  };
  const std::string plainAudio = audioFrames(f.target);

  // No hardware encoder works here: each listed one fails at once, and libx264 burns in.
  ASSERT_EQ(f.convert("--subtitles burn-fast --log " + shellQuoted(f.dir.file("fast.log"))), 0) << f.err();
  EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mp4"});
  EXPECT_NEAR(probe(f.target).second, 4, 0.5);
  EXPECT_EQ(splitLines(readText(f.dir.file("fast.log"))).back(), "encoder: libx264");
  const std::vector<std::string> fallbacks = splitLines(f.err());
  for (const std::string& line : fallbacks) EXPECT_EQ(line.rfind("vk2mp4: h264_", 0), 0u) << line;
  if (!fallbacks.empty()) {
    EXPECT_NE(fallbacks.back().find("); burning in with libx264 instead"), std::string::npos);
  }
  const std::string burnt = frameAt2s(f.target);
  ASSERT_EQ(burnt.size(), plain.size());
  std::size_t changed = 0;
  for (std::size_t i = 0; i < plain.size(); ++i) changed += std::abs(burnt[i] - plain[i]) > 64;
  EXPECT_GT(changed, plain.size() / 200) << "no overlay drawn";

  std::remove(f.target.c_str());
  ASSERT_EQ(f.convert("--subtitles track"), 0) << f.err();
  const std::string mkv = f.data + "X.mkv";
  EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mkv"});
  const auto [codecs, duration] = probe(mkv);
  EXPECT_EQ(codecs, (std::vector<std::string>{"aac", "ass", "h264"}));
  EXPECT_NEAR(duration, 4, 0.5);
  // Encoded by its own converter and piped, the sound is the same AAC as the MP4's
  // (whose cut at the window's end keeps one frame more).
  const std::string trackAudio = audioFrames(mkv);
  EXPECT_GT(trackAudio.size(), 1000u);
  EXPECT_TRUE(plainAudio.compare(0, trackAudio.size(), trackAudio) == 0);
  EXPECT_LT(plainAudio.size() - trackAudio.size(), plainAudio.size() / 100);
  const auto dialogues = [](const std::string& script) {
    std::size_t n = 0;
    for (const std::string& line : splitLines(script)) n += line.rfind("Dialogue:", 0) == 0;
    return n;
  };
  ASSERT_EQ(std::system((shellQuoted(VK2MP4_EXE) + " extract -q -o " + shellQuoted(f.dir.file("x.mp4")) + " " +
                         shellQuoted(f.inputs[0])).c_str()), 0);
  const std::size_t events = dialogues(readText(f.dir.file("x.ass")));
  EXPECT_GT(events, 60u);
  EXPECT_EQ(dialogues(commandOutput("ffmpeg -v error -i " + shellQuoted(mkv) + " -map 0:s:0 -f ass -")), events);

  ASSERT_EQ(f.convert("--subtitles track --no-audio"), 0) << f.err();
  EXPECT_EQ(f.outputs(), std::vector<std::string>{"X.mkv"});
  const auto [silentCodecs, silentDuration] = probe(mkv);
  EXPECT_EQ(silentCodecs, (std::vector<std::string>{"ass", "h264"}));
  EXPECT_NEAR(silentDuration, 4, 0.5);
}

// Every subtitle choice over windows that start between key frames (one every
// 1.5 s, trims of whole seconds): one recording, a merged one, and files that
// join across the join rule's 4-second gap or overlap. An MP4 lasts as long
// as the window, or across a gap as long as the records in it; a subtitle
// track spans the window. Each output's video decodes without an error.
TEST(ConvertCommandEndToEnd, EveryChoiceWithWindowsBetweenKeyFramesAndJoins) {
  if (converterPath().empty() || commandOutput("command -v ffprobe").empty()) GTEST_SKIP() << "no ffmpeg/ffprobe";
  struct Selection {
    const char* name;
    std::vector<int> starts;  // of each file, in seconds after the first
    int seconds;              // per file
    std::vector<std::string> choices;
    double window, joined;    // the window's length, the records' in it
  };
  const Selection selections[] = {
      {"one", {0}, 7, {"none", "track", "burn-fast"}, 5, 5},
      {"merged", {0, 4, 8}, 4, {"none", "track"}, 10, 10},
      {"gap", {0, 10}, 6, {"none", "track", "burn"}, 14, 14 * 12.0 / 16},
      {"overlap", {0, 2}, 6, {"none", "track"}, 6, 6},
  };
  for (const Selection& s : selections) {
    ConvertFixture f(0);
    for (std::size_t i = 0; i < s.starts.size(); ++i)
      f.inputs.push_back(splitLines(commandOutput(
          shellQuoted(MMV_SYNTH_EXE) + " --size 64x48 --fps 10 --keyint 15 --seconds " + std::to_string(s.seconds) +
          " --start " + std::to_string(synth::kDefaultStartEpoch + s.starts[i]) + " --out " +
          shellQuoted(f.data + "rec" + std::to_string(i)))).at(0));
    for (const std::string& choice : s.choices) {
      SCOPED_TRACE(std::string(s.name) + " " + choice);
      ASSERT_EQ(f.convert("--trim-start 1 --trim-end 1 --subtitles " + choice), 0) << f.err();
      const bool track = choice == "track";
      const std::string name = track ? "X.mkv" : "X.mp4";
      EXPECT_EQ(f.outputs(), std::vector<std::string>{name});
      const auto [codecs, duration] = probe(f.data + name);
      EXPECT_EQ(codecs, track ? (std::vector<std::string>{"aac", "ass", "h264"})
                              : (std::vector<std::string>{"aac", "h264"}));
      EXPECT_NEAR(duration, track ? s.window : s.joined, 0.5);
      const std::string decoded = commandOutput("ffprobe -v error -count_frames -select_streams v -show_entries "
                                                "stream=nb_read_frames -of csv=p=0 " + shellQuoted(f.data + name) +
                                                " 2>&1");
      EXPECT_GT(std::atoi(decoded.c_str()), 0);
      EXPECT_EQ(decoded.find_first_not_of("0123456789\n"), std::string::npos) << decoded;
      std::remove((f.data + name).c_str());
    }
  }
}

// A clip per alarm event, of two 30-second files with mmv-synth's events: one
// line per clip and a summary; a failed clip lets the others go on and keeps
// the file that stood at its name. Then the same from a card, and a card
// without events; and the command lines that make no sense.
TEST(EventsCommand, AClipPerEventFromFilesOrACard) {
  ConvertFixture f(2, "--filler 3000 --seconds 30 --size 320x240 --events on");
  const std::string out = f.dir.file("out/");
  ::mkdir(out.c_str(), 0755);
  writeText(out + "20211029_080538_LDW.mp4", "earlier");
  f.fakeConverter("ok\nok\nok\nok\nfail\nok\nok\nok\nok\nok\n");
  f.target = out;
  EXPECT_EQ(f.convert("--events --before 2 --after 2 --time-basis utc", "TZ=UTC"), 1);
  const std::string lines[] = {
      "clip 1/5: 2021-10-29 08:05:09 - 2021-10-29 08:05:23, 14 s, FCW, LDW, Speeding: ",
      "clip 2/5: 2021-10-29 08:05:26 - 2021-10-29 08:05:36, 10 s, FCW, Panic: ",
      "clip 4/5: 2021-10-29 08:05:43 - 2021-10-29 08:05:49, 6 s, FCW: ",
      "clip 5/5: 2021-10-29 08:05:58 - 2021-10-29 08:06:03, 5 s, LDW, FCW: "};
  const std::string names[] = {"20211029_080511_FCW.mp4", "20211029_080528_FCW.mp4", "20211029_080545_FCW.mp4",
                               "20211029_080601_LDW.mp4"};
  std::string listing;
  for (int i = 0; i < 4; ++i) listing += lines[i] + out + names[i] + "\n";
  EXPECT_EQ(f.out(), listing + "4 of 5 clips made\n");
  EXPECT_NE(f.err().find("clip 3/5 failed: 2021-10-29 08:05:36 - 2021-10-29 08:05:42, 6 s, LDW: Making the MP4 "
                         "failed: the converter ended with exit status 1"),
            std::string::npos) << f.err();
  EXPECT_EQ(testing::entriesOf(out), (std::vector<std::string>{names[0], names[1], "20211029_080538_LDW.mp4",
                                                                names[2], names[3]}));
  EXPECT_EQ(readText(out + "20211029_080538_LDW.mp4"), "earlier");

  // The same recordings as a card, below it a drive without events: the same clips, status 0.
  ::mkdir((f.data + "sub").c_str(), 0755);
  commandOutput(shellQuoted(MMV_SYNTH_EXE) + " --filler 3000 --seconds 6 --size 320x240 --events off --start " +
                "1635498303 --out " + shellQuoted(f.data + "sub/calm"));
  std::remove((f.work + "calls").c_str());
  f.fakeConverter("ok\nok\nok\nok\nok\nok\nok\nok\nok\nok\n");
  const std::string card = vk2mp4In(f.work, "TZ=UTC", "convert --events --before 2 --after 2 --time-basis utc ");
  const std::string cardOut = f.dir.file("card-out/");
  std::string cardListing;
  for (int i = 0; i < 5; ++i)
    cardListing += (i == 2 ? "clip 3/5: 2021-10-29 08:05:36 - 2021-10-29 08:05:42, 6 s, LDW: " : lines[i - (i > 2)]) +
                   cardOut + (i == 2 ? "20211029_080538_LDW.mp4" : names[i - (i > 2)]) + "\n";
  EXPECT_EQ(commandOutput(card + "--recursive --card " + shellQuoted(f.data) + " -o " + shellQuoted(cardOut) +
                          " 2>&1; echo $?"),
            cardListing + "5 of 5 clips made\n0\n");
  EXPECT_EQ(commandOutput(card + "--card " + shellQuoted(f.data + "sub") + " -o " + shellQuoted(cardOut) +
                          " 2>&1; echo $?"),
            "No alarm event found, so no clip was made\n0\n");

  const std::pair<const char*, const char*> usage[] = {
      {"--events x.mmv", "--events needs -o OUTDIR/, the folder the clips are written to"},
      {"--events -o o.mp4 x.mmv", "--events needs -o OUTDIR/, the folder the clips are written to"},
      {"--events --trim-end 0 -o o/ x.mmv",
       "--events cuts its own windows; --trim-start and --trim-end cannot be used with it"},
      {"--after 5 -o o/ x.mmv", "--after needs --events"},
      {"--events --before -1 -o o/ x.mmv", "--before: '-1' is not a whole number of seconds >= 0"},
      {"--events --trips d -o o/", "--events takes --card FOLDER instead of --trips"},
      {"--card d -o o/", "--card needs --events (--trips converts every trip)"},
      {"--events --card d -v -o o/", "-v cannot be used with --events"},
  };
  for (const auto& [args, message] : usage)
    EXPECT_EQ(commandOutput(vk2mp4In(f.work, "", std::string("convert ") + args + " 2>&1; echo $?")),
              std::string("vk2mp4: ") + message + "; see vk2mp4 convert --help\n2\n");
}

// With the real converter: each clip as long as its line says.
TEST(ConvertCommandEndToEnd, AClipPerEventAcrossTwoFiles) {
  if (converterPath().empty() || commandOutput("command -v ffprobe").empty()) GTEST_SKIP() << "no ffmpeg/ffprobe";
  ConvertFixture f(2, "--seconds 20 --size 320x240 --events on");
  f.target = f.dir.file("out/");
  ASSERT_EQ(f.convert("--events --before 2 --after 3"), 0) << f.err();
  const std::vector<std::string> lines = splitLines(f.out());
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.back(), std::to_string(lines.size() - 1) + " of " + std::to_string(lines.size() - 1) +
                              " clips made");
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    const std::size_t length = lines[i].find(" s, ");
    ASSERT_NE(length, std::string::npos);
    const double seconds = std::atof(lines[i].substr(lines[i].rfind(", ", length) + 2).c_str());
    const std::string path = lines[i].substr(lines[i].find(": " + f.target) + 2);
    EXPECT_NEAR(probe(path).second, seconds, 0.5);
    EXPECT_GE(seconds, 5.0);
  }
}

}  // namespace
}  // namespace vk2
#endif
