#include <ostream>

#include "cli/commands.h"

namespace vk2::cli {

int runConvertCommand(const Args&, std::ostream&, std::ostream& err) {
  err << "vk2mp4: the convert command is not available yet\n";
  return 2;
}

}  // namespace vk2::cli
