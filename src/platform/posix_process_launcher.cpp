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

namespace {

// A standard stream of a child: a descriptor of ours, or /dev/null when -1.
void giveStream(posix_spawn_file_actions_t& actions, int childFd, int ours) {
  if (ours >= 0)
    posix_spawn_file_actions_adddup2(&actions, ours, childFd);
  else
    posix_spawn_file_actions_addopen(&actions, childFd, "/dev/null", childFd == 0 ? O_RDONLY : O_WRONLY, 0);
}

// Starts argv in its own process group; its outcome says why when it could not be.
bool spawnChild(const std::vector<std::string>& argv, int in, int out, int err, pid_t& pid,
                ProcessOutcome& outcome) {
  if (argv.empty() || argv[0].empty()) {
    outcome.error = "no program given";
    return false;
  }
  SpawnSetup setup;
  giveStream(setup.actions, 0, in);
  giveStream(setup.actions, 1, out);
  giveStream(setup.actions, 2, err);
  prepareAttributes(setup.attributes);
  std::vector<char*> args = cArguments(argv);
  const int rc = argv[0].find('/') == std::string::npos
                     ? ::posix_spawnp(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ)
                     : ::posix_spawn(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ);
  if (rc != 0) {
    outcome.error = argv[0] + ": " + std::strerror(rc);
    return false;
  }
  outcome.started = true;
  return true;
}

struct Child {
  pid_t pid = 0;
  ProcessOutcome* outcome = nullptr;
  bool running = true;
};

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Reads the children's shared diagnostic pipe and reaps them as they end; a
// false `keepWaiting` ends those still running. `ended` hears each child's end
// and its wait status.
void waitForChildren(std::vector<Child>& children, int outputFd, const std::function<bool()>& keepWaiting,
                     const std::function<void(const std::string&)>& onOutput,
                     const std::function<void(std::size_t, int)>& ended) {
  ::fcntl(outputFd, F_SETFL, ::fcntl(outputFd, F_GETFL) | O_NONBLOCK);
  bool pipeOpen = true;
  const auto anyRunning = [&children] {
    for (const Child& c : children)
      if (c.running) return true;
    return false;
  };
  while (anyRunning()) {
    if (pipeOpen) {
      pollfd p{outputFd, POLLIN, 0};
      if (::poll(&p, 1, kWaitSliceMs) > 0) pipeOpen = drain(outputFd, onOutput);
    } else {
      ::usleep(kWaitSliceMs * 1000);
    }
    // In order: of children found ended together, the first is taken to have ended first.
    for (std::size_t i = 0; i < children.size(); ++i) {
      Child& c = children[i];
      if (!c.running) continue;
      int waitStatus = 0;
      const pid_t r = ::waitpid(c.pid, &waitStatus, WNOHANG);
      if (r == c.pid) {
        c.running = false;
        c.outcome->exitStatus = statusOf(waitStatus, *c.outcome);
        if (ended) ended(i, waitStatus);
      } else if (r < 0 && errno != EINTR) {
        c.running = false;
        c.outcome->error = std::string("lost the child process: ") + std::strerror(errno);
      }
    }
    if (anyRunning() && keepWaiting && !keepWaiting()) {
      for (Child& c : children) {
        if (!c.running) continue;
        int waitStatus = 0;
        endChild(c.pid, waitStatus);
        c.running = false;
        c.outcome->cancelled = true;
        c.outcome->error = "ended on request";
      }
    }
  }
  if (pipeOpen) drain(outputFd, onOutput);
}

// A pipe whose ends are closed however the run ends.
struct Pipe {
  int fd[2] = {-1, -1};
  bool open() { return ::pipe2(fd, O_CLOEXEC) == 0; }
  ~Pipe() {
    closeFd(fd[0]);
    closeFd(fd[1]);
  }
};

}  // namespace

ProcessOutcome PosixProcessLauncher::run(const std::vector<std::string>& argv, const std::function<bool()>& keepWaiting,
                                         const std::function<void(const std::string&)>& onOutput,
                                         bool standardOutputToo) {
  ProcessOutcome outcome;
  Pipe output;
  if (!output.open()) {
    outcome.error = std::string("cannot create a pipe: ") + std::strerror(errno);
    return outcome;
  }
  pid_t pid = 0;
  const bool started =
      spawnChild(argv, -1, standardOutputToo ? output.fd[1] : -1, output.fd[1], pid, outcome);
  closeFd(output.fd[1]);
  if (!started) return outcome;
  std::vector<Child> children{{pid, &outcome}};
  waitForChildren(children, output.fd[0], keepWaiting, onOutput, nullptr);
  return outcome;
}

JoinedOutcome PosixProcessLauncher::runJoined(const std::vector<std::string>& first,
                                              const std::vector<std::string>& second,
                                              const std::function<bool()>& keepWaiting,
                                              const std::function<void(const std::string&)>& onOutput) {
  JoinedOutcome outcome;
  Pipe output, joint;
  if (!output.open() || !joint.open()) {
    outcome.first.error = std::string("cannot create a pipe: ") + std::strerror(errno);
    return outcome;
  }
#ifdef F_SETPIPE_SZ
  // A larger pipe lets the first run further ahead while the second is busy.
  ::fcntl(joint.fd[1], F_SETPIPE_SZ, 1024 * 1024);
#endif
  pid_t firstPid = 0, secondPid = 0;
  if (!spawnChild(first, -1, joint.fd[1], output.fd[1], firstPid, outcome.first)) return outcome;
  const bool secondStarted = spawnChild(second, joint.fd[0], -1, output.fd[1], secondPid, outcome.second);
  // Only the children hold the pipes' ends now: each sees the other's end.
  closeFd(joint.fd[0]);
  closeFd(joint.fd[1]);
  closeFd(output.fd[1]);
  if (!secondStarted) {
    int waitStatus = 0;
    endChild(firstPid, waitStatus);
    return outcome;
  }
  std::vector<Child> children{{firstPid, &outcome.first}, {secondPid, &outcome.second}};
  waitForChildren(children, output.fd[0], keepWaiting, onOutput, [&](std::size_t which, int waitStatus) {
    // SIGPIPE: the first wrote after the second had gone, whenever it was reaped.
    if ((which == 1 && children[0].running) ||
        (which == 0 && WIFSIGNALED(waitStatus) && WTERMSIG(waitStatus) == SIGPIPE))
      outcome.secondEndedFirst = true;
  });
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
