#pragma once
// A vk2mp4 command run inside the test: its exit status and what it wrote.
#include <ostream>
#include <sstream>
#include <string>

#include "cli/commands.h"

namespace vk2::testing {

struct CommandRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline CommandRun runCommand(int (*command)(const cli::Args&, std::ostream&, std::ostream&), const cli::Args& args) {
  std::ostringstream out, err;
  const int status = command(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace vk2::testing
