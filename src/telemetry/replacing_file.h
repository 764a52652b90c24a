#pragma once
// A file written under a working name beside its target and renamed over the
// target only once complete: a failed write leaves no partial file, and a file
// already at the target stays as it was.
#include <fstream>
#include <string>

namespace vk2 {

class ReplacingFile {
 public:
  // Creates the working file: "<target>.part", or "<target>.part-2" ... when that
  // name is taken. Throws FileError naming the target when it cannot.
  explicit ReplacingFile(std::string target);
  // Removes the working file unless commit() renamed it.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Numbers written to it use '.' and no digit grouping, whatever the locale.
  std::ostream& stream() { return out_; }
  const std::string& workingName() const { return working_; }
  // Closes the working file and renames it over the target. Throws FileError
  // naming the target when a write failed or the rename does.
  void commit();

 private:
  std::string target_;
  std::string working_;
  std::ofstream out_;
  bool committed_ = false;
};

}  // namespace vk2
