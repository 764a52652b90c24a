// The numbers of every text the run writes for a machine, and the converter's
// progress read back, under a locale that writes a decimal comma: the Qt
// program runs under the user's.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <limits>
#include <sstream>

#include "core/converter_progress.h"
#include "core/number_text.h"
#include "extract/subtitle_text.h"
#include "mp4/command_lines.h"
#include "telemetry/csv_writer.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

TEST(DecimalComma, MachineTextsKeepTheirPointAndTheProgressIsRead) {
  testing::ScopedDecimalComma comma;
  if (!comma.active()) GTEST_SKIP() << "no decimal-comma locale installed (scripts/setup generates de_DE.UTF-8)";
  char printed[16];
  std::snprintf(printed, sizeof printed, "%.1f", 0.5);
  ASSERT_STREQ(printed, "0,5");

  // printf's "C" forms, byte for byte: padding, ties to even, signs, the odd values.
  EXPECT_EQ(fixedNumber(29.975, 4, 8), " 29.9750");
  EXPECT_EQ(fixedNumber(2.5, 0, 3), "  2");
  EXPECT_EQ(fixedNumber(-0.0001, 3), "-0.000");
  EXPECT_EQ(fixedNumber(std::numeric_limits<double>::quiet_NaN(), 8, 12), "         nan");
  EXPECT_EQ(fixedNumber(-std::numeric_limits<double>::infinity(), 1), "-inf");
  EXPECT_EQ(fixedNumber(1e300, 1).size(), 303u);
  EXPECT_EQ(generalNumber(899.0 / 30, 15), "29.9666666666667");
  EXPECT_EQ(generalNumber(1e20, 15), "1e+20");

  EXPECT_EQ(mp4CommandLine("/b/ffmpeg", "/o/a.pcm", "/o/a.h264", "/o/a.mp4", 40, 1199.0 / 40, true).arguments[10],
            "29.9750");

  PlainConversionOptions options;
  options.speedKmh = false;
  options.subLocal = false;
  options.sub12h = false;
  DrvRecord r;
  r.heading = 72.5;
  r.speedKmh = 50;
  r.latitude = 48.1374340;
  r.longitude = -11.5755085;
  r.accelX = 54;
  r.accelY = -20;
  r.accelZ = 1000;
  r.sampleTime = 1635502210;
  EXPECT_EQ(leftEventLine("0:0:0.30,0:0:0.40", "", r, options),
            "Dialogue: 0,0:0:0.30,0:0:0.40,Default - DL,,0,0,0,,X:  0.054\\N\\NY:  -0.020\\N\\NZ:  1.000\\N\\N"
            "10/29/2021  10:10:10 (UTC)");
  EXPECT_EQ(rightEventLine("0:0:0.30,0:0:0.40", "", r, options),
            "Dialogue: 0,0:0:0.30,0:0:0.40,Default - DR,,0,0,0,, 72 [NE]\\N\\N 31.1 mi/h\\N\\N   0 rpm\\N\\N"
            " 48.13743400\\N\\N-11.57550850\\N\\N");

  std::ostringstream csv;
  CsvWriter(csv, TrackSettings{false, false}).add(r);
  EXPECT_EQ(csv.str(), "2021-10-29T10:10:10Z,2021-10-29T10:10:10Z,48.1374340,-11.5755085,72.50,31.07,0,0.054,-0.020,"
                       "1.000,0,0,0,0,0,0,0\r\n");

  EXPECT_EQ(decimalNumber("02.50"), 2.5);
  EXPECT_FALSE(decimalNumber("2,50").has_value());
  EXPECT_FALSE(decimalNumber("nan").has_value());
  ConverterProgress progress;
  progress.feed("  Duration: 00:01:40.00, start: 0.000000\n");
  EXPECT_EQ(progress.feed("frame=  300 time=00:00:50.50 bitrate=1\r"), 0.505);
}

}  // namespace
}  // namespace vk2
