#ifdef _WIN32
// vk2mp4.exe as a Windows user runs it: started from a folder holding the fake
// converter as ffmpeg.exe, on generated recordings, with plain and awkward
// paths on C: and Z:, a failing converter, a name the ANSI code page cannot
// hold; and the file manager's command line.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/paths.h"
#include "synth/synth.h"
#include "mp4/command_lines.h"
#include "platform/folders.h"
#include "platform/process_launch.h"
#include "platform/stop_signals.h"
#include "telemetry/episode_text.h"
#include "testing/fake_mp4.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

namespace fs = std::filesystem;
using testing::readText;
using testing::splitLines;
using Lines = std::vector<std::string>;

struct ProgramRun {
  DWORD status = 0;
  std::string err;
};

// Starts `commandLine` in `folder` with its error output in a file and waits for it.
ProgramRun start(const std::wstring& commandLine, const std::string& folder) {
  const std::string errPath = folder + "stderr.txt";
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = err;
  startup.hStdOutput = err;
  PROCESS_INFORMATION info{};
  std::wstring line = commandLine;
  const std::wstring cwd(folder.begin(), folder.end());
  const BOOL ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP, nullptr,
                                 cwd.c_str(), &startup, &info);
  CloseHandle(err);
  ProgramRun r;
  if (!ok) {
    r.status = 9999;
    return r;
  }
  WaitForSingleObject(info.hProcess, INFINITE);
  GetExitCodeProcess(info.hProcess, &r.status);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  r.err = readText(errPath);
  return r;
}

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// One folder for the program (with the fake converter), one for the recordings.
struct WindowsRun {
  testing::TempDir dir;
  std::string work = dir.file("work\\");
  std::string data;
  std::vector<std::string> inputs;

  explicit WindowsRun(const std::string& dataFolder) : data(dataFolder) {
    fs::create_directories(work);
    fs::create_directories(data);
    fs::copy_file(WINDOWS_FAKE_CONVERTER_EXE, work + "ffmpeg.exe");
    synth::SynthOptions o;
    o.outPrefix = data + "rec";
    o.files = 2;
    o.seconds = 6;
    o.width = 320;
    o.height = 240;
    o.fillerBytes = 1000;
    inputs = synth::generateRecordings(o);
  }
  ProgramRun convert(const std::string& target, const std::string& modes = "", const std::string& extra = "") {
    testing::writeText(work + "modes.txt", modes);
    std::remove((work + "calls.txt").c_str());
    std::string line = std::string("\"") + WINDOWS_VK2MP4_EXE + "\" convert -q " + extra + "--log \"" + work +
                       "run.log\" -o \"" + target + "\"";
    for (const std::string& in : inputs) line += " \"" + in + "\"";
    return start(wide(line), work);
  }
  // The argument vectors the converter received, one per call.
  std::vector<Lines> calls() const {
    std::vector<Lines> all(1);
    if (!testing::fileExists(work + "calls.txt")) return {};
    for (const std::string& line : splitLines(readText(work + "calls.txt"))) {
      if (line == "--")
        all.emplace_back();
      else
        all.back().push_back(line);
    }
    all.pop_back();
    return all;
  }
  // The converter command lines of the progress log.
  Lines loggedCommands() const {
    Lines lines;
    for (std::string line : splitLines(readText(work + "run.log"))) {
      if (line.rfind(work + "ffmpeg.exe ", 0) != 0) continue;
      for (std::size_t at; (at = line.find("  ")) != std::string::npos;) line.erase(at, 1);
      lines.push_back(line);
    }
    return lines;
  }
};

std::string joined(const Lines& args) {
  std::string line;
  for (const std::string& a : args) line += (line.empty() ? "" : " ") + a;
  return line;
}

