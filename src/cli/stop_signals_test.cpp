#ifndef _WIN32
// SIGHUP, SIGTERM and Ctrl-C in the commands that write without the converter
// (the converter's steps are convert_command_test's): status 1, nothing of
// theirs left, an earlier file at the target as it was. The --log file is a
// named pipe that the test opens only once the signal is sent, so the command
// stands still there until then; it goes on to its next record, and stops.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "testing/test_support.h"

extern char** environ;

namespace vk2 {
namespace {

using testing::readText;
using testing::shellQuoted;
using testing::TempDir;

// Whether the process has a handler for `signal` (its SigCgt mask).
bool catches(pid_t pid, int signal) {
  const std::string status = readText("/proc/" + std::to_string(pid) + "/status");
  const std::size_t at = status.find("SigCgt:");
  return at != std::string::npos && (std::stoull(status.substr(at + 7), nullptr, 16) >> (signal - 1) & 1) != 0;
}

// The exit status; -1 when it ended otherwise (a signal), or took 30 seconds.
int waitForExit(pid_t pid) {
  int status = 0;
  for (int i = 0; i < 3000; ++i) {
    if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return -1;
}

TEST(StopSignals, MergeExtractAndTrackEndCleanly) {
  struct Case {
    std::vector<std::string> arguments;  // before -o
    int signal;
    std::string target;
    std::size_t files;
  };
  const Case cases[] = {{{"merge"}, SIGTERM, "M.mmv", 2},
                        {{"extract"}, SIGHUP, "E.mp4", 2},  // in the merge before the extraction
                        {{"extract"}, SIGINT, "E.mp4", 1},
                        {{"track"}, SIGHUP, "T.gpx", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments[0] + " " + strsignal(c.signal));
    TempDir dir;
    const std::vector<std::string> inputs = testing::splitLines(
        testing::commandOutput(shellQuoted(MMV_SYNTH_EXE) + " --files " + std::to_string(c.files) +
                               " --filler 500 --seconds 4 --size 320x240 --out " + shellQuoted(dir.file("rec"))));
    ASSERT_EQ(inputs.size(), c.files);
    const std::string target = dir.file(c.target), log = dir.file("log");
    testing::writeText(target, "older");
    ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);

    std::vector<std::string> args = {VK2MP4_EXE};
    args.insert(args.end(), c.arguments.begin(), c.arguments.end());
    args.insert(args.end(), {"-q", "--log", log, "-o", target});
    args.insert(args.end(), inputs.begin(), inputs.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, dir.file("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    for (int i = 0; i < 500 && !catches(pid, c.signal); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ::kill(pid, c.signal);
    // A reader lets the command's log open go through; the lines wait in the pipe.
    const int reader = ::open(log.c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_EQ(waitForExit(pid), 1) << readText(dir.file("stderr"));
    ::close(reader);
    std::remove(log.c_str());
    std::remove(dir.file("stderr").c_str());

    std::vector<std::string> left = inputs;
    left.push_back(target);
    for (std::string& path : left) path = path.substr(dir.path().size());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(dir.entries(), left);
    EXPECT_EQ(readText(target), "older");
  }
}

}  // namespace
}  // namespace vk2
#endif
