#pragma once
// One output stream file of the extraction, created or truncated at construction,
// with the frames and bytes written to it. Every failure names the file.
#include <cstdint>
#include <fstream>
#include <string>

namespace vk2 {

class StreamSink {
 public:
  // Throws FileError when the file cannot be created.
  explicit StreamSink(std::string path);

  // Appends one frame's payload; throws FileError when it cannot be written.
  void writeFrame(const uint8_t* data, std::size_t size);
  // Raw bytes that are not a frame (a header).
  void writeBytes(const uint8_t* data, std::size_t size);
  // Flushes and closes; throws FileError when the data did not reach the file.
  void close();

  const std::string& path() const { return path_; }
  int32_t frames() const { return frames_; }
  int64_t bytes() const { return bytes_; }

 private:
  std::string path_;
  std::ofstream out_;
  int32_t frames_ = 0;
  int64_t bytes_ = 0;
};

}  // namespace vk2
