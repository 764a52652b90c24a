#include "mp4/burn_encoders.h"

#include <gtest/gtest.h>

namespace vk2 {
namespace {

using List = std::vector<std::string>;

TEST(BurnEncoders, EachEncodersLine) {
  const auto line = [](const std::string& encoder, SubtitleDelivery delivery = SubtitleDelivery::BurnFast) {
    return burnInCommandLine(encoder, delivery, "ffmpeg", "/o/a.mp4", "/o/a b.ass", "/o/a_Sub.mp4", PathStyle::Posix);
  };
  const std::string head = "ffmpeg -i /o/a.mp4 -vf \"subtitles='/o/a b.ass'\"";
  EXPECT_EQ(line("h264_nvenc").text, head + " -c:v h264_nvenc -preset p4 -y /o/a_Sub.mp4");
  EXPECT_EQ(line("h264_qsv").text, head + " -c:v h264_qsv -preset veryfast -y /o/a_Sub.mp4");
  EXPECT_EQ(line("h264_amf").text, head + " -c:v h264_amf -quality speed -y /o/a_Sub.mp4");
  EXPECT_EQ(line("h264_mf").text, head + " -c:v h264_mf -y /o/a_Sub.mp4");
  const CommandLine vaapi = line("h264_vaapi", SubtitleDelivery::Burn);
  EXPECT_EQ(vaapi.text, "ffmpeg -vaapi_device /dev/dri/renderD128 -i /o/a.mp4 -vf "
                        "\"subtitles='/o/a b.ass',format=nv12,hwupload\" -c:v h264_vaapi -y /o/a_Sub.mp4");
  EXPECT_EQ(vaapi.arguments, (List{"ffmpeg", "-vaapi_device", "/dev/dri/renderD128", "-i", "/o/a.mp4", "-vf",
                                   "subtitles='/o/a b.ass',format=nv12,hwupload", "-c:v", "h264_vaapi", "-y",
                                   "/o/a_Sub.mp4"}));
  // libx264 keeps each delivery's line as it always was; so does a burn naming no encoder.
  EXPECT_EQ(line("libx264").text, head + " -preset veryfast -y /o/a_Sub.mp4");
  EXPECT_EQ(line("libx264", SubtitleDelivery::Burn).text, head + " -y /o/a_Sub.mp4");
  EXPECT_EQ(line("", SubtitleDelivery::Burn).text, head + " -y /o/a_Sub.mp4");
  EXPECT_EQ(burnInCommandLine("h264_mf", SubtitleDelivery::BurnFast, "C:\\f.exe", "D:\\a.mp4", "D:\\a.ass",
                              "D:\\a_Sub.mp4", PathStyle::Windows).text,
            "C:\\f.exe -i D:\\a.mp4 -vf subtitles='D\\:/a.ass' -c:v h264_mf -y D:\\a_Sub.mp4");
}

TEST(BurnEncoders, ListingAndOrder) {
  const std::string listing =
      "Encoders:\r\n V..... = Video\n ------\n V....D libx264              libx264 H.264 (codec h264)\n"
      " V....D h264_vaapi           H.264/AVC (VAAPI) (codec h264)\n V..... h264_omx   OpenMAX\n"
      "\t V..... h264_qsv\tH.264 (Intel Quick Sync Video acceleration)\r\n V....D h264_nvenc NVENC\n"
      " V..... h264_v4l2m2m V4L2\n V..... h264_mf\n";
  const List listed = listedEncoders(listing);
  EXPECT_EQ(listed, (List{"libx264", "h264_vaapi", "h264_omx", "h264_qsv", "h264_nvenc", "h264_v4l2m2m", "h264_mf"}));
  EXPECT_EQ(listedEncoders("ffmpeg: not found\n"), List{});

  const auto order = [&](SubtitleDelivery d, const std::string& choice, EncoderPlatform p) {
    return burnInEncoders(d, choice, listed, p);
  };
  using enum SubtitleDelivery;
  using enum EncoderPlatform;
  // Never omx or v4l2m2m; mf only on Windows, vaapi only on Linux; the converter's order does not count.
  EXPECT_EQ(order(BurnFast, "", Linux), (List{"h264_nvenc", "h264_qsv", "h264_vaapi", "libx264"}));
  EXPECT_EQ(order(Burn, "auto", Windows), (List{"h264_nvenc", "h264_qsv", "h264_mf", "libx264"}));
  EXPECT_EQ(order(BurnFast, "auto", Other), (List{"h264_nvenc", "h264_qsv", "libx264"}));
  EXPECT_EQ(order(Burn, "", Linux), List{""});
  EXPECT_EQ(order(Burn, "x264", Linux), List{"libx264"});
  EXPECT_EQ(order(BurnFast, "h264_vaapi", Linux), (List{"h264_vaapi", "libx264"}));
  EXPECT_EQ(order(BurnFast, "h264_amf", Windows), List{"libx264"});  // not listed
  EXPECT_EQ(burnInEncoders(BurnFast, "", {}, Linux), List{"libx264"});

  EXPECT_TRUE(needsEncoderListing(BurnFast, ""));
  EXPECT_TRUE(needsEncoderListing(Burn, "auto"));
  EXPECT_FALSE(needsEncoderListing(Burn, ""));
  EXPECT_FALSE(needsEncoderListing(BurnFast, "x264"));
  EXPECT_FALSE(needsEncoderListing(Track, ""));
  EXPECT_EQ(encoderChoices(Windows), (List{"auto", "x264", "h264_nvenc", "h264_qsv", "h264_amf", "h264_mf"}));
  EXPECT_EQ(encoderChoices(Linux), (List{"auto", "x264", "h264_nvenc", "h264_qsv", "h264_amf", "h264_vaapi"}));
}

}  // namespace
}  // namespace vk2
