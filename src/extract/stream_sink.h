#pragma once
// One output stream file of the extraction, created or truncated at construction,
// with the frames and bytes written to it. Every failure names the file.
//
// Frames gather in a buffer and reach the file in blocks of kSinkBufferSize
// bytes (a system call per frame costs more than the copy); a piece at least
// that large is written as it comes.
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

namespace vk2 {

#ifndef VK2_SMALL_BUFFERS
constexpr std::size_t kSinkBufferSize = 256u * 1024;
#else
constexpr std::size_t kSinkBufferSize = 256;  // the fuzzing build: full buffers and large pieces happen
#endif

class StreamSink {
 public:
  // Throws FileError when the file cannot be created.
  explicit StreamSink(std::string path);
  // Writes what is still buffered, as a stream that is not closed would.
  ~StreamSink();
  StreamSink(const StreamSink&) = delete;
  StreamSink& operator=(const StreamSink&) = delete;

  // Appends one frame's payload; throws FileError when it cannot be written.
  void writeFrame(const uint8_t* data, std::size_t size) {
    writeBytes(data, size);
    endFrame(size);
  }
  // The same for a payload that arrives in pieces: writeBytes() each, then
  // endFrame() with the payload's size. Only ended frames are counted.
  void endFrame(std::size_t size) {
    ++frames_;
    bytes_ += static_cast<int64_t>(size);
  }
  // Raw bytes: a header, or a piece of a frame.
  void writeBytes(const uint8_t* data, std::size_t size);
  // Flushes and closes; throws FileError when the data did not reach the file.
  void close();

  const std::string& path() const { return path_; }
  int32_t frames() const { return frames_; }
  int64_t bytes() const { return bytes_; }

 private:
  void flush();
  void writeOut(const uint8_t* data, std::size_t size);

  std::string path_;
  std::ofstream out_;
  std::unique_ptr<uint8_t[]> buffer_;
  std::size_t buffered_ = 0;
  int32_t frames_ = 0;
  int64_t bytes_ = 0;
};

}  // namespace vk2
