#include "cli/run_options.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/time_window.h"
#include "testing/test_support.h"

namespace vk2::cli {
namespace {

constexpr int32_t kSpanStart = 1635494703;  // 2021-10-29 08:05:03 UTC

TEST(RunOptions, ParsesEveryOption) {
  const RunOptions d = parseRunOptions({"a.mmv"});
  EXPECT_FALSE(d.target || d.logFile || d.quiet || d.trimStart || d.trimEnd || d.options.dateFormat);
  EXPECT_TRUE(d.options.audio && d.options.timeLocal && d.options.subLocal && d.options.sub12h &&
              d.options.speedKmh && d.options.vehicleNo && d.options.panic);

  const RunOptions r = parseRunOptions(
      {"-o", "out/x", "--trim-start", "10", "a.mmv", "--trim-end", "5", "--no-audio", "--time-basis", "utc",
       "--sub-time", "utc", "--clock", "24h", "--speed", "mph", "--date-format", "3", "--hide",
       "vehicle,gsensor,datetime", "--hide", "direction,speed,rpm,latlong,fcw,ldw,fpw,fvsa,alarm-gsensor,speeding,panic",
       "--log", "run.log", "-q", "b.mmv", "--", "-odd.mmv"});
  EXPECT_EQ(r.inputs, (std::vector<std::string>{"a.mmv", "b.mmv", "-odd.mmv"}));
  EXPECT_EQ(*r.target, "out/x");
  EXPECT_EQ(*r.logFile, "run.log");
  EXPECT_TRUE(r.quiet);
  EXPECT_EQ(r.trimStart, 10);
  EXPECT_EQ(r.trimEnd, 5);
  const PlainConversionOptions& o = r.options;
  EXPECT_FALSE(o.audio || o.timeLocal || o.subLocal || o.sub12h || o.speedKmh);
  EXPECT_EQ(o.dateFormat, 3);
  EXPECT_FALSE(o.vehicleNo || o.gsensor || o.dateTime || o.direction || o.speed || o.rpm || o.latLong || o.fcw ||
               o.ldw || o.fpw || o.fvsa || o.alarmGsensor || o.overSpeeding || o.panic);

  EXPECT_EQ(parseRunOptions({"--date-format", "none", "a"}).options.dateFormat, kDateFormatNone);
  // Only the named item goes.
  const RunOptions alarm = parseRunOptions({"--hide", "alarm-gsensor", "a"});
  EXPECT_FALSE(alarm.options.alarmGsensor);
  EXPECT_TRUE(alarm.options.gsensor);
}

TEST(RunOptions, RejectsWhatItCannotUse) {
  const std::vector<Args> bad = {{"-q"},
                                 {"a", "-o"},
                                 {"--trim-start", "1.5", "a"},
                                 {"--trim-end", "99999999999", "a"},
                                 {"--clock", "12", "a"},
                                 {"--date-format", "5", "a"},
                                 {"--hide", "vehicle,colour", "a"},
                                 {"--recursive", "a"},
                                 {"-q", "--verbose", "a"},
                                 {"--subtitles", "track", "a"}};  // convert's alone
  for (const Args& args : bad) EXPECT_THROW(parseRunOptions(args), UsageError) << args.size();
}

TEST(RunOptions, AnEncoderGoesWithABurnIn) {
  const auto convert = [](const Args& args) { return parseRunOptions(args, CommandOptions::Convert); };
  EXPECT_EQ(convert({"a"}).options.encoder, "");
  EXPECT_EQ(convert({"--encoder", "h264_qsv", "--subtitles", "burn-fast", "a"}).options.encoder, "h264_qsv");
  EXPECT_EQ(convert({"--encoder", "x264", "a"}).options.encoder, "x264");
  const auto refusal = [&](const Args& args) { return testing::thrownMessage([&] { convert(args); }); };
#ifdef _WIN32
  const std::string host = "h264_amf or h264_mf";
#else
  const std::string host = "h264_amf or h264_vaapi";
#endif
  EXPECT_EQ(refusal({"--encoder", "h264_omx", "a"}),
            "--encoder: expected auto, x264, h264_nvenc, h264_qsv, " + host + ", not 'h264_omx'");
  for (const char* other : {"track", "none"})
    EXPECT_EQ(refusal({"--subtitles", other, "--encoder", "auto", "a"}), "--encoder needs --subtitles burn or burn-fast");
  EXPECT_EQ(refusal({"a", "--encoder"}), "--encoder: missing value");
  EXPECT_THROW(parseRunOptions({"--encoder", "auto", "a"}, CommandOptions::Report), UsageError);
}

TEST(RunOptions, TrimsMustLeaveAWindowTheDialogAllows) {
  ConversionState state;
  state.spanStartTime = kSpanStart;
  state.spanEndTime = kSpanStart + 60;
  RunOptions run =
      parseRunOptions({"--trim-start", "10", "--trim-end", "5", "--time-basis", "utc", "a.mmv"});
  applyTimeWindow(run, state);
  EXPECT_EQ(state.windowStartTime, kSpanStart + 10);
  EXPECT_EQ(state.windowEndTime, kSpanStart + 55);
  EXPECT_EQ(state.windowStart, (CalendarTime{2021, 10, 29, 8, 5, 13}));
  EXPECT_EQ(proposedName(run, state), "20211029_080513_45");

  auto trim = [&](int32_t start, int32_t end) {
    run.trimStart = start;
    run.trimEnd = end;
    applyTimeWindow(run, state);
  };
  EXPECT_THROW(trim(30, 26), UsageError);  // 4 seconds left
  EXPECT_NO_THROW(trim(30, 25));
  state.spanEndTime = kSpanStart + 5;  // 5 seconds or less accept only 0/0
  EXPECT_NO_THROW(trim(0, 0));
  EXPECT_EQ(proposedName(run, state), "20211029_080503_5");
  EXPECT_EQ(testing::thrownMessage([&] { trim(0, 1); }),
            "--trim-start 0 and --trim-end 1 leave 4 seconds of the 5-second recording; a trimmed window must be at "
            "least 5 seconds long, so a recording of 5 seconds or less cannot be trimmed");
  // An end stamp before the start, or wrapped past 32 bits: no trims, no overflow.
  for (const auto& [start, end] : {std::pair{INT32_MAX - 1, INT32_MIN + 5}, std::pair{kSpanStart, kSpanStart - 60}}) {
    state.spanStartTime = start;
    state.spanEndTime = end;
    EXPECT_THROW(trim(1, 2), UsageError);
    EXPECT_NO_THROW(trim(0, 0));
    EXPECT_EQ(state.windowEndTime, end);
  }
}

TEST(RunOptions, TargetRules) {
  testing::TempDir dir;
  ConversionState state;
  state.spanStartTime = kSpanStart;
  state.spanEndTime = kSpanStart + 60;
  RunOptions run = parseRunOptions({"--time-basis", "utc", "a.mmv"});
  applyTimeWindow(run, state);
  const std::string proposed = "20211029_080503_60.mp4";

  auto target = [&](const std::string& o) {
    run.target = o;
    return resolveTarget(run, state);
  };
  std::string existing = dir.path();
  existing.pop_back();  // an existing folder without the trailing separator
  EXPECT_EQ(target(existing), dir.path() + proposed);
  EXPECT_EQ(target(dir.file("new/deeper/")), dir.file("new/deeper/") + proposed);
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("new/deeper")));
  EXPECT_EQ(target(dir.file("x.mp4")), dir.file("x.mp4"));
  EXPECT_EQ(target(dir.file("fresh/x.mmv")), dir.file("fresh/x.mmv.mp4"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("fresh")));

#ifndef _WIN32
  // Default: the default output folder, created, and the proposed name.
  const char* home = std::getenv("HOME");
  const std::string savedHome = home ? home : "";
  ::setenv("HOME", dir.file("home").c_str(), 1);
  run.target.reset();
  const std::string byDefault = resolveTarget(run, state);
  ::setenv("HOME", savedHome.c_str(), 1);
  EXPECT_EQ(byDefault, dir.file("home/Documents/Velmora/MMV_TO_MP4/") + proposed);
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("home/Documents/Velmora/MMV_TO_MP4")));
#endif

  // A folder that cannot be created is an error naming it.
  testing::writeText(dir.file("file"), "x");
  EXPECT_THROW(target(dir.file("file/sub/")), std::runtime_error);
}

}  // namespace
}  // namespace vk2::cli
