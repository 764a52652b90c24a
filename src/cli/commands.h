#pragma once
// The commands of vk2mp4. Each takes the arguments after its name and returns
// the exit status: 0 success, 1 failed or refused, 2 usage error.
#include <iosfwd>
#include <string>
#include <vector>

namespace vk2::cli {

using Args = std::vector<std::string>;

int runInfoCommand(const Args& args, std::ostream& out, std::ostream& err);
int runMergeCommand(const Args& args, std::ostream& out, std::ostream& err);
int runExtractCommand(const Args& args, std::ostream& out, std::ostream& err);
int runConvertCommand(const Args& args, std::ostream& out, std::ostream& err);
int runTripsCommand(const Args& args, std::ostream& out, std::ostream& err);
int runTrackCommand(const Args& args, std::ostream& out, std::ostream& err);

// The usage text printed with every usage error.
const char* usageText();

}  // namespace vk2::cli
