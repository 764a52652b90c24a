#include "extract/subtitle_writer.h"

#include <gtest/gtest.h>

#include <tuple>

#include "extract/subtitle_text.h"
#include "core/file_error.h"
#include "testing/stage_harness.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using Harness = testing::StageHarness;

DrvRecord exampleRecord() {
  DrvRecord r;
  r.heading = 45.0;
  r.speedKmh = 50;
  r.engineRpm = 1500;
  r.latitude = 37.5;
  r.longitude = 127.0;
  r.accelX = 15;
  r.accelY = -20;
  r.accelZ = 1000;
  r.sampleTime = 1635502210;  // 2021-10-29 10:10:10 UTC
  return r;
}

MmvFileHeader headerWith(const std::string& vehicle) {
  MmvFileHeader h;
  h.setVehicleNumber(vehicle);
  h.setPlayResX(1280);
  h.setPlayResY(-720);
  return h;
}

TEST(SubtitleWriter, HeaderLinesAreExact) {
  Harness h;
  h.subtitles.append("left over from an earlier run");
  SubtitleWriter w(h.ctx, 1.0);
  w.StartScript(headerWith(""));
  const std::vector<std::string> expected = {
      "[Script Info]",
      "PlayResX: 1280",
      "PlayResY: -720",
      "[V4+ Styles]",
      "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
      "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
      "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding",
      "Style: Default - DL,arial,15,&H00FFFFFF,&H0300FFFF,&&H00000000,&&H00000000,-1,0,0,0,100,"
      "100,0,0,1,2.4,0,1,10,10,10,1",
      "Style: Default - DR,arial,15,&H00FFFFFF,&H0300FFFF,&&H00000000,&&H00000000,-1,0,0,0,100,"
      "100,0,0,1,2.4,0,3,10,10,10,1",
      "[Events]",
      "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text",
  };
  EXPECT_EQ(h.subtitles.lines(), expected);
}

TEST(SubtitleWriter, ExampleLinesByteForByte) {
  Harness h;
  h.options.sub12h = false;
  h.options.subLocal = false;
  SubtitleWriter w(h.ctx, 1.0);
  w.StartScript(headerWith("AB-1234"));
  w.AddRecordEvents(3, exampleRecord());
  h.options.speedKmh = false;
  w.AddRecordEvents(3, exampleRecord());
  const auto& lines = h.subtitles.lines();
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[9],
            "Dialogue: 0,0:0:0.30,0:0:0.40,Default - DL,,0,0,0,,AB-1234\\N\\NX:  0.015\\N\\NY:  "
            "-0.020\\N\\NZ:  1.000\\N\\N10/29/2021  10:10:10 (UTC)");
  EXPECT_EQ(lines[10],
            "Dialogue: 0,0:0:0.30,0:0:0.40,Default - DR,,0,0,0,,  45 [NE]\\N\\N 50 km/h\\N\\N1500 "
            "rpm\\N\\N 37.50000000\\N\\N127.00000000\\N\\N");
  EXPECT_EQ(
      lines[12],
      "Dialogue: 0,0:0:0.30,0:0:0.40,Default - DR,,0,0,0,,  45 [NE]\\N\\N 31.1 mi/h\\N\\N1500 "
      "rpm\\N\\N 37.50000000\\N\\N127.00000000\\N\\N");
}

TEST(SubtitleWriter, RecordingTextCannotEndALineOrOpenAnOverrideBlock) {
  // The line as written: the saved script is its lines ended by CR LF (the saving test).
  Harness h;
  h.options.gsensor = h.options.dateTime = false;
  SubtitleWriter w(h.ctx, 1.0);
  w.StartScript(headerWith("AB\r\nDialogue: 0,0:00:00.00,9:00:00.00,Default,,0,0,0,,{\\pos(1,1)}X"));
  w.AddRecordEvents(0, exampleRecord());
  EXPECT_EQ(h.subtitles.lines()[9],
            "Dialogue: 0,0:0:0.0,0:0:0.10,Default - DL,,0,0,0,,AB  Dialogue: 0,0:00:00.00,9:00:00.00,Default,,0,0,0,,"
            "(\\pos(1,1))X\\N\\N");

  struct Case {
    std::string raw;
    std::string safe;
  };
  const Case cases[] = {
      {std::string("\x00\x01\t\x1F\x7F", 5), "     "},
      {"{a}}{", "(a))("},
      {"\x80\xB0\xA1-12\xFF", "\x80\xB0\xA1-12\xFF"},
      {" ~AZ az09\\N", " ~AZ az09\\N"},
  };
  for (const Case& c : cases) EXPECT_EQ(scriptSafeText(c.raw), c.safe) << c.raw;
}

TEST(SubtitleWriter, EventTimes) {
  EXPECT_EQ(eventTimesText(125, 1.0), "0:0:12.50,0:0:12.60");
  EXPECT_EQ(eventTimesText(599, 1.0), "0:0:59.90,0:1:0.0");
  // Milliseconds 999 round up to a hundredths field of 100, with no carry.
  EXPECT_EQ(eventTimeText(9.99), "0:0:0.100");
  EXPECT_EQ(eventTimeText(36000.0 * 2 + 600 * 61 + 10 * 7 + 3), "3:1:7.30");
  // 20 seconds over 600 records: 1/3 tenth each.
  EXPECT_EQ(eventTimesText(4, 20.0 / 600 * 10), "0:0:0.14,0:0:0.17");
}

