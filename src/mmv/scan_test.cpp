#include "mmv/scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>

#include "synth/mmv_builder.h"
#include "core/file_error.h"
#include "mmv/record_walk.h"
#include "testing/stage_harness.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using Lines = std::vector<std::string>;

struct ScanFixture : testing::StageHarness {
  testing::TempDir dir;

  // A recording with no records and the given stamps and counts.
  std::string file(const std::string& name, int32_t start, int32_t end, int32_t total = 90,
                   int32_t keys = 3, int32_t drv = 30) {
    synth::MmvBuilder b;
    b.setFillCounts(false);
    b.setTimes(start, end);
    b.info().setTotalFrameCount(total);
    b.info().setIFrameCount(keys);
    b.info().setDrvFrameCount(drv);
    b.writeTo(dir.file(name));
    return dir.file(name);
  }
  OpenResult open(const Lines& files) { return OpenMmvFiles(ctx, files); }
};

// 2021-10-29 08:05:03 UTC
constexpr int32_t kT0 = 1635494703;

TEST(Scan, LogOfATwoFileSelection) {
  ScanFixture f;
  f.options.timeLocal = false;
  const Lines files = {f.file("a.mmv", kT0, kT0 + 60, 100, 2, 20), f.file("b.mmv", kT0 + 60, kT0 + 125)};
  const OpenResult r = f.open(files);
  EXPECT_EQ(r.outcome, OpenOutcome::Selected);
  EXPECT_EQ(r.message, "");
  const Lines expected = {
      "4858", "MMV Merge Count = 1", "MMV Merge Total Count = 2", "a.mmv", "Total FrameCount = 100",
      "I FrameCount = 2", "Drv FrameCount = 20", "Start Time = 1635494703", "End Time = 1635494763",
      "---------------------------------------------",
      "4858", "MMV Merge Count = 2", "MMV Merge Total Count = 2", "b.mmv", "Total FrameCount = 90",
      "I FrameCount = 3", "Drv FrameCount = 30", "Start Time = 1635494763", "End Time = 1635494828",
      "Start Time = 1635494703", "End Time = 1635494828", "Start Time = 2021.10.29 8:5:3",
      "End Time = 2021.10.29 8:7:8", "---------------------------------------------",
      "File Open is done--------------------------"};
  EXPECT_EQ(f.log.lines(), expected);
  EXPECT_EQ(r.summary(), f.dir.path() + "\r\n2 MMV files are selected.");
  EXPECT_EQ(f.state.spanStartTime, kT0);
  EXPECT_EQ(f.state.spanEndTime, kT0 + 125);
  EXPECT_EQ(f.state.spanStart, (CalendarTime{2021, 10, 29, 8, 5, 3}));
  EXPECT_EQ(f.state.selectedFiles, files);

  // A single file: no join test, the span is the file's own.
  const OpenResult one = f.open({files[1]});
  EXPECT_EQ(one.count, "1 MMV files is selected.");
  EXPECT_EQ(f.state.spanStartTime, kT0 + 60);
  f.state.sourceFolder = "/media/card/";
  EXPECT_EQ(f.open({files[0]}).summary(), "/media/card/\r\n1 MMV files is selected.");
  EXPECT_EQ(f.open({}).outcome, OpenOutcome::Cancelled);
}

