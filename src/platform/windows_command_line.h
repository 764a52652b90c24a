#pragma once
// The narrow command line handed to CreateProcessA: the arguments joined by
// blanks, quoted so that the started program's C runtime gives each back
// unchanged. Plain arguments (no blank, tab or double quote) stay as they are,
// so the converter's command lines for plain paths are the logged ones exactly.
#include <string>
#include <vector>

namespace vk2 {

std::string windowsCommandLine(const std::vector<std::string>& argv);

}  // namespace vk2
