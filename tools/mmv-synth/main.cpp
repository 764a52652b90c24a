#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "synth/synth.h"

int main(int argc, char** argv) {
  using namespace vk2::synth;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
    std::cout << synthUsageText();
    return 0;
  }
  try {
    const SynthOptions options = parseSynthArgs(args);
    for (const std::string& path : generateRecordings(options)) std::cout << path << "\n";
    return 0;
  } catch (const UsageError& e) {
    std::cerr << "mmv-synth: " << e.what() << "\n" << synthUsageText();
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "mmv-synth: " << e.what() << "\n";
    return 1;
  }
}