TEST(Scan, JoinRule) {
  struct Case {
    int32_t secondStart;
    bool joins;
  };
  // The first file ends at kT0 + 10.
  for (const Case c : {Case{kT0 + 14, true}, Case{kT0 + 15, false}, Case{kT0 + 6, true}, Case{kT0 + 5, false}}) {
    SCOPED_TRACE(c.secondStart - kT0);
    ScanFixture f;
    const Lines files = {f.file("a.mmv", kT0, kT0 + 10), f.file("b.mmv", c.secondStart, c.secondStart + 10)};
    const OpenResult r = f.open(files);
    EXPECT_EQ(f.state.mergeFailed, !c.joins);
    EXPECT_EQ(r.outcome, c.joins ? OpenOutcome::Selected : OpenOutcome::NotJoined);
    if (!c.joins) {
      EXPECT_EQ(r.message, "It cannot be merged because the files have different times.");
      const char* when = c.secondStart > kT0 + 10 ? " starts 5 seconds after " : " starts 5 seconds before ";
      EXPECT_EQ(r.detail, files[1] + when + files[0] + " ends (files join within 4 seconds)");
      // The failing file logs its size and place, then the failure line only.
      const Lines& lines = f.log.lines();
      ASSERT_EQ(lines.size(), 14u);
      EXPECT_EQ(lines[11], "MMV Merge Count = 2");
      EXPECT_EQ(lines[13], "File Merge Fail----------------------");
    }
  }

  // Joining files chosen later file first: the earlier file's start is compared
  // with the later file's end.
  ScanFixture f;
  f.state.spanStartTime = 11;
  f.state.spanEndTime = 22;
  const std::string a = f.file("a.mmv", kT0, kT0 + 60), b = f.file("b.mmv", kT0 + 60, kT0 + 120);
  const std::string c = f.file("c.mmv", kT0 + 120, kT0 + 180);
  const OpenResult reversed = f.open({b, a, c});
  EXPECT_EQ(reversed.outcome, OpenOutcome::NotJoined);
  EXPECT_EQ(reversed.detail, a + " starts 120 seconds before " + b +
                                 " ends (files join within 4 seconds); they join in start-time order: vk2mp4 trips "
                                 "FOLDER finds the runs");
  EXPECT_EQ(f.log.lines().back(), "File Merge Fail----------------------");
  EXPECT_EQ(f.log.lines().size(), 14u);  // c.mmv was never scanned
  EXPECT_EQ(f.state.spanStartTime, 11);
  EXPECT_EQ(f.state.spanEndTime, 22);
  // Sorting helps a file given twice too, wherever it stands.
  EXPECT_EQ(f.open({a, b, c, a}).detail, a + " starts 180 seconds before " + c +
                                             " ends (files join within 4 seconds); " + a +
                                             " is given twice: vk2mp4 trips FOLDER finds the runs");

  // The difference is taken in 32 bits: stamps on both sides of the wrap join.
  ScanFixture w;
  EXPECT_EQ(w.open({w.file("a.mmv", INT32_MAX - 10, INT32_MAX - 1), w.file("b.mmv", INT32_MIN + 1, INT32_MIN + 5)}).outcome,
            OpenOutcome::Selected);
}

TEST(Scan, FifteenFilesAcceptedSixteenRefusedUnread) {
  ScanFixture f;
  Lines files;
  for (int i = 0; i < 15; ++i)
    files.push_back(f.file(std::string("f").append(std::to_string(i)).append(".mmv"), kT0 + 10 * i, kT0 + 10 * i + 10));
  const OpenResult r = f.open(files);
  EXPECT_EQ(r.outcome, OpenOutcome::Selected);
  EXPECT_EQ(r.count, "15 MMV files are selected.");
  EXPECT_EQ(f.state.spanEndTime, kT0 + 150);

  // 16 files that do not even exist: refused before any is read.
  Lines sixteen;
  for (int i = 0; i < 16; ++i) sixteen.push_back(f.dir.file("missing" + std::to_string(i) + ".mmv"));
  f.state.mergeFailed = true;
  const OpenResult refused = f.open(sixteen);
  EXPECT_EQ(refused.outcome, OpenOutcome::TooManyFiles);
  EXPECT_EQ(refused.message, "MMV Merge-File Size is too big. Please select up to 15 files.");
  EXPECT_EQ(refused.detail, "16 files were given");
  EXPECT_FALSE(f.state.mergeFailed);
  EXPECT_TRUE(f.log.lines().empty());
  EXPECT_EQ(f.state.selectedFiles, files);
  EXPECT_EQ(f.state.spanEndTime, kT0 + 150);
}

TEST(Scan, LocalTimeOrUtcReadAtTheLastFile) {
  testing::ScopedTimeZone tz("JST-9");  // nine hours ahead of UTC, no daylight saving
  ScanFixture f;
  const Lines files = {f.file("a.mmv", kT0, kT0 + 60)};
  f.open(files);
  EXPECT_EQ(f.state.spanStart, (CalendarTime{2021, 10, 29, 17, 5, 3}));
  EXPECT_EQ(f.log.lines()[12], "End Time = 2021.10.29 17:6:3");
  // Switching the basis afterwards leaves the computed span alone.
  f.options.timeLocal = false;
  EXPECT_EQ(f.state.spanStart, (CalendarTime{2021, 10, 29, 17, 5, 3}));
  f.open(files);
  EXPECT_EQ(f.state.spanEnd, (CalendarTime{2021, 10, 29, 8, 6, 3}));
}

