#pragma once
// Where the progress log goes besides the hidden list: the terminal (for
// commands that show it) and a --log file, one line each, "\n" ends.
#include <fstream>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/hidden_log.h"

namespace vk2::cli {

class LogMirror {
 public:
  using Show = std::function<void(const std::string& line)>;
  explicit LogMirror(std::ostream* terminal = nullptr);
  // Each line goes to `show` instead, which decides whether and where it is shown.
  explicit LogMirror(Show show) : show_(std::move(show)) {}
  LogMirror(const LogMirror&) = delete;
  LogMirror& operator=(const LogMirror&) = delete;

  // Creates the --log file once the command knows every file it will read or
  // write, and copies into it the lines `log` already holds. Throws FileError
  // when `path` is one of the recordings or of the command's own files (the
  // log would replace it), or cannot be created.
  void openFile(const std::string& path, const HiddenLog& log, const std::vector<std::string>& recordings,
                const std::vector<std::string>& commandFiles);
  // Sends every line appended to `log` from now on to the terminal and the file.
  void attach(HiddenLog& log);
  // Why a line could not be written to the file ("" while every line was).
  const std::string& fileError() const { return fileError_; }

 private:
  void writeToFile(const std::string& line);

  Show show_;
  std::string path_;
  std::ofstream file_;
  std::string fileError_;
};

}  // namespace vk2::cli
