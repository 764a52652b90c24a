#pragma once
#include <stdexcept>
#include <string>

namespace vk2 {

// An input or output file that cannot be used. The text always names the file
// and the reason, e.g. "a.mmv: file is shorter than its 762-byte info block".
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& path, const std::string& reason)
      : std::runtime_error(path + ": " + reason), path_(path), reason_(reason) {}
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 protected:
  // For a refusal worded as a sentence about the file rather than "path: reason".
  FileError(const std::string& path, const std::string& reason, const std::string& text)
      : std::runtime_error(text), path_(path), reason_(reason) {}

 private:
  std::string path_;
  std::string reason_;
};

// The text of errno as a reason ("No such file or directory").
std::string systemReason(int errnum);

}  // namespace vk2
