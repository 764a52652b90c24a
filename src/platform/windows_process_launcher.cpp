#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/process_launch.h"
#include "platform/windows_command_line.h"

namespace vk2 {

namespace {

constexpr DWORD kWaitSliceMs = 50;

// Closes a handle however the launch ends.
struct Handle {
  HANDLE h = nullptr;
  ~Handle() {
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  void close() {
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    h = nullptr;
  }
};

// The converter's standard error, read through a pipe whose writing end, with
// "NUL" for its input and output, is all the child inherits.
struct OutputPipe {
  Handle read, write, nul;

  bool open() {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(&read.h, &write.h, &inherit, 0)) return false;
    SetHandleInformation(read.h, HANDLE_FLAG_INHERIT, 0);
    nul.h = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                        OPEN_EXISTING, 0, nullptr);
    return nul.h != INVALID_HANDLE_VALUE;
  }

  void drain(const std::function<void(const std::string&)>& onOutput) {
    char buffer[4096];
    DWORD available = 0;
    while (PeekNamedPipe(read.h, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      DWORD n = 0;
      if (!ReadFile(read.h, buffer, sizeof buffer, &n, nullptr) || n == 0) return;
      if (onOutput) onOutput(std::string(buffer, n));
    }
  }
};

// A child's standard streams; each must be inheritable.
struct StandardHandles {
  HANDLE input, output, error;
};

// Limits what the child inherits to its standard handles; false when the
// system cannot, and every inheritable handle is passed as it is.
class InheritedHandles {
 public:
  explicit InheritedHandles(const StandardHandles& h) {
    for (HANDLE each : {h.input, h.output, h.error})
      if (std::find(handles_.begin(), handles_.end(), each) == handles_.end()) handles_.push_back(each);
  }
  ~InheritedHandles() {
    if (list_) DeleteProcThreadAttributeList(list_);
  }
  bool limit(STARTUPINFOEXA& startup) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    attributes_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes_.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return false;
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                   handles_.size() * sizeof(HANDLE), nullptr, nullptr)) {
      DeleteProcThreadAttributeList(list);
      return false;
    }
    list_ = list;
    startup.lpAttributeList = list;
    return true;
  }

 private:
  std::vector<HANDLE> handles_;  // must outlive the attribute list
  std::vector<char> attributes_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// The start-up record is zeroed but for its size and the window state; without
// standard handles nothing is inherited.
bool create(const std::vector<std::string>& argv, WORD showWindow, const StandardHandles* handles,
            PROCESS_INFORMATION& info) {
  std::string line = windowsCommandLine(argv);
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  STARTUPINFOEXA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.StartupInfo.cb = sizeof(STARTUPINFOA);
  startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
  startup.StartupInfo.wShowWindow = showWindow;
  DWORD flags = 0;
  BOOL inherit = FALSE;
  std::optional<InheritedHandles> inherited;
  if (handles) {
    startup.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = handles->input;
    startup.StartupInfo.hStdOutput = handles->output;
    startup.StartupInfo.hStdError = handles->error;
    inherit = TRUE;
    inherited.emplace(*handles);
    if (inherited->limit(startup)) {
      startup.StartupInfo.cb = sizeof startup;
      flags |= EXTENDED_STARTUPINFO_PRESENT;
    }
  }
  ZeroMemory(&info, sizeof info);
  // Its own process group: a Ctrl-C at the console reaches only us, and we end it.
  if (showWindow == SW_HIDE) flags |= CREATE_NEW_PROCESS_GROUP;
  return CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, inherit, flags, nullptr, nullptr,
                        &startup.StartupInfo, &info) != 0;
}

std::string createFailed() { return "CreateProcessA failed with error " + std::to_string(GetLastError()); }

// Waits for the processes in slices, reading their diagnostic pipe; a false
// `keepWaiting` ends those still running. `ended` hears each one's end.
void waitForProcesses(const std::vector<HANDLE>& processes, std::vector<ProcessOutcome*> outcomes,
                      OutputPipe* pipe, const std::function<bool()>& keepWaiting,
                      const std::function<void(const std::string&)>& onOutput,
                      const std::function<void(std::size_t)>& ended) {
  std::vector<bool> running(processes.size(), true);
  const auto anyRunning = [&running] { return std::find(running.begin(), running.end(), true) != running.end(); };
  while (anyRunning()) {
    std::vector<HANDLE> waiting;
    for (std::size_t i = 0; i < processes.size(); ++i)
      if (running[i]) waiting.push_back(processes[i]);
    WaitForMultipleObjects(static_cast<DWORD>(waiting.size()), waiting.data(), FALSE, kWaitSliceMs);
    // In order: of processes found ended together, the first is taken to have ended first.
    for (std::size_t i = 0; i < processes.size(); ++i) {
      if (!running[i] || WaitForSingleObject(processes[i], 0) == WAIT_TIMEOUT) continue;
      running[i] = false;
      DWORD code = 0;
      if (GetExitCodeProcess(processes[i], &code)) outcomes[i]->exitStatus = static_cast<int>(code);
      if (ended) ended(i);
    }
    if (pipe) pipe->drain(onOutput);
    if (anyRunning() && keepWaiting && !keepWaiting()) {
      for (std::size_t i = 0; i < processes.size(); ++i) {
        if (!running[i]) continue;
        TerminateProcess(processes[i], 1);
        WaitForSingleObject(processes[i], INFINITE);
        running[i] = false;
        outcomes[i]->cancelled = true;
        outcomes[i]->exitStatus = -1;
        outcomes[i]->error = "ended on request";
      }
    }
  }
  if (pipe) pipe->drain(onOutput);
}

}  // namespace

