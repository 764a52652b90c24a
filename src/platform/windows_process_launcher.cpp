#ifdef _WIN32
#include <windows.h>

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

// The converter's standard error, read through a pipe whose writing end is the
// only handle the child inherits (with "NUL" for its input and output).
struct OutputPipe {
  Handle read, write, nul;
  std::vector<char> attributes;
  HANDLE inherited[2] = {nullptr, nullptr};  // must outlive the attribute list

  bool open() {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(&read.h, &write.h, &inherit, 0)) return false;
    SetHandleInformation(read.h, HANDLE_FLAG_INHERIT, 0);
    nul.h = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                        OPEN_EXISTING, 0, nullptr);
    return nul.h != INVALID_HANDLE_VALUE;
  }

  // Limits inheritance to the pipe and NUL; false when the system cannot, and
  // the inheritable handles (only these two are made so here) are passed as they are.
  bool limitInheritance(STARTUPINFOEXA& startup) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    attributes.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return false;
    inherited[0] = write.h;
    inherited[1] = nul.h;
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited, sizeof inherited, nullptr,
                                   nullptr)) {
      DeleteProcThreadAttributeList(list);
      return false;
    }
    startup.lpAttributeList = list;
    return true;
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

// The start-up record is zeroed but for its size and the window state; without
// a pipe nothing is inherited.
bool create(const std::vector<std::string>& argv, WORD showWindow, OutputPipe* pipe, PROCESS_INFORMATION& info,
            bool standardOutputToo = false) {
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
  if (pipe) {
    startup.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = pipe->nul.h;
    startup.StartupInfo.hStdOutput = standardOutputToo ? pipe->write.h : pipe->nul.h;
    startup.StartupInfo.hStdError = pipe->write.h;
    inherit = TRUE;
    if (pipe->limitInheritance(startup)) {
      startup.StartupInfo.cb = sizeof startup;
      flags |= EXTENDED_STARTUPINFO_PRESENT;
    }
  }
  ZeroMemory(&info, sizeof info);
  // Its own process group: a Ctrl-C at the console reaches only us, and we end it.
  if (showWindow == SW_HIDE) flags |= CREATE_NEW_PROCESS_GROUP;
  const BOOL ok = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, inherit, flags, nullptr, nullptr,
                                 &startup.StartupInfo, &info);
  if (startup.lpAttributeList) DeleteProcThreadAttributeList(startup.lpAttributeList);
  return ok != 0;
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
  PROCESS_INFORMATION info;
  if (argv.empty() || !create(argv, SW_HIDE, reading ? &pipe : nullptr, info, standardOutputToo)) {
    outcome.error = "CreateProcessA failed with error " + std::to_string(GetLastError());
    return outcome;
  }
  Handle process{info.hProcess}, thread{info.hThread};
  // Only the child holds the writing end now, so the pipe ends with it.
  pipe.write.close();
  pipe.nul.close();
  outcome.started = true;
  while (WaitForSingleObject(process.h, kWaitSliceMs) == WAIT_TIMEOUT) {
    if (reading) pipe.drain(onOutput);
    if (keepWaiting && !keepWaiting()) {
      TerminateProcess(process.h, 1);
      WaitForSingleObject(process.h, INFINITE);
      outcome.cancelled = true;
      outcome.error = "ended on request";
      break;
    }
  }
  if (reading) pipe.drain(onOutput);
  DWORD code = 0;
  if (!outcome.cancelled && GetExitCodeProcess(process.h, &code)) outcome.exitStatus = static_cast<int>(code);
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
