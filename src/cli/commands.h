#pragma once
// The commands of vk2mp4. Each takes the arguments after its name and returns
// the exit status: 0 success, 1 failed or refused, 2 usage error.
#include <iosfwd>
#include <optional>
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
int runEventsCommand(const Args& args, std::ostream& out, std::ostream& err);
int runReportCommand(const Args& args, std::ostream& out, std::ostream& err);

// The help of the program ("") or of one command; nullopt for no such command.
std::optional<std::string> helpText(const std::string& command);
// Whether the arguments ask for the command's help: "--help" or "-h" before any "--".
bool asksForHelp(const Args& args);
// A usage error: one line naming the mistake and the help to read ("" the
// program's); returns the exit status 2.
int usageError(std::ostream& err, const std::string& command, const std::string& problem);

}  // namespace vk2::cli
