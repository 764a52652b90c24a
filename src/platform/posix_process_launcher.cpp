#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/process_launch.h"

extern char** environ;

namespace vk2 {

namespace {

constexpr int kWaitSliceMs = 50;
constexpr auto kTermGrace = std::chrono::milliseconds(1500);

std::vector<char*> cArguments(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

// Reads whatever the pipe holds now; false once it reached its end.
bool drain(int fd, const std::function<void(const std::string&)>& onOutput) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      if (onOutput) onOutput(std::string(buffer, static_cast<std::size_t>(n)));
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

int statusOf(int waitStatus, ProcessOutcome& outcome) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) outcome.error = "ended by signal " + std::to_string(WTERMSIG(waitStatus));
  return -1;
}

// SIGTERM to the child's group, SIGKILL after a grace period; always reaped.
void endChild(pid_t pid, int& waitStatus) {
  ::kill(-pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + kTermGrace;
  while (std::chrono::steady_clock::now() < deadline) {
    const pid_t r = ::waitpid(pid, &waitStatus, WNOHANG);
    if (r == pid || (r < 0 && errno != EINTR)) {
      ::kill(-pid, SIGKILL);  // whatever it started
      return;
    }
    ::usleep(10 * 1000);
  }
  ::kill(-pid, SIGKILL);
  while (::waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
  }
}

class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
};

// A child in its own process group with default signal handling.
void prepareAttributes(posix_spawnattr_t& attributes) {
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

}  // namespace

ProcessOutcome PosixProcessLauncher::runHidden(const std::vector<std::string>& argv,
                                               const std::function<bool()>& keepWaiting,
                                               const std::function<void(const std::string&)>& onOutput) {
  return run(argv, keepWaiting, onOutput, false);
}

ProcessOutcome PosixProcessLauncher::runHiddenReadingAll(const std::vector<std::string>& argv,
                                                         const std::function<bool()>& keepWaiting,
                                                         const std::function<void(const std::string&)>& onOutput) {
  return run(argv, keepWaiting, onOutput, true);
}

ProcessOutcome PosixProcessLauncher::run(const std::vector<std::string>& argv, const std::function<bool()>& keepWaiting,
                                         const std::function<void(const std::string&)>& onOutput,
                                         bool standardOutputToo) {
  ProcessOutcome outcome;
  if (argv.empty() || argv[0].empty()) {
    outcome.error = "no program given";
    return outcome;
  }
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    outcome.error = std::string("cannot create a pipe: ") + std::strerror(errno);
    return outcome;
  }
  SpawnSetup setup;
  posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
  if (standardOutputToo)
    posix_spawn_file_actions_adddup2(&setup.actions, pipeFds[1], 1);
  else
    posix_spawn_file_actions_addopen(&setup.actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&setup.actions, pipeFds[1], 2);
  prepareAttributes(setup.attributes);

  std::vector<char*> args = cArguments(argv);
  pid_t pid = 0;
  const int rc = argv[0].find('/') == std::string::npos
                     ? ::posix_spawnp(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ)
                     : ::posix_spawn(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ);
  ::close(pipeFds[1]);
  if (rc != 0) {
    ::close(pipeFds[0]);
    outcome.error = argv[0] + ": " + std::strerror(rc);
    return outcome;
  }
  outcome.started = true;
  ::fcntl(pipeFds[0], F_SETFL, ::fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);

  bool pipeOpen = true;
  int waitStatus = 0;
  for (;;) {
    if (pipeOpen) {
      pollfd p{pipeFds[0], POLLIN, 0};
      if (::poll(&p, 1, kWaitSliceMs) > 0) pipeOpen = drain(pipeFds[0], onOutput);
    } else {
      ::usleep(kWaitSliceMs * 1000);
    }
    const pid_t r = ::waitpid(pid, &waitStatus, WNOHANG);
    if (r == pid) {
      if (pipeOpen) drain(pipeFds[0], onOutput);
      outcome.exitStatus = statusOf(waitStatus, outcome);
      break;
    }
    if (r < 0 && errno != EINTR) {
      outcome.error = std::string("lost the child process: ") + std::strerror(errno);
      break;
    }
    if (keepWaiting && !keepWaiting()) {
      endChild(pid, waitStatus);
      outcome.cancelled = true;
      outcome.error = "ended on request";
      break;
    }
  }
  ::close(pipeFds[0]);
  return outcome;
}

bool PosixProcessLauncher::startDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  // A short-lived shell starts the program in the background and is reaped at
  // once, so no child is left unreaped.
  std::vector<std::string> shell = {"/bin/sh", "-c", "\"$0\" \"$@\" </dev/null >/dev/null 2>&1 &"};
  shell.insert(shell.end(), argv.begin(), argv.end());
  SpawnSetup setup;
  prepareAttributes(setup.attributes);
  std::vector<char*> args = cArguments(shell);
  pid_t pid = 0;
  if (::posix_spawn(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ) != 0) return false;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::unique_ptr<ProcessLauncher> makeProcessLauncher() { return std::make_unique<PosixProcessLauncher>(); }

}  // namespace vk2
#endif
