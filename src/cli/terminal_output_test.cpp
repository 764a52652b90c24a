#ifndef _WIN32
// What vk2mp4 convert shows a person: on a terminal (a pseudo-terminal here),
// where the burn-in's line is rewritten in place as the converter goes on, and
// in a file, where every line stays; by default, with -v and with -q.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>

#include "testing/test_support.h"

namespace vk2 {
namespace {

using testing::readText;
using testing::shellQuoted;
using testing::splitLines;
using Lines = std::vector<std::string>;

struct Shown {
  int status = -1;
  std::string text;
};

// Runs a shell line on a terminal of its own; `poke` is asked every 50 ms
// while it runs, until it returns true.
Shown onTerminal(const std::string& line, const std::function<bool(int terminal)>& poke = {}) {
  termios raw{};
  ::cfmakeraw(&raw);  // the bytes as written ("\n" stays "\n"), but Ctrl-C still interrupts
  raw.c_lflag |= ISIG;
  raw.c_cc[VINTR] = 3;
  int terminal = -1;
  const pid_t pid = ::forkpty(&terminal, nullptr, &raw, nullptr);
  if (pid == 0) {
    ::execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  Shown shown;
  bool poked = !poke;
  char buffer[4096];
  while (true) {
    pollfd p{terminal, POLLIN, 0};
    if (::poll(&p, 1, 50) > 0) {
      const ssize_t n = ::read(terminal, buffer, sizeof buffer);
      if (n <= 0) break;  // every program on the terminal has ended
      shown.text.append(buffer, static_cast<std::size_t>(n));
    } else if (!poked) {
      poked = poke(terminal);
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(terminal);
  shown.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  // The time left depends on the machine's speed.
  shown.text = std::regex_replace(shown.text, std::regex("about [0-9]+:[0-9]{2} left"), "about M:SS left");
  return shown;
}

// Two 2-second recordings in data/; vk2mp4 runs in work/, beside the stand-in converter.
struct Conversion {
  testing::TempDir dir;
  std::string work = dir.file("work/");

  Conversion() {
    std::filesystem::create_directories(work);
    std::filesystem::create_directories(dir.file("data"));
    std::filesystem::copy_file(FAKE_CONVERTER_EXE, work + "ffmpeg");
    EXPECT_EQ(std::system((shellQuoted(MMV_SYNTH_EXE) + " --files 2 --seconds 2 --filler 500 --out " +
                           shellQuoted(dir.file("data/rec")) + " >/dev/null").c_str()), 0);
  }
  // The shell line of a conversion; the converter muxes, then acts as `burnIn` says.
  std::string line(const std::string& options, const std::string& burnIn = "progress") {
    testing::writeText(work + "modes.txt", "ok\n" + burnIn + "\n");
    std::remove((work + "calls.txt").c_str());
    return "cd " + shellQuoted(work) + " && exec " + shellQuoted(VK2MP4_EXE) + " convert " + options +
           " -o ../data/X.mp4 ../data/rec_1.mmv ../data/rec_2.mmv";
  }
  Shown inFile(const std::string& options) {
    const int status = std::system((line(options) + " >" + shellQuoted(dir.file("out")) + " 2>&1").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(dir.file("out"))};
  }
  bool inBurnIn() const {
    const Lines calls = splitLines(testing::fileExists(work + "calls.txt") ? readText(work + "calls.txt") : "");
    return std::count(calls.begin(), calls.end(), "--") == 2;
  }
};

const Lines kStages = {"Merging 1 of 2: ../data/rec_1.mmv", "Merging 2 of 2: ../data/rec_2.mmv",
                       "Extracting the streams and the subtitle script", "Making the MP4",
                       "Burning in the subtitles"};

std::string joined(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The converter's share replaces the end of the burn-in's line, blanks covering a longer text before it.
const std::string kBurnInInPlace =
    "Burning in the subtitles\rBurning in the subtitles: 50 % done, about M:SS left"
    "\rBurning in the subtitles: 100 % done" + std::string(16, ' ') + "\n";

TEST(TerminalOutput, ALinePerStageTheBurnInInPlaceOnATerminal) {
  Conversion c;
  const Shown terminal = onTerminal(c.line(""));
  EXPECT_EQ(terminal.status, 0);
  EXPECT_EQ(terminal.text, joined(Lines(kStages.begin(), kStages.end() - 1)) + kBurnInInPlace + "../data/X.mp4\n");

  // In a file every line stays as written.
  const Shown file = c.inFile("");
  EXPECT_EQ(file.status, 0);
  EXPECT_EQ(file.text, joined(kStages) + "../data/X.mp4\n");

  for (const Shown& quiet : {onTerminal(c.line("-q")), c.inFile("-q")}) {
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.text, "");
  }
}

// -v: the progress log among the stage lines, each line of it as --log writes
// it; on a terminal the converter's share on a line of its own below the log.
TEST(TerminalOutput, VerboseShowsTheProgressLogToo) {
  Conversion c;
  const Shown file = c.inFile("-v --log ../run.log");
  ASSERT_EQ(file.status, 0);
  Lines log, stages;
  for (const std::string& line : splitLines(file.text)) {
    const bool stage = stages.size() < kStages.size() && line == kStages[stages.size()];
    (stage ? stages : log).push_back(line);
  }
  EXPECT_EQ(stages, kStages);
  EXPECT_EQ(joined(log), readText(c.dir.file("run.log")) + "../data/X.mp4\n");
  EXPECT_NE(file.text.find("\ndoubleFramePerSec = "), std::string::npos);

  const Shown terminal = onTerminal(c.line("-v"));
  EXPECT_EQ(terminal.status, 0);
  EXPECT_NE(terminal.text.find("Burning in the subtitles\n" + c.work + "ffmpeg -i ../data/X.mp4 -vf subtitles='../data/"
                               "X.ass' -y ../data/X_Sub.mp4\n\r" + kBurnInInPlace.substr(25) +
                               "mp4(with subtitle) making is executed..\n../data/X.mp4\n"),
            std::string::npos) << terminal.text;
}

// Ctrl-C during the burn-in: the stage's line is ended before the message, and
// no log line says the burn-in was carried out.
TEST(TerminalOutput, CtrlCEndsTheStageLineBeforeItsMessage) {
  Conversion c;
  const Shown shown = onTerminal(c.line("", "hang"), [&c](int terminal) {
    if (!c.inBurnIn()) return false;
    ::usleep(300000);
    return ::write(terminal, "\x03", 1) == 1;
  });
  EXPECT_EQ(shown.status, 1);
  EXPECT_EQ(shown.text, joined(kStages) + "vk2mp4: interrupted. The conversion was cancelled.\n");
}

}  // namespace
}  // namespace vk2
#endif
