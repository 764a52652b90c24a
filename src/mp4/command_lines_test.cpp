#include "mp4/command_lines.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace vk2 {
namespace {

TEST(CommandLines, MuxingLineWithAndWithoutAudio) {
  const CommandLine withAudio = mp4CommandLine("C:\\Tool\\ffmpeg.exe", "D:\\Out\\a.pcm", "D:\\Out\\a.h264",
                                               "D:\\Out\\a.mp4", 40, 1199.0 / 40, true, PathStyle::Windows);
  EXPECT_EQ(withAudio.text,
            "C:\\Tool\\ffmpeg.exe -f s16le -ar 48000 -ac 1 -i D:\\Out\\a.pcm -framerate  29.9750 -i "
            "D:\\Out\\a.h264 -acodec aac -vcodec copy -y -t 00:0:40 D:\\Out\\a.mp4 -loglevel quiet");
  EXPECT_EQ(withAudio.arguments,
            (std::vector<std::string>{"C:\\Tool\\ffmpeg.exe", "-f", "s16le", "-ar", "48000", "-ac", "1", "-i",
                                      "D:\\Out\\a.pcm", "-framerate", "29.9750", "-i", "D:\\Out\\a.h264",
                                      "-acodec", "aac", "-vcodec", "copy", "-y", "-t", "00:0:40",
                                      "D:\\Out\\a.mp4", "-loglevel", "quiet"}));

  struct Case {
    int32_t seconds;
    double rate;
    const char* expected;
  };
  // Without audio; the rate is padded to eight places, minutes are not wrapped into hours.
  const Case cases[] = {
      {59, 5, "/b/ffmpeg -framerate   5.0000 -i /o/a.h264 -acodec aac -vcodec copy -y -t 00:0:59 /o/a.mp4 -loglevel quiet"},
      {3600, 120, "/b/ffmpeg -framerate 120.0000 -i /o/a.h264 -acodec aac -vcodec copy -y -t 00:60:0 /o/a.mp4 -loglevel quiet"},
  };
  for (const Case& c : cases) {
    const CommandLine line = mp4CommandLine("/b/ffmpeg", "/o/a.pcm", "/o/a.h264", "/o/a.mp4", c.seconds, c.rate, false);
    EXPECT_EQ(line.text, c.expected);
    EXPECT_EQ(std::count(line.arguments.begin(), line.arguments.end(), "-i"), 1);
  }
  EXPECT_EQ(durationText(3725), "62:5 ");
}

TEST(CommandLines, BurnInLineAndFilterPaths) {
  const CommandLine line =
      subtitleCommandLine("C:\\Tool\\ffmpeg.exe", "D:\\Out\\a.mp4", "D:\\Out\\a.ass", "D:\\Out\\a_Sub.mp4",
                          PathStyle::Windows);
  EXPECT_EQ(line.text,
            "C:\\Tool\\ffmpeg.exe -i D:\\Out\\a.mp4 -vf subtitles='D\\:/Out/a.ass' -y D:\\Out\\a_Sub.mp4");
  EXPECT_EQ(line.arguments, (std::vector<std::string>{"C:\\Tool\\ffmpeg.exe", "-i", "D:\\Out\\a.mp4", "-vf",
                                                      "subtitles='D\\:/Out/a.ass'", "-y", "D:\\Out\\a_Sub.mp4"}));

  // Drive root (doubled separator after the current folder) and several colons.
  const CommandLine root =
      subtitleCommandLine("E:\\\\ffmpeg.exe", "E:\\a.mp4", "E:\\a.ass", "E:\\a_Sub.mp4", PathStyle::Windows);
  EXPECT_EQ(root.text, "E:\\\\ffmpeg.exe -i E:\\a.mp4 -vf subtitles='E\\:/a.ass' -y E:\\a_Sub.mp4");
  EXPECT_EQ(filterPath("D:\\x:y\\z:w.ass", PathStyle::Windows), "D\\:/x\\:y/z\\:w.ass");

  // Characters the option parser would read as syntax are escaped, and a
  // quote leaves and re-enters the graph-level quotes.
  EXPECT_EQ(filterPath("/t/it's=1.ass"), "/t/it\\'s\\=1.ass");
  EXPECT_EQ(quotedFilterPath("/t/it's.ass"), "'/t/it\\'\\''s.ass'");
}

TEST(CommandLines, FastBurnInAndSubtitleTrack) {
  EXPECT_EQ(fastSubtitleCommandLine("ffmpeg", "/o/a.mp4", "/o/a.ass", "/o/a_Sub.mp4", PathStyle::Posix).text,
            "ffmpeg -i /o/a.mp4 -vf subtitles='/o/a.ass' -preset veryfast -y /o/a_Sub.mp4");
  // The track's muxing gives every frame a presentation time, which the Matroska muxer needs.
  EXPECT_EQ(mp4CommandLine("ffmpeg", "/o/a.pcm", "/o/a.h264", "/o/a.mkv", 9, 30, true, PathStyle::Posix).text,
            "ffmpeg -f s16le -ar 48000 -ac 1 -i /o/a.pcm -framerate  30.0000 -i /o/a.h264 -acodec aac -vcodec copy "
            "-bsf:v setts=pts=DTS -y -t 00:0:9 /o/a.mkv -loglevel quiet");
  // The subtitle track in the same pass: the script a third input, every stream
  // mapped, no cluster checksums, the progress kept.
  const CommandLine track = trackMuxCommandLine("ffmpeg", "/o/a.pcm", "/o/a.h264", "/o/-a.ass", "/o/a.mkv", 75, 30,
                                                true, PathStyle::Posix);
  EXPECT_EQ(track.text,
            "ffmpeg -f s16le -ar 48000 -ac 1 -i /o/a.pcm -framerate  30.0000 -i /o/a.h264 -i /o/-a.ass "
            "-map 1:v -map 0:a -map 2:s -acodec aac -vcodec copy -scodec copy -bsf:v setts=pts=DTS "
            "-write_crc32 0 -stats -y -t 00:1:15 /o/a.mkv -loglevel quiet");
  EXPECT_EQ(withLogLevel(track, "error").arguments.back(), "error");
  // The same with the audio encoded by a converter of its own, read from a pipe.
  EXPECT_EQ(trackAudioCommandLine("ffmpeg", "-a.pcm", PathStyle::Posix).text,
            "ffmpeg -f s16le -ar 48000 -ac 1 -i ./-a.pcm -acodec aac -f adts pipe:1 -loglevel quiet");
  EXPECT_EQ(trackJoinedMuxCommandLine("ffmpeg", "/o/a.h264", "/o/-a.ass", "/o/a.mkv", 75, 30, PathStyle::Posix).text,
            "ffmpeg -framerate  30.0000 -i /o/a.h264 -thread_queue_size 1024 -f aac -i pipe:0 -i /o/-a.ass "
            "-map 0:v -map 1:a -map 2:s -acodec copy -vcodec copy -scodec copy -bsf:v setts=pts=DTS "
            "-write_crc32 0 -stats -y -t 00:1:15 /o/a.mkv -loglevel quiet");
  EXPECT_EQ(trackMuxCommandLine("ffmpeg", "/o/a.pcm", "-a.h264", "a:b.ass", "/o/a.mkv", 9, 25, false,
                                PathStyle::Posix).text,
            "ffmpeg -framerate  25.0000 -i ./-a.h264 -i ./a:b.ass -map 0:v -map 1:s -acodec aac -vcodec copy "
            "-scodec copy -bsf:v setts=pts=DTS -write_crc32 0 -stats -y -t 00:0:9 /o/a.mkv -loglevel quiet");
}

TEST(CommandLines, BackslashIsPartOfAPosixNameAndSurvivesBothFilterLevels) {
  // Option level: "\" escapes the next character. Graph level: inside quotes
  // everything but "'" is literal.
  EXPECT_EQ(filterPath(R"(/t/a\b.ass)", PathStyle::Posix), R"(/t/a\\b.ass)");
  EXPECT_EQ(quotedFilterPath(R"(/t/a\b'c:d=e,f;[g]/x.ass)", PathStyle::Posix),
            R"('/t/a\\b\'\''c\:d\=e,f;[g]/x.ass')");
  const CommandLine line =
      subtitleCommandLine("ffmpeg", R"(/t/a\b.mp4)", R"(/t/a\b.ass)", R"(/t/a\b_Sub.mp4)", PathStyle::Posix);
  EXPECT_EQ(line.text, R"(ffmpeg -i /t/a\b.mp4 -vf subtitles='/t/a\\b.ass' -y /t/a\b_Sub.mp4)");
  EXPECT_EQ(filterPath(R"(D:\t\a.ass)", PathStyle::Windows), R"(D\:/t/a.ass)");
}

TEST(CommandLines, OptionAndProtocolLookalikesReachTheConverterAsFiles) {
  struct Case {
    const char* path;
    const char* posix;
    const char* windows;
  };
  const Case cases[] = {
      {"-x.mp4", "./-x.mp4", ".\\-x.mp4"},
      {"-", "./-", ".\\-"},
      {"pipe:1.mp4", "./pipe:1.mp4", ".\\pipe:1.mp4"},
      {"file:a.mp4", "./file:a.mp4", ".\\file:a.mp4"},
      {"http:x.mp4", "./http:x.mp4", ".\\http:x.mp4"},
      {"x:y.mp4", "./x:y.mp4", "x:y.mp4"},  // a drive-relative name on Windows
      {"C:\\x", "./C:\\x", "C:\\x"},
      {"Z:\\x", "./Z:\\x", "Z:\\x"},
      {"a\\b:c.mp4", "./a\\b:c.mp4", "a\\b:c.mp4"},
      {"http:/x.mp4", "./http:/x.mp4", ".\\http:/x.mp4"},
      // Plain paths: the ':' comes after a separator, or nothing looks like syntax.
      {"a/b:c.mp4", "a/b:c.mp4", "a/b:c.mp4"},
      {"/t/pipe:1.mp4", "/t/pipe:1.mp4", "/t/pipe:1.mp4"},
      {"/t/-x.mp4", "/t/-x.mp4", "/t/-x.mp4"},
      {"./-x.mp4", "./-x.mp4", "./-x.mp4"},
      {"x-y.mp4", "x-y.mp4", "x-y.mp4"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(converterFilePath(c.path, PathStyle::Posix), c.posix) << c.path;
    EXPECT_EQ(converterFilePath(c.path, PathStyle::Windows), c.windows) << c.path;
  }

  // Every path argument of both lines; the converter itself is run, not opened.
  EXPECT_EQ(mp4CommandLine("-ffmpeg", "-x.pcm", "pipe:1.h264", "http:x.mp4", 4, 30, true, PathStyle::Posix).text,
            "-ffmpeg -f s16le -ar 48000 -ac 1 -i ./-x.pcm -framerate  30.0000 -i ./pipe:1.h264 -acodec aac -vcodec "
            "copy -y -t 00:0:4 ./http:x.mp4 -loglevel quiet");
  EXPECT_EQ(subtitleCommandLine("ffmpeg", "-x.mp4", "pipe:1.ass", "x:y_Sub.mp4", PathStyle::Posix).text,
            "ffmpeg -i ./-x.mp4 -vf subtitles='./pipe\\:1.ass' -y ./x:y_Sub.mp4");
  EXPECT_EQ(subtitleCommandLine("ffmpeg", "-x.mp4", "pipe:1.ass", "x:y_Sub.mp4", PathStyle::Windows).text,
            "ffmpeg -i .\\-x.mp4 -vf subtitles='./pipe\\:1.ass' -y x:y_Sub.mp4");
}

TEST(CommandLines, PathsWithBlanksStayWholeAndAreQuotedInTheText) {
  const CommandLine line = mp4CommandLine("/opt/my tools/ffmpeg", "/h/a b/x.pcm", "/h/a b/x.h264",
                                          "/h/a b/x.mp4", 75, 30, true);
  EXPECT_EQ(line.text,
            "\"/opt/my tools/ffmpeg\" -f s16le -ar 48000 -ac 1 -i \"/h/a b/x.pcm\" -framerate  30.0000 -i "
            "\"/h/a b/x.h264\" -acodec aac -vcodec copy -y -t 00:1:15 \"/h/a b/x.mp4\" -loglevel quiet");
  EXPECT_EQ(line.arguments[8], "/h/a b/x.pcm");

  const CommandLine burn = subtitleCommandLine("ffmpeg", "/h/a b/x.mp4", "/h/a b/x.ass", "/h/a b/x_Sub.mp4");
  EXPECT_EQ(burn.text, "ffmpeg -i \"/h/a b/x.mp4\" -vf \"subtitles='/h/a b/x.ass'\" -y \"/h/a b/x_Sub.mp4\"");
  EXPECT_EQ(burn.arguments[4], "subtitles='/h/a b/x.ass'");
}

}  // namespace
}  // namespace vk2
