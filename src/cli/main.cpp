#include <iostream>
#include <string>
#include <vector>

#include "cli/ansi_arguments.h"
#include "cli/commands.h"
#include "platform/stop_signals.h"

namespace {

int runCommandLine(int argc, char** argv) {
  using namespace vk2::cli;
  if (argc < 2) return usageError(std::cerr, "", "missing command");
  if (const std::string problem = argumentOutsideAnsiCodePage(); !problem.empty()) {
    std::cerr << "vk2mp4: " << problem << "\n";
    return 1;
  }
  const std::string command = argv[1];
  const Args args(argv + 2, argv + argc);
  if (const std::optional<std::string> help = helpText(command); help && asksForHelp(args)) {
    std::cout << *help;
    return 0;
  }
  try {
    if (command == "info") return runInfoCommand(args, std::cout, std::cerr);
    if (command == "merge") return runMergeCommand(args, std::cout, std::cerr);
    if (command == "extract") return runExtractCommand(args, std::cout, std::cerr);
    if (command == "convert") return runConvertCommand(args, std::cout, std::cerr);
    if (command == "trips") return runTripsCommand(args, std::cout, std::cerr);
    if (command == "track") return runTrackCommand(args, std::cout, std::cerr);
    if (command == "events") return runEventsCommand(args, std::cout, std::cerr);
    if (command == "report") return runReportCommand(args, std::cout, std::cerr);
    if (command == "--version") {
      std::cout << "vk2mp4 " << VK2_VERSION << "\n";
      return 0;
    }
    if (command == "-h" || command == "--help" || command == "help") {
      std::cout << *helpText("");
      return 0;
    }
  } catch (const std::exception& e) {
    std::cerr << "vk2mp4: " << e.what() << "\n";
    return 1;
  }
  return usageError(std::cerr, "", "unknown command '" + command + "'");
}

}  // namespace

int main(int argc, char** argv) {
  const int status = runCommandLine(argc, argv);
  // Whatever the command wrote is where it belongs now; a closing console may end the process.
  vk2::reportCleanedUp();
  return status;
}
