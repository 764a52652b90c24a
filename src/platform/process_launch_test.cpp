#ifndef _WIN32
#include "platform/process_launch.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "testing/test_support.h"

namespace vk2 {
namespace {

using vk2::testing::TempDir;

void writeScript(const std::string& path, const std::string& body) {
  vk2::testing::writeText(path, "#!/bin/sh\n" + body);
  ::chmod(path.c_str(), 0755);
}

TEST(PosixProcessLauncher, ExitStatusOutputAndMissingProgram) {
  PosixProcessLauncher launcher;
  std::string output;
  // A bare name is looked up on PATH; standard input reads as empty instead of
  // waiting for the terminal; standard output goes nowhere.
  ProcessOutcome ok = launcher.runHidden({"sh", "-c", "echo to-stdout; echo to-stderr >&2; read x; exit 4"}, {},
                                         [&](const std::string& s) { output += s; });
  EXPECT_TRUE(ok.started && !ok.cancelled && ok.exitStatus == 4);
  EXPECT_EQ(output, "to-stderr\n");
  output.clear();
  // A listing the converter prints on standard output is read as well.
  EXPECT_EQ(launcher.runHiddenReadingAll({"sh", "-c", "echo to-stdout; echo to-stderr >&2"}, {},
                                         [&](const std::string& s) { output += s; }).exitStatus, 0);
  EXPECT_EQ(output, "to-stdout\nto-stderr\n");

  ProcessOutcome killed = launcher.runHidden({"/bin/sh", "-c", "kill -9 $$"}, {}, {});
  EXPECT_TRUE(killed.started && killed.exitStatus == -1);
  EXPECT_NE(killed.error.find("signal 9"), std::string::npos);

  ProcessOutcome missing = launcher.runHidden({"/nonexistent/ffmpeg", "-i", "x"}, {}, {});
  EXPECT_FALSE(missing.started);
  EXPECT_NE(missing.error.find("/nonexistent/ffmpeg"), std::string::npos);
  EXPECT_FALSE(launcher.runHidden({}, {}, {}).started);
}

TEST(PosixProcessLauncher, KeepWaitingIsCalledAndCancelEndsAHangingChildAndWhatItStarted) {
  TempDir dir;
  PosixProcessLauncher launcher;
  // The script starts a grandchild that would outlive it if only the script were ended.
  const std::string script = dir.file("hang.sh");
  writeScript(script, "trap '' TERM\nsleep 300 &\necho $! > \"$1\"\nwait\n");
  int calls = 0;
  const auto begin = std::chrono::steady_clock::now();
  ProcessOutcome outcome = launcher.runHidden(
      {script, dir.file("grandchild.pid")},
      [&] {
        ++calls;
        return std::chrono::steady_clock::now() - begin < std::chrono::milliseconds(400);
      },
      {});
  const auto took = std::chrono::steady_clock::now() - begin;
  EXPECT_TRUE(outcome.started);
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_EQ(outcome.exitStatus, -1);
  EXPECT_GE(calls, 3);
  EXPECT_LT(took, std::chrono::seconds(10));
  // The child was reaped (no zombie left to us) and its grandchild ended too.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  const int grandchild = std::stoi(vk2::testing::readText(dir.file("grandchild.pid")));
  bool gone = false;
  for (int i = 0; i < 100 && !gone; ++i) {
    gone = ::kill(grandchild, 0) != 0;
    if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(gone);
}

// Two processes joined by a pipe: every byte of the first reaches the second,
// both tell what they say; the first's failure counts, its loss of a reader that
// ended first does not; a cancel ends both; a second that cannot start ends the first.
TEST(PosixProcessLauncher, JoinedProcesses) {
  TempDir dir;
  PosixProcessLauncher launcher;
  std::string said;
  const auto hear = [&](const std::string& s) { said += s; };
  JoinedOutcome joined = launcher.runJoined({"sh", "-c", "head -c 3000000 /dev/zero; echo first >&2"},
                                            {"sh", "-c", "wc -c > \"$0\"; echo second >&2", dir.file("count")}, {},
                                            hear);
  EXPECT_TRUE(joined.first.started && joined.second.started);
  EXPECT_EQ(combinedOutcome(joined).exitStatus, 0);
  EXPECT_EQ(std::stol(vk2::testing::readText(dir.file("count"))), 3000000);
  EXPECT_NE(said.find("first\n"), std::string::npos);
  EXPECT_NE(said.find("second\n"), std::string::npos);

  joined = launcher.runJoined({"sh", "-c", "echo partial; exit 3"}, {"sh", "-c", "cat > /dev/null"}, {}, {});
  EXPECT_EQ(combinedOutcome(joined).exitStatus, 3);
  joined = launcher.runJoined({"sh", "-c", "echo x; exit 0"}, {"sh", "-c", "exit 5"}, {}, {});
  EXPECT_EQ(combinedOutcome(joined).exitStatus, 5);
  joined = launcher.runJoined({"yes"}, {"head", "-c", "10"}, {}, {});
  EXPECT_TRUE(joined.secondEndedFirst);
  EXPECT_EQ(joined.first.exitStatus, -1);  // SIGPIPE
  EXPECT_EQ(combinedOutcome(joined).exitStatus, 0);

  int waits = 0;
  joined = launcher.runJoined({"sleep", "300"}, {"sleep", "300"}, [&] { return ++waits < 4; }, {});
  EXPECT_TRUE(combinedOutcome(joined).cancelled);
  EXPECT_TRUE(joined.first.cancelled && joined.second.cancelled);
  joined = launcher.runJoined({"sleep", "300"}, {"/nonexistent/ffmpeg"}, {}, {});
  EXPECT_FALSE(combinedOutcome(joined).started);
  EXPECT_NE(combinedOutcome(joined).error.find("/nonexistent/ffmpeg"), std::string::npos);
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST(ConverterLookup, CurrentFolderFirstThenPath) {
  const std::filesystem::path savedFolder = std::filesystem::current_path();
  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  TempDir cwd;
  TempDir bin;
  std::filesystem::current_path(cwd.path());
  ::setenv("PATH", ("relative:" + bin.path().substr(0, bin.path().size() - 1)).c_str(), 1);
  EXPECT_EQ(converterPath(), "");

  writeScript(bin.file("ffmpeg"), "exit 0\n");
  EXPECT_EQ(converterPath(), bin.file("ffmpeg"));
  vk2::testing::writeText(cwd.file("ffmpeg"), "not executable");
  EXPECT_EQ(converterPath(), bin.file("ffmpeg"));
  ::chmod(cwd.file("ffmpeg").c_str(), 0755);
  EXPECT_TRUE(std::filesystem::equivalent(converterPath(), cwd.file("ffmpeg")));
  std::filesystem::current_path(savedFolder);
  ::setenv("PATH", savedPath.c_str(), 1);
}

TEST(FileManager, StartsDetachedWithoutLeavingAChild) {
  TempDir dir;
  PosixProcessLauncher launcher;
  EXPECT_TRUE(launcher.startDetached({"/bin/sh", "-c", "echo started > \"$0\"", dir.file("mark")}));
  for (int i = 0; i < 100 && !vk2::testing::fileExists(dir.file("mark")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(vk2::testing::fileExists(dir.file("mark")));
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace vk2
#endif
