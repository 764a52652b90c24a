#include "platform/windows_command_line.h"

namespace vk2 {

namespace {

// The C runtime's rules: inside quotes, 2n backslashes before a quote give n and
// end the quotes, 2n+1 give n and a literal quote; other backslashes are literal.
std::string quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    out += c;
    backslashes = 0;
  }
  out.append(backslashes * 2, '\\');
  return out + '"';
}

}  // namespace

std::string windowsCommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& arg : argv) {
    if (!line.empty()) line += ' ';
    line += quoted(arg);
  }
  return line;
}

}  // namespace vk2