TEST(WindowsConvert, PlainAndAwkwardPathsReachTheConverterUnchanged) {
  testing::TempDir z;
  const std::string onZ = "Z:\\tmp\\vk2-windows-" + std::to_string(GetCurrentProcessId()) + "\\";
  for (const std::string& folder : {std::string("plain\\"), std::string("it's a b\\"), onZ}) {
    SCOPED_TRACE(folder);
    WindowsRun w(folder == onZ ? onZ : z.file(folder));
    const std::string target = w.data + "X.mp4";
    const ProgramRun r = w.convert(target);
    ASSERT_EQ(r.status, 0u) << r.err;
    const std::vector<Lines> calls = w.calls();
    ASSERT_EQ(calls.size(), 2u);
    // The muxing line: the streams in, the target out, for 12 seconds.
    EXPECT_EQ(calls[0][0], w.work + "ffmpeg.exe");
    EXPECT_EQ(calls[0][8], w.data + "X.pcm");
    EXPECT_EQ(calls[0][12], w.data + "X.h264");
    EXPECT_EQ((Lines(calls[0].end() - 5, calls[0].end())), (Lines{"-t", "00:0:12", target, "-loglevel", "quiet"}));
    // The burn-in line: the filter path in the filter's own syntax.
    EXPECT_EQ(calls[1], (Lines{w.work + "ffmpeg.exe", "-i", target, "-vf", "subtitles=" + quotedFilterPath(w.data + "X.ass"),
                               "-y", w.data + "X_Sub.mp4"}));
    // Plain paths: the logged lines are the command lines the converter was given
    // (the log keeps the frame rate's padding blank, which no argument holds).
    if (folder == "plain\\") {
      EXPECT_EQ(w.loggedCommands(), (Lines{joined(calls[0]), joined(calls[1])}));
    }
    EXPECT_EQ(testing::fakeMp4Marker(readText(target)), "made by call 0");
    EXPECT_EQ(testing::entriesOf(w.data), (Lines{"X.mp4", "rec_1.mmv", "rec_2.mmv"}));
    if (folder == onZ) fs::remove_all(fs::path(onZ));
  }
}

TEST(WindowsConvert, AFailingConverterLosesNothing) {
  testing::TempDir dir;
  WindowsRun w(dir.file("data\\"));
  const std::string target = w.data + "X.mp4";
  testing::writeText(target, "older");
  const ProgramRun r = w.convert(target, "fail\nfail\n");
  EXPECT_EQ(r.status, 1u);
  // Run again without "-loglevel quiet", the converter says why, its lines read through the pipe.
  EXPECT_NE(r.err.find("Making the MP4 failed: the converter ended with exit status 1: " + w.data +
                       "X.h264: Invalid data found when processing input."),
            std::string::npos)
      << r.err;
  const std::vector<Lines> calls = w.calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].back(), "error");
  EXPECT_EQ(readText(target), "older");
  // Ctrl-C is scripts/windows-ctrl-c's test: Wine delivers it only from a terminal.
  EXPECT_EQ(testing::entriesOf(w.data), (Lines{"X.mp4", "rec_1.mmv", "rec_2.mmv"}));
}

// The subtitle track: the audio's converter writes into a pipe that the
// muxing converter reads, every byte of the PCM arriving unchanged in count.
TEST(WindowsConvert, TheSubtitleTrackJoinsTwoConverters) {
  testing::TempDir dir;
  WindowsRun w(dir.file("it's a b\\"));
  const std::string target = w.data + "X.mkv";
  const ProgramRun r = w.convert(target, "", "--subtitles track ");
  ASSERT_EQ(r.status, 0u) << r.err;
  const std::vector<Lines> calls = w.calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_NE(std::find(calls[0].begin(), calls[0].end(), "pipe:0"), calls[0].end());
  const Lines fed = splitLines(readText(w.work + "joined.txt"));
  EXPECT_NE(std::find(fed.begin(), fed.end(), w.data + "X.pcm"), fed.end());
  EXPECT_EQ(readText(w.work + "piped.txt"), "pipe:0 " + std::to_string(12 * 48000 * 2) + " bytes\n");
  EXPECT_EQ(testing::entriesOf(w.data), (Lines{"X.mkv", "rec_1.mmv", "rec_2.mmv"}));
}

// The report page beside the video, and on its own in another folder: the
// video named relative to the page with '/', whatever the system's separator.
TEST(WindowsConvert, ReportPagesNameTheirVideoRelatively) {
  testing::TempDir dir;
  WindowsRun w(dir.file("it's a b\\"));
  const std::string target = w.data + "X.mp4";
  const ProgramRun r = w.convert(target, "", "--report ");
  ASSERT_EQ(r.status, 0u) << r.err;
  EXPECT_NE(readText(w.data + "X.html").find("src=\"X.mp4\""), std::string::npos);
  const std::string page = w.data + "pages\\p.html";
  const ProgramRun alone = start(wide(std::string("\"") + WINDOWS_VK2MP4_EXE + "\" report -q --video \"" + target +
                                      "\" -o \"" + page + "\" \"" + w.inputs[0] + "\" \"" + w.inputs[1] + "\""),
                                 w.work);
  ASSERT_EQ(alone.status, 0u) << alone.err;
  EXPECT_NE(readText(page).find("src=\"../X.mp4\""), std::string::npos);
  EXPECT_EQ(testing::entriesOf(w.data), (Lines{"X.html", "X.mp4", "pages", "rec_1.mmv", "rec_2.mmv"}));
}

