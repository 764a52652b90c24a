// A stand-in for the converter in the Windows tests, started as ffmpeg.exe (or
// explorer.exe) from the folder under test, and as ffmpeg on the Linux side of
// scripts/windows-compare. It appends its arguments to
// "calls.txt" in its current folder (one per line, then "--") and acts as the
// next line of "modes.txt" says:
//   ok    writes a small complete MP4 (MKV for an ".mkv") to its output: as long
//         as the muxing line's "-t 00:M:S", or a copy of the burn-in's input
//   fail  writes a partial file, says why on its standard error (not under
//         "-loglevel quiet") and exits with status 1
//   hang  writes a partial file and waits a minute
//   incomplete  writes a partial file and exits with status 0
//   progress  as ok, telling on its standard error, as the converter does, that
//         half of a 4-second input is done, then half a second later all of it
// Without modes.txt every call is "ok". A burn-in also copies the subtitle script
// it was given to "burnt.ass", so a test can read what the video would show.
// A line writing to "pipe:1" (the audio encoded beside the muxing) is logged to
// "joined.txt" instead and takes no mode: it copies its input to its standard
// output. A line reading "pipe:0" reads its standard input to the end first and
// appends "pipe:0 N bytes" to "piped.txt".
// "-encoders" is answered on standard output, unlogged and without taking a
// mode: libx264 and each encoder "encoders.txt" names, one a line, adding a
// line to "listings.txt". A line "NAME fail" makes a burn-in with "-c:v NAME"
// fail as the converter does without the hardware, "NAME incomplete" makes it
// write a partial file and exit with status 0.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "testing/fake_mp4.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

std::vector<std::string> linesOf(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The file of the subtitle filter's argument "subtitles='C\:/a/X.ass'": the
// quotes dropped, each backslash-escaped character taken as it is.
std::string subtitleFilterFile(const std::string& argument) {
  std::string path;
  for (std::size_t i = std::string("subtitles=").size(); i < argument.size(); ++i) {
    if (argument[i] == '\'') continue;
    if (argument[i] == '\\' && i + 1 < argument.size()) ++i;
    path += argument[i];
  }
  return path;
}

// The listed encoders' names and what each does when chosen ("" works).
std::vector<std::pair<std::string, std::string>> scriptedEncoders() {
  std::vector<std::pair<std::string, std::string>> encoders;
  for (const std::string& line : linesOf("encoders.txt")) {
    const std::size_t blank = line.find(' ');
    encoders.emplace_back(line.substr(0, blank), blank == std::string::npos ? "" : line.substr(blank + 1));
  }
  return encoders;
}

int listEncoders() {
  std::ofstream("listings.txt", std::ios::app) << "-encoders\n";
  std::printf("Encoders:\n V..... = Video\n A..... = Audio\n ------\n"
              " V....D libx264              libx264 H.264 / AVC / MPEG-4 AVC (codec h264)\n");
  for (const auto& [name, behaviour] : scriptedEncoders()) std::printf(" V....D %-20s a scripted encoder\n", name.c_str());
  return 0;
}

// The standard streams carry bytes, not text (Windows would translate line ends).
void binaryStreams() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

int feedPipe(const std::vector<std::string>& args) {
  {
    std::ofstream log("joined.txt", std::ios::app | std::ios::binary);
    for (const std::string& a : args) log << a << "\n";
    log << "--\n";
  }
  std::string input;
  for (std::size_t i = 1; i + 1 < args.size(); ++i)
    if (args[i] == "-i") input = args[i + 1];
  std::ifstream in(input, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0 ? 0 : 1;
}

void readPipe() {
  std::size_t total = 0;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) total += n;
  std::ofstream("piped.txt", std::ios::app | std::ios::binary) << "pipe:0 " << total << " bytes\n";
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  if (args.size() == 3 && args[1] == "-hide_banner" && args[2] == "-encoders") return listEncoders();
  binaryStreams();
  if (std::find(args.begin(), args.end(), "pipe:1") != args.end()) return feedPipe(args);
  if (std::find(args.begin(), args.end(), "pipe:0") != args.end()) readPipe();
  const std::vector<std::string> calls = linesOf("calls.txt");
  int call = 0;
  for (const std::string& line : calls) call += line == "--";
  {
    std::ofstream log("calls.txt", std::ios::app | std::ios::binary);
    for (const std::string& a : args) log << a << "\n";
    log << "--\n";
  }
  const std::vector<std::string> modes = linesOf("modes.txt");
  std::string mode = call < static_cast<int>(modes.size()) ? modes[static_cast<std::size_t>(call)] : "ok";
  for (std::size_t i = 1; i + 1 < args.size(); ++i)
    if (args[i] == "-c:v")
      for (const auto& [name, behaviour] : scriptedEncoders())
        if (name == args[i + 1] && !behaviour.empty()) mode = behaviour;

  // The output: the argument before "-loglevel" (muxing), else the last one.
  std::string output = args.back();
  std::string input, duration, level;
  for (std::size_t i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == "-loglevel") {
      output = args[i - 1];
      level = args[i + 1];
    }
    if (args[i] == "-t") duration = args[i + 1];
    if (args[i] == "-i") input = args[i + 1];
    if (args[i] == "-vf" && args[i + 1].rfind("subtitles=", 0) == 0) {
      std::ifstream script(subtitleFilterFile(args[i + 1]), std::ios::binary);
      writeFile("burnt.ass", std::string(std::istreambuf_iterator<char>(script), std::istreambuf_iterator<char>()));
    }
  }
  if (mode == "incomplete") {
    writeFile(output, "partial");
    return 0;
  }
  if (mode == "fail" || mode == "hang") {
    writeFile(output, "partial");
    if (mode == "fail" && level != "quiet")
      std::fprintf(stderr, "%s: Invalid data found when processing input\nConversion failed!\n", input.c_str());
    if (mode == "hang") std::this_thread::sleep_for(std::chrono::seconds(60));
    return 1;
  }
  if (mode == "progress") {
    std::fprintf(stderr, "  Duration: 00:00:04.00, start: 0.000000, bitrate: 9 kb/s\n"
                         "frame=   60 fps=0.0 q=-1.0 size=       0kB time=00:00:02.00 bitrate=N/A speed=1x    \r");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::fprintf(stderr, "frame=  120 fps=0.0 q=-1.0 size=       1kB time=00:00:04.00 bitrate=N/A speed=1x    \r");
  }
  if (!duration.empty()) {
    const double seconds = vk2::testing::muxingLineSeconds(args);
    const std::string marker = "made by call " + std::to_string(call);
    writeFile(output, output.ends_with(".mkv") ? vk2::testing::fakeMkv(seconds, marker)
                                               : vk2::testing::fakeMp4(seconds, marker));
  } else if (!input.empty()) {
    std::ifstream in(input, std::ios::binary);
    writeFile(output, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  }
  return 0;
}
