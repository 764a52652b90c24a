#ifndef _WIN32
// The info and merge commands, run as the real program on generated recordings.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "mmv/record_walk.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using Lines = std::vector<std::string>;
using testing::readText;
using testing::shellQuoted;
using testing::splitLines;

struct ProgramRun {
  int status = -1;
  std::string out, err;
};

class CliFixture {
 public:
  testing::TempDir dir;

  ProgramRun run(const std::string& program, const Lines& args) {
    std::string command = "cd " + shellQuoted(dir.path()) + " && TZ=UTC " + shellQuoted(program);
    for (const std::string& a : args) command += " " + shellQuoted(a);
    command += " >" + shellQuoted(scratch_.file("out")) + " 2>" + shellQuoted(scratch_.file("err"));
    const int raw = std::system(command.c_str());
    ProgramRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readText(scratch_.file("out"));
    r.err = readText(scratch_.file("err"));
    return r;
  }
  ProgramRun vk2mp4(const Lines& args) { return run(VK2MP4_EXE, args); }
  // Three 2-second recordings rec_1.mmv .. rec_3.mmv that join in time.
  Lines recordings(const std::string& prefix = "rec", int files = 3) {
    const ProgramRun r = run(MMV_SYNTH_EXE, {"--out", prefix, "--files", std::to_string(files), "--seconds", "2",
                                      "--size", "64x48", "--fps", "10"});
    EXPECT_EQ(r.status, 0) << r.err;
    Lines names;
    for (int i = 1; i <= files; ++i) names.push_back(prefix + "_" + std::to_string(i) + ".mmv");
    return names;
  }

 private:
  testing::TempDir scratch_;
};

TEST(InfoCommand, ScanLogAndSummary) {
  CliFixture f;
  const Lines files = f.recordings();
  const ProgramRun ok = f.vk2mp4({"info", files[0], files[1], files[2]});
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.err, "");
  const Lines lines = splitLines(ok.out);
  ASSERT_EQ(lines.size(), 37u);
  EXPECT_EQ(lines[31], "Start Time = 2021.10.29 8:5:3");
  EXPECT_EQ(lines[32], "End Time = 2021.10.29 8:5:9");
  EXPECT_EQ(lines[35], "./");
  EXPECT_EQ(lines[36], "3 MMV files are selected.");

  const ProgramRun one = f.vk2mp4({"info", f.dir.file(files[1])});
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.out.substr(one.out.size() - f.dir.path().size() - 26), f.dir.path() + "\n1 MMV files is selected.\n");

  testing::writeText(f.dir.file("tiny.mmv"), "too short");
  const ProgramRun tiny = f.vk2mp4({"info", files[0], "tiny.mmv"});
  EXPECT_EQ(tiny.status, 1);
  EXPECT_EQ(tiny.err, "vk2mp4: tiny.mmv: file is shorter than its 762-byte info block (9 bytes)\n");
  EXPECT_EQ(splitLines(tiny.out).size(), 10u);

  const ProgramRun none = f.vk2mp4({"info"});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err, "vk2mp4: info: no MMV files given; see vk2mp4 info --help\n");
}

TEST(MergeCommand, MergesWithLogAndProgress) {
  CliFixture f;
  const Lines files = f.recordings();
  const ProgramRun r = f.vk2mp4({"merge", "--log", "merge.log", "-o", "merged.mmv", files[0], files[1], files[2]});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const uint64_t size = fileSizeOf(f.dir.file("merged.mmv"));
  EXPECT_EQ(splitLines(r.out).front(), "Merging 1 of 3: rec_1.mmv");
  EXPECT_EQ(splitLines(r.out).back(), "Merged 3 files into merged.mmv (" + std::to_string(size) + " bytes)");

  // The scan's log, then the merge's (whose lines the merge test checks).
  const Lines log = splitLines(readText(f.dir.file("merge.log")));
  ASSERT_EQ(log.size(), 36u + 28u);
  EXPECT_EQ(log[34], "File Open is done--------------------------");
  EXPECT_EQ(f.dir.entries(), (Lines{"merge.log", "merged.mmv", "rec_1.mmv", "rec_2.mmv", "rec_3.mmv"}));

  const ProgramRun quiet = f.vk2mp4({"merge", "-q", "-o", "again.mmv", files[0], files[1]});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out + quiet.err, "");
}

TEST(MergeCommand, RefusalsAndFailuresLeaveTheTargetAsItWas) {
  CliFixture f;
  const Lines files = f.recordings();
  testing::writeText(f.dir.file("target.mmv"), "an earlier file");
  const std::vector<uint8_t> second = testing::readFile(f.dir.file(files[1]));
  auto untouched = [&] {
    EXPECT_EQ(readText(f.dir.file("target.mmv")), "an earlier file");
    EXPECT_EQ(testing::readFile(f.dir.file(files[1])), second);
    EXPECT_EQ(f.dir.entries(), (Lines{"bad.mmv", "rec_1.mmv", "rec_2.mmv", "rec_3.mmv", "target.mmv"}));
  };
  // A cut-off second input: its last record's payload runs past the end.
  std::vector<uint8_t> bad = testing::readFile(f.dir.file(files[1]));
  bad.resize(bad.size() - 1);
  testing::writeFile(f.dir.file("bad.mmv"), bad);

  const std::pair<Lines, std::string> failures[] = {
      {{"-o", "target.mmv", files[2], files[0]}, "It cannot be merged because the files have different times.\n"},
      {{"--log", files[1], "-o", "target.mmv", files[0], files[1]},
       "vk2mp4: rec_2.mmv: is a selected recording, and this command would write its log rec_2.mmv over it; choose "
       "another log file\n"},
      {{"--log", "target.mmv", "-o", "target.mmv", files[2], files[0]},
       "vk2mp4: target.mmv: is the target or a working file of this command; the log would replace it\n"},
      {{"-o", "no-folder/m.mmv", files[0], files[1]},
       "vk2mp4: no-folder/.m.mmv.merging: cannot create: No such file or directory\n"}};
  ProgramRun r;
  for (const auto& [args, err] : failures) {
    Lines command = {"merge"};
    command.insert(command.end(), args.begin(), args.end());
    r = f.vk2mp4(command);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.substr(0, err.size()), err);
    untouched();
  }
  r = f.vk2mp4({"merge", "-o", "x.mmv", files[0]});  // one file is no merge
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "vk2mp4: merge: a merge needs 2 to 15 MMV files; see vk2mp4 merge --help\n");
  untouched();

  // The cut-off input gives its complete records, with a warning; a log that
  // cannot be written fails the command.
  r = f.vk2mp4({"merge", "-q", "--log", "/dev/full", "-o", "cut.mmv", files[0], "bad.mmv", files[2]});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("vk2mp4: warning: bad.mmv ends early at offset "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("vk2mp4: /dev/full: cannot write the log file: No space left on device\n"), std::string::npos)
      << r.err;
  EXPECT_GT(testing::readFile(f.dir.file("cut.mmv")).size(), second.size());
}

}  // namespace
}  // namespace vk2
#endif