// What a person reads in a file (a console here is no terminal): a line per
// stage and the target, in the system's line ends; the help; a usage error's one line.
TEST(WindowsConvert, StageLinesHelpAndAUsageError) {
  testing::TempDir dir;
  WindowsRun w(dir.file("data\\"));
  const std::string program = std::string("\"") + WINDOWS_VK2MP4_EXE + "\"";
  const std::string target = w.data + "X.mp4";
  const ProgramRun r = start(wide(program + " convert -o \"" + target + "\" \"" + w.inputs[0] + "\" \"" +
                                  w.inputs[1] + "\""), w.work);
  EXPECT_EQ(r.status, 0u);
  EXPECT_EQ(r.err, "Merging 1 of 2: " + w.inputs[0] + "\r\nMerging 2 of 2: " + w.inputs[1] +
                       "\r\nExtracting the streams and the subtitle script\r\nMaking the MP4\r\n"
                       "Burning in the subtitles\r\n" + target + "\r\n");

  const ProgramRun help = start(wide(program + " --help"), w.work);
  EXPECT_EQ(help.status, 0u);
  EXPECT_NE(help.err.find("  Windows:  %HOMEDRIVE%%HOMEPATH%\\Documents\\Velmora\\MMV_TO_MP4\\\r\n"), std::string::npos);
  const ProgramRun usage = start(wide(program + " convert --bogus"), w.work);
  EXPECT_EQ(usage.status, 2u);
  EXPECT_EQ(usage.err, "vk2mp4: unknown option '--bogus'; see vk2mp4 convert --help\r\n");

  // The events' lines get the system's line ends; a CSV keeps its own CRLF, not one CR more.
  const std::string files = " \"" + w.inputs[0] + "\" \"" + w.inputs[1] + "\"";
  const ProgramRun lines = start(wide(program + " events" + files), w.work);
  EXPECT_EQ(lines.status, 0u) << lines.err;
  EXPECT_NE(lines.err.find(" in 2 recordings\r\n"), std::string::npos) << lines.err;
  const ProgramRun csv = start(wide(program + " events --csv" + files), w.work);
  EXPECT_EQ(csv.status, 0u) << csv.err;
  EXPECT_EQ(csv.err.substr(0, episodeCsvHeader().size()), episodeCsvHeader());
  EXPECT_EQ(csv.err.find("\r\r"), std::string::npos) << csv.err;
}

// A clip per event: the one FCW of the two files, within the second, in the system's line ends.
// (The folder's last backslash is doubled, or it would make the closing quote a character of its own.)
TEST(WindowsConvert, AClipPerEvent) {
  testing::TempDir dir;
  WindowsRun w(dir.file("data\\"));
  const std::string out = dir.file("clips\\");
  testing::writeText(w.work + "modes.txt", "");
  const ProgramRun r = start(wide(std::string("\"") + WINDOWS_VK2MP4_EXE + "\" convert --events --before 1 --after 1 "
                                  "--time-basis utc -o \"" + out + "\\\" \"" + w.inputs[0] + "\" \"" + w.inputs[1] + "\""),
                             w.work);
  EXPECT_EQ(r.status, 0u) << r.err;
  EXPECT_EQ(r.err, "clip 1/1: 2021-10-29 08:05:10 - 2021-10-29 08:05:15, 5 s, FCW: " + out +
                       "20211029_080511_FCW.mp4\r\n1 of 1 clip made\r\n");
  EXPECT_EQ(testing::entriesOf(out), Lines{"20211029_080511_FCW.mp4"});
}

TEST(WindowsConvert, NamesTheAnsiCodePageCannotHoldAreRefused) {
  testing::TempDir dir;
  WindowsRun w(dir.file("data\\"));
  const std::wstring line = L"\"" + wide(WINDOWS_VK2MP4_EXE) + L"\" convert -o \"" + wide(w.data) + L"\u6771\u4eac.mp4\" \"" +
                            wide(w.inputs[0]) + L"\"";
  const ProgramRun r = start(line, w.work);
  EXPECT_EQ(r.status, 1u);
  EXPECT_NE(r.err.find("cannot be passed on unchanged"), std::string::npos) << r.err;
  EXPECT_EQ(testing::entriesOf(w.data), (Lines{"rec_1.mmv", "rec_2.mmv"}));
}

