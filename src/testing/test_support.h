#pragma once
// Helpers shared by the tests: a scratch folder that removes itself, and whole
// file reads and writes.
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace vk2::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The folder, ending in a separator.
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + name; }
  // Names of the entries in the folder, sorted.
  std::vector<std::string> entries() const;

 private:
  std::string path_;
};

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
void writeText(const std::string& path, const std::string& text);
std::vector<uint8_t> readFile(const std::string& path);
std::string readText(const std::string& path);
bool fileExists(const std::string& path);
// Names of the entries in a folder, sorted.
std::vector<std::string> entriesOf(const std::string& folder);
std::vector<std::string> splitLines(const std::string& text);
// For POSIX shell command lines: the text in single quotes.
std::string shellQuoted(const std::string& text);
// What a shell command writes to its standard output.
std::string commandOutput(const std::string& command);

// Sets TZ while it lives, then restores the zone the other tests run in.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone);
  ~ScopedTimeZone();

 private:
  std::optional<std::string> saved_;
};

// Sets a locale that writes numbers with a decimal comma (German, French ...)
// while it lives, then restores the one before; active() is false where no such
// locale is installed (scripts/setup generates de_DE.UTF-8).
class ScopedDecimalComma {
 public:
  ScopedDecimalComma();
  ~ScopedDecimalComma();
  ScopedDecimalComma(const ScopedDecimalComma&) = delete;
  ScopedDecimalComma& operator=(const ScopedDecimalComma&) = delete;
  bool active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

// The message of the exception `run` throws; "" when it throws none.
template <typename Run>
std::string thrownMessage(Run&& run) {
  try {
    run();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace vk2::testing