TEST(SubtitleWriter, DateLayoutsAndClocks) {
  const CalendarTime t{2021, 10, 29, 10, 10, 10};
  EXPECT_EQ(dateTimeText(t, 1, true), "10.29.2021 AM 10:10:10");
  EXPECT_EQ(dateTimeText(t, 2, true), "2021/10/29 AM 10:10:10");
  EXPECT_EQ(dateTimeText(t, 4, true), "");
  EXPECT_EQ(dateTimeText(t, 3, false), "2021.10.29  10:10:10");
  EXPECT_EQ(dateTimeText({2021, 1, 2, 0, 5, 9}, 0, true), "01/02/2021 AM 12:05:09");
  EXPECT_EQ(dateTimeText({2021, 1, 2, 12, 0, 0}, 0, true), "01/02/2021 PM 12:00:00");
  EXPECT_EQ(dateTimeText({2021, 1, 2, 13, 7, 0}, 0, true), "01/02/2021 PM 01:07:00");

  // UTC with the empty layout leaves only the suffix; an empty vehicle number
  // gives no vehicle line.
  PlainConversionOptions o;
  o.subLocal = false;
  o.dateFormat = 4;
  o.gsensor = false;
  EXPECT_EQ(leftEventLine("T", "", exampleRecord(), o), "Dialogue: 0,T,Default - DL,,0,0,0,, (UTC)");
}

TEST(SubtitleWriter, EveryItemOff) {
  PlainConversionOptions o;
  o.vehicleNo = o.gsensor = o.dateTime = o.direction = o.speed = o.rpm = o.latLong = false;
  const DrvRecord r = exampleRecord();
  EXPECT_EQ(leftEventLine("A,B", "AB-1234", r, o), "Dialogue: 0,A,B,Default - DL,,0,0,0,,");
  EXPECT_EQ(rightEventLine("A,B", " ", r, o),
            "Dialogue: 0,A,B,Default - DR,,0,0,0,, 0 [N]\\N\\N0.000000000.00000000");
}

using Raise = std::tuple<int, uint8_t DrvRecord::*, uint8_t>;  // record, state, value

// The event title of each record's right-hand line, for `count` records with
// the given states raised.
std::vector<std::string> rightTitles(int count, const std::vector<Raise>& raises) {
  Harness h;
  SubtitleWriter w(h.ctx, 1.0);
  w.StartScript(MmvFileHeader{});
  h.options.direction = h.options.speed = h.options.rpm = h.options.latLong = false;
  std::vector<DrvRecord> records(static_cast<std::size_t>(count));
  for (const auto& [at, state, value] : raises) records[static_cast<std::size_t>(at)].*state = value;
  for (int i = 0; i < count; ++i) w.AddRecordEvents(i, records[static_cast<std::size_t>(i)]);
  std::vector<std::string> titles;
  for (std::size_t i = 10; i < h.subtitles.lines().size(); i += 2) {
    const std::string& line = h.subtitles.lines()[i];
    const std::size_t begin = line.find(",,0,0,0,,") + 9;
    titles.push_back(line.substr(begin, line.find("0 [N]") - begin));
  }
  return titles;
}

TEST(SubtitleWriter, EventLatches) {
  // FCW raised on record 10 only: 10-25 show it, 26 does not.
  const auto fcw = rightTitles(30, {{10, &DrvRecord::fcwState, 1}});
  for (int i = 0; i < 30; ++i) EXPECT_EQ(fcw[i], (i >= 10 && i <= 25) ? "FCW\\N\\N" : " ") << "record " << i;
  // Panic held while FCW is raised: Panic wins, being later in the order.
  EXPECT_EQ(rightTitles(4, {{0, &DrvRecord::panicState, 2}, {1, &DrvRecord::fcwState, 1}, {3, &DrvRecord::ldwState, 1}}),
            std::vector<std::string>(4, "Panic\\N\\N"));
  // A new raise does not reset the hold count: 10 held records, a raise, then
  // only 5 more before the title goes.
  const auto ldw = rightTitles(20, {{0, &DrvRecord::ldwState, 1}, {11, &DrvRecord::ldwState, 2}});
  for (int i = 0; i < 20; ++i) EXPECT_EQ(ldw[i], i <= 16 ? "LDW\\N\\N" : " ") << "record " << i;

  // An unchecked event neither shows nor latches; checking it later starts fresh.
  Harness h;
  h.options.fcw = false;
  SubtitleWriter w(h.ctx, 1.0);
  w.StartScript(MmvFileHeader{});
  DrvRecord raised;
  raised.fcwState = 1;
  w.AddRecordEvents(0, raised);
  h.options.fcw = true;
  w.AddRecordEvents(1, DrvRecord{});
  EXPECT_NE(h.subtitles.lines()[10].find(",,0,0,0,,   0 [N]"), std::string::npos);
  EXPECT_NE(h.subtitles.lines()[12].find(",,0,0,0,,   0 [N]"), std::string::npos);
}

TEST(SubtitleWriter, SavesLinesWithCrLfAndBytesUnchanged) {
  testing::TempDir dir;
  Harness h;
  SubtitleWriter w(h.ctx, 1.0);
  const std::string vehicle = "\xB0\xA1-12\xFF";
  w.StartScript(headerWith(vehicle));
  h.options.gsensor = h.options.dateTime = false;
  w.AddRecordEvents(0, exampleRecord());
  w.SaveScript(dir.file("x.ass"));
  const std::string text = testing::readText(dir.file("x.ass"));
  std::string joined;
  for (const auto& line : h.subtitles.lines()) joined += line + "\r\n";
  EXPECT_EQ(text, joined);
  EXPECT_NE(text.find(",,0,0,0,," + vehicle + "\\N\\N\r\n"), std::string::npos);

  EXPECT_EQ(testing::thrownMessage([&] { w.SaveScript(dir.file("missing/x.ass")); })
                .rfind(dir.file("missing/x.ass") + ": cannot create the subtitle script", 0),
            0u);
}

}  // namespace
}  // namespace vk2