// The console's events, called as Windows does, on a thread of their own. Each
// raises the flag; Ctrl-C and Ctrl-Break return at once, while a close, logoff
// or shutdown holds its thread until the command reports it has cleaned up:
// Windows ends the process as soon as the handler returns.
TEST(WindowsConsoleEvents, CloseLogoffAndShutdownWaitForTheCleanUp) {
  const auto now = [] { return std::chrono::steady_clock::now(); };
  for (const DWORD event : {CTRL_C_EVENT, CTRL_BREAK_EVENT}) {
    watchForStopSignals();
    const auto begin = now();
    EXPECT_TRUE(onConsoleEvent(event));
    EXPECT_LT(now() - begin, std::chrono::seconds(1));
    EXPECT_TRUE(stopSignalled()) << event;
  }
  EXPECT_FALSE(onConsoleEvent(99));

  watchForStopSignals();
  std::atomic<int> returned{0};
  std::vector<std::thread> handlers;
  for (const DWORD event : {CTRL_CLOSE_EVENT, CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT})
    handlers.emplace_back([&returned, event] { returned += onConsoleEvent(event) ? 1 : 100; });
  for (int i = 0; i < 100 && !stopSignalled(); ++i) Sleep(10);
  EXPECT_TRUE(stopSignalled());
  Sleep(500);
  EXPECT_EQ(returned, 0) << "a handler returned before the clean-up";
  reportCleanedUp();
  const auto reported = now();
  for (std::thread& handler : handlers) handler.join();
  EXPECT_EQ(returned, 3);
  EXPECT_LT(now() - reported, std::chrono::seconds(4)) << "the handlers waited out their time instead";
  watchForStopSignals();
}

TEST(WindowsPlatform, TheConvertersOutputIsReadAndAHangingOneEnded) {
  std::unique_ptr<ProcessLauncher> launcher = makeProcessLauncher();
  std::string output;
  ProcessOutcome o = launcher->runHidden({"cmd", "/c", "echo time=00:00:01.00 1>&2"}, [] { return true; },
                                         [&](const std::string& chunk) { output += chunk; });
  EXPECT_EQ(o.exitStatus, 0);
  EXPECT_NE(output.find("time=00:00:01.00"), std::string::npos) << output;
  int waits = 0;
  o = launcher->runHidden({"cmd", "/c", "ping -n 30 127.0.0.1 > NUL"}, [&] { return ++waits < 10; }, nullptr);
  EXPECT_TRUE(o.started && o.cancelled);
  // A joined pair is ended whole; one whose second cannot start ends its first.
  waits = 0;
  const Lines hang{"cmd", "/c", "ping -n 30 127.0.0.1 > NUL"};
  JoinedOutcome joined = launcher->runJoined(hang, hang, [&] { return ++waits < 10; }, nullptr);
  EXPECT_TRUE(joined.first.cancelled && joined.second.cancelled);
  const auto begin = std::chrono::steady_clock::now();
  joined = launcher->runJoined(hang, {"Z:\\nonexistent\\ffmpeg.exe"}, nullptr, nullptr);
  EXPECT_FALSE(combinedOutcome(joined).started);
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
}

TEST(WindowsPlatform, FileManagerAndOutputFolder) {
  // explorer.exe beside this program is the fake: Windows looks there first.
  testing::TempDir dir;
  const std::string saved = fs::current_path().string();
  fs::current_path(dir.path());
  std::unique_ptr<ProcessLauncher> launcher = makeProcessLauncher();
  EXPECT_TRUE(openFolderInFileManager(*launcher, "C:\\My Videos\\"));
  for (int i = 0; i < 100 && !testing::fileExists(dir.file("calls.txt")); ++i) Sleep(50);
  Sleep(100);
  fs::current_path(saved);
  EXPECT_EQ(splitLines(readText(dir.file("calls.txt"))), (Lines{"explorer", "C:\\My Videos\\", "--"}));
  EXPECT_EQ(converterPath(), saved + "\\ffmpeg.exe");

  // The output folder from HOMEDRIVE and HOMEPATH, created with every parent.
  const std::string drive = dir.path().substr(0, 2), home = dir.path().substr(2) + "home";
  _putenv_s("HOMEDRIVE", drive.c_str());
  _putenv_s("HOMEPATH", home.c_str());
  const std::string folder = defaultOutputFolder();
  EXPECT_EQ(folder, dir.path() + "home\\Documents\\Velmora\\MMV_TO_MP4\\");
  EXPECT_TRUE(createFolders(folder) && fs::is_directory(folder));
}

}  // namespace
}  // namespace vk2
#endif
