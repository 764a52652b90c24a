#include "synth/run_program.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#ifdef _WIN32
#include <process.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace vk2::synth {

void runProgram(const std::vector<std::string>& argv) {
  if (argv.empty()) throw std::runtime_error("no program to run");
  std::vector<char*> raw;
  for (const std::string& a : argv) raw.push_back(const_cast<char*>(a.c_str()));
  raw.push_back(nullptr);
  const std::string& name = argv[0];
#ifdef _WIN32
  const intptr_t status = _spawnvp(_P_WAIT, name.c_str(), raw.data());
  if (status == -1) throw std::runtime_error("cannot run " + name + ": " + std::strerror(errno));
  if (status != 0)
    throw std::runtime_error(name + " failed with exit status " + std::to_string(status));
#else
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, name.c_str(), &actions, nullptr, raw.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot run " + name + ": " + std::strerror(rc));
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("cannot wait for " + name + ": " + std::strerror(errno));
  }
  if (WIFSIGNALED(status))
    throw std::runtime_error(name + " ended by signal " + std::to_string(WTERMSIG(status)));
  if (WEXITSTATUS(status) != 0)
    throw std::runtime_error(name + " failed with exit status " + std::to_string(WEXITSTATUS(status)));
#endif
}

}  // namespace vk2::synth