// A file shorter than the info block is the info command's test.
TEST(Scan, MissingFileNamedAndAnInfoBlockLongFileEnough) {
  ScanFixture f;
  f.state.spanStartTime = 5;
  const std::string missing = f.dir.file("missing.mmv");
  EXPECT_EQ(testing::thrownMessage([&] { f.open({missing}); }), missing + ": " + systemReason(ENOENT));
  EXPECT_EQ(f.state.spanStartTime, 5);
  std::vector<uint8_t> bytes = testing::readFile(f.file("a.mmv", kT0, kT0 + 60));
  bytes.resize(762);
  testing::writeFile(f.dir.file("short.mmv"), bytes);
  EXPECT_EQ(f.open({f.dir.file("short.mmv")}).outcome, OpenOutcome::Selected);
}

// The format has no magic number: a file is no recording when its first record
// header or its stamps cannot be a recording's; one cut off early, anywhere, is
// a recording that ends early (the record walk's tests cover what it then gives).
TEST(Scan, AFileThatIsNoRecordingIsNamedADamagedOneIsScanned) {
  ScanFixture f;
  synth::MmvBuilder b;
  b.setTimes(kT0, kT0 + 10);
  b.add(kFrameVideo0, std::vector<uint8_t>(200, 1), 0, true).add(kFrameDrv, std::vector<uint8_t>(120, 0));
  const std::vector<uint8_t> good = b.build();
  constexpr std::size_t kFirst = kLeadingPartSize;
  using Change = std::function<void(std::vector<uint8_t>&)>;
  const auto variant = [&](const std::string& name, const Change& change) {
    std::vector<uint8_t> bytes = good;
    change(bytes);
    testing::writeFile(f.dir.file(name), bytes);
    return f.dir.file(name);
  };
  const std::pair<Change, std::string> foreign[] = {
      {[](auto& v) { writeI32(v.data() + kFirst + 4, 2); },
       "its first record header holds no record 1 (sequence number 2)"},
      {[](auto& v) { v[kFirst + 8] = 4; }, "its first record has frame type 4, not 0 to 3"},
      {[](auto& v) { writeI32(v.data() + kFirst + 9, -1); },
       "its first record has payloadLength -1, outside 0 to 67108864"},
      {[](auto& v) { writeI32(v.data() + 615, kT0 - 1); },
       "its start stamp 1635494703 is after its end stamp 1635494702"},
  };
  // Named before the join test, which its stamps would fail.
  const std::string early = f.file("early.mmv", kT0 - 100, kT0 - 90);
  for (const auto& [change, why] : foreign) {
    const std::string path = variant("x.mp4", change);
    EXPECT_EQ(testing::thrownMessage([&] { f.open({early, path}); }), path + " is not an MMV recording: " + why);
    EXPECT_EQ(f.log.lines().size(), 10u);  // early.mmv's lines only
    EXPECT_EQ(unusableReason(path), "is not an MMV recording: " + why);
  }

  const std::pair<std::size_t, Change> damaged[] = {
      {1000, {}},                  // cut inside the leading part
      {kFirst, {}},                // the leading part alone
      {kFirst + 100, {}},          // cut inside the first header
      {kFirst + 150 + 50, {}},     // cut inside the first payload
      {good.size(), [](auto& v) { std::fill_n(v.begin() + kFirst, 150, 0); }},  // a zero-filled first header
      {good.size(), [](auto& v) { writeI32(v.data() + 622, 0); }},              // empty by its count
  };
  for (const auto& [size, change] : damaged) {
    SCOPED_TRACE(size);
    const std::string path = variant("cut.mmv", [&](auto& v) {
      if (change) change(v);
      v.resize(size);
    });
    EXPECT_EQ(f.open({path}).outcome, OpenOutcome::Selected);
  }
}

}  // namespace
}  // namespace vk2
