// The help of the program and of each command: every option with its default,
// the exit statuses, the default folder on each system, the trims' minimum and
// --version; a usage error is one line pointing to it.
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "testing/test_support.h"

namespace vk2::cli {
namespace {

// Each option line of a help ("  -o TARGET   text", "  -v, --verbose   text")
// with the lines that continue its text.
std::vector<std::pair<std::string, std::string>> optionsOf(const std::string& help) {
  std::vector<std::pair<std::string, std::string>> options;
  for (const std::string& line : testing::splitLines(help)) {
    if (line.rfind("  -", 0) == 0)
      options.emplace_back(line.substr(2, line.find(' ', 2) - 2), line);
    else if (!options.empty() && line.rfind("                          ", 0) == 0)
      options.back().second += line;
  }
  return options;
}

TEST(Help, EveryOptionWithItsDefault) {
  for (const std::string command : {"", "merge", "extract", "convert", "trips", "track", "events", "report"}) {
    SCOPED_TRACE(command);
    const std::optional<std::string> help = helpText(command);
    ASSERT_TRUE(help);
    const auto options = optionsOf(*help);
    EXPECT_GE(options.size(), 2u);
    for (const auto& [option, text] : options)
      EXPECT_TRUE(text.find("default") != std::string::npos || text.find("required") != std::string::npos) << text;
  }
  const std::string convert = *helpText("convert");
  for (const char* fact : {"--trim-start SEC        whole seconds cut from the start (default 0)",
                           "(default burn)", "12h|24h         the subtitles' hours (default 12h)",
                           "kmh|mph         the subtitles' speed unit (default kmh)"})
    EXPECT_NE(convert.find(fact), std::string::npos) << fact;
  // Commands with options of their own: each option they take has its line.
  const std::pair<const char*, std::vector<std::string>> own[] = {
      {"events", {"--card", "--recursive", "--json", "--csv", "--trim-start", "--trim-end", "--time-basis",
                  "--date-format", "--clock", "--speed"}},
      {"trips", {"--json", "--recursive", "--time-basis"}}};
  for (const auto& [command, taken] : own) {
    std::vector<std::string> listed;
    for (const auto& option : optionsOf(*helpText(command))) listed.push_back(option.first);
    EXPECT_EQ(listed, taken) << command;
  }
}

TEST(Help, ExitStatusesFoldersTheTrimsMinimumAndVersion) {
  for (const std::string command : {"", "info", "merge", "extract", "convert", "trips", "track", "events", "report"}) {
    SCOPED_TRACE(command);
    const std::string help = *helpText(command);
    EXPECT_EQ(help.rfind("usage:", 0), 0u);  // as scripts look for it
    EXPECT_NE(help.find("exit status:\n  0  "), std::string::npos);
    EXPECT_NE(help.find("\n  1  "), std::string::npos);
    EXPECT_NE(help.find("\n  2  usage error\n"), std::string::npos);
    const bool window = command.empty() || command == "extract" || command == "convert" || command == "track" ||
                        command == "events" || command == "report";
    EXPECT_EQ(help.find("The trims must leave at least 5 seconds") != std::string::npos, window);
    const bool folder = window && command != "track" && command != "events" && command != "report";
    EXPECT_EQ(help.find("  Linux:    $HOME/Documents/Velmora/MMV_TO_MP4/\n"
                        "  Windows:  %HOMEDRIVE%%HOMEPATH%\\Documents\\Velmora\\MMV_TO_MP4\\\n") != std::string::npos,
              folder);
  }
  EXPECT_NE(helpText("")->find("  vk2mp4 --version         the program's version\n"), std::string::npos);
  // Each command's own options are in its help.
  for (const auto& [command, option] : {std::pair{"report", "--video FILE"}, {"report", "--trips FOLDER"},
                                        {"convert", "--report  "}, {"", "--report  "}})
    EXPECT_NE(helpText(command)->find("\n  " + std::string(option)), std::string::npos) << command << option;
  EXPECT_FALSE(helpText("frobnicate"));
  EXPECT_TRUE(asksForHelp({"-o", "x.mp4", "--help"}));
  EXPECT_FALSE(asksForHelp({"--", "--help"}));
}

#ifndef _WIN32
TEST(Help, AsTheProgramShowsIt) {
  const std::string program = testing::shellQuoted(VK2MP4_EXE);
  EXPECT_EQ(testing::commandOutput(program + " convert a.mmv --help"), *helpText("convert"));
  EXPECT_EQ(testing::commandOutput(program + " --help"), *helpText(""));
  EXPECT_EQ(testing::commandOutput(program + " frobnicate 2>&1; echo $?"),
            "vk2mp4: unknown command 'frobnicate'; see vk2mp4 --help\n2\n");
  EXPECT_EQ(testing::commandOutput(program + " convert --trim-start 2>&1; echo $?"),
            "vk2mp4: --trim-start: missing value; see vk2mp4 convert --help\n2\n");
}
#endif

}  // namespace
}  // namespace vk2::cli