ProcessOutcome WindowsProcessLauncher::runHidden(const std::vector<std::string>& argv,
                                                 const std::function<bool()>& keepWaiting,
                                                 const std::function<void(const std::string&)>& onOutput) {
  return run(argv, keepWaiting, onOutput, false);
}

ProcessOutcome WindowsProcessLauncher::runHiddenReadingAll(const std::vector<std::string>& argv,
                                                           const std::function<bool()>& keepWaiting,
                                                           const std::function<void(const std::string&)>& onOutput) {
  return run(argv, keepWaiting, onOutput, true);
}

ProcessOutcome WindowsProcessLauncher::run(const std::vector<std::string>& argv,
                                           const std::function<bool()>& keepWaiting,
                                           const std::function<void(const std::string&)>& onOutput,
                                           bool standardOutputToo) {
  ProcessOutcome outcome;
  OutputPipe pipe;
  const bool reading = onOutput && pipe.open();
  const StandardHandles handles{pipe.nul.h, standardOutputToo ? pipe.write.h : pipe.nul.h, pipe.write.h};
  PROCESS_INFORMATION info;
  if (argv.empty() || !create(argv, SW_HIDE, reading ? &handles : nullptr, info)) {
    outcome.error = createFailed();
    return outcome;
  }
  Handle process{info.hProcess}, thread{info.hThread};
  // Only the child holds the writing end now, so the pipe ends with it.
  pipe.write.close();
  pipe.nul.close();
  outcome.started = true;
  waitForProcesses({process.h}, {&outcome}, reading ? &pipe : nullptr, keepWaiting, onOutput, nullptr);
  return outcome;
}

JoinedOutcome WindowsProcessLauncher::runJoined(const std::vector<std::string>& first,
                                                const std::vector<std::string>& second,
                                                const std::function<bool()>& keepWaiting,
                                                const std::function<void(const std::string&)>& onOutput) {
  JoinedOutcome outcome;
  OutputPipe pipe;
  Handle jointRead, jointWrite;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  // A larger pipe lets the first run further ahead while the second is busy.
  if (!pipe.open() || !CreatePipe(&jointRead.h, &jointWrite.h, &inherit, 1024 * 1024)) {
    outcome.first.error = "cannot create a pipe: error " + std::to_string(GetLastError());
    return outcome;
  }
  // Each child may inherit only its own end, even where the inheritance cannot
  // be limited to a list: a reading end left in the first would keep the pipe open.
  SetHandleInformation(jointRead.h, HANDLE_FLAG_INHERIT, 0);
  PROCESS_INFORMATION firstInfo, secondInfo;
  const StandardHandles firstHandles{pipe.nul.h, jointWrite.h, pipe.write.h};
  if (first.empty() || !create(first, SW_HIDE, &firstHandles, firstInfo)) {
    outcome.first.error = createFailed();
    return outcome;
  }
  Handle firstProcess{firstInfo.hProcess}, firstThread{firstInfo.hThread};
  outcome.first.started = true;
  SetHandleInformation(jointWrite.h, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(jointRead.h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  const StandardHandles secondHandles{jointRead.h, pipe.nul.h, pipe.write.h};
  const bool secondStarted = !second.empty() && create(second, SW_HIDE, &secondHandles, secondInfo);
  if (!secondStarted) outcome.second.error = createFailed();
  // Only the children hold the pipes' ends now: each sees the other's end.
  jointRead.close();
  jointWrite.close();
  pipe.write.close();
  pipe.nul.close();
  if (!secondStarted) {
    TerminateProcess(firstProcess.h, 1);
    WaitForSingleObject(firstProcess.h, INFINITE);
    return outcome;
  }
  Handle secondProcess{secondInfo.hProcess}, secondThread{secondInfo.hThread};
  outcome.second.started = true;
  std::vector<bool> ended(2, false);
  waitForProcesses({firstProcess.h, secondProcess.h}, {&outcome.first, &outcome.second}, &pipe, keepWaiting,
                   onOutput, [&](std::size_t which) {
                     ended[which] = true;
                     if (which == 1 && !ended[0]) outcome.secondEndedFirst = true;
                   });
  return outcome;
}

bool WindowsProcessLauncher::startDetached(const std::vector<std::string>& argv) {
  PROCESS_INFORMATION info;
  if (argv.empty() || !create(argv, SW_SHOW, nullptr, info)) return false;
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return true;
}

std::unique_ptr<ProcessLauncher> makeProcessLauncher() { return std::make_unique<WindowsProcessLauncher>(); }

}  // namespace vk2
#endif
