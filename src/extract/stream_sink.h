#pragma once
// One output stream file of the extraction, created or truncated at construction,
// with the frames and bytes written to it. Every failure names the file.
//
// Small pieces gather in a buffer and reach the file in blocks of up to
// kSinkBufferSize bytes (a system call per frame costs more than the copy).
// Large pieces lent from the reader's buffer are not copied: on POSIX they are
// written from where they lie, with the buffered ones in order, in one gathered
// write when the lender is about to reuse its buffer (release()).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
  // Writes what is still buffered, as a stream that is not closed would; lent
  // pieces not yet released are dropped, since their bytes may be gone.
  ~StreamSink();
  StreamSink(const StreamSink&) = delete;
  StreamSink& operator=(const StreamSink&) = delete;

  // Appends one frame's payload; throws FileError when it cannot be written.
  void writeFrame(const uint8_t* data, std::size_t size) {
    writeBytes(data, size);
    endFrame(size);
  }
  // The same for a payload that arrives in pieces: writeBytes() or writeLent()
  // each, then endFrame() with the payload's size. Only ended frames are counted.
  void endFrame(std::size_t size) {
    ++frames_;
    bytes_ += static_cast<int64_t>(size);
  }
  // Raw bytes: a header, or a piece of a frame. Copied before it returns.
  void writeBytes(const uint8_t* data, std::size_t size);
  // A piece whose bytes stay unchanged until release() is called.
  void writeLent(const uint8_t* data, std::size_t size);
  // Writes every lent piece (and what was buffered before it); after it the
  // lent bytes may change.
  void release();
  // Flushes and closes; throws FileError when the data did not reach the file.
  // Lent pieces must have been released.
  void close();

  const std::string& path() const { return path_; }
  int32_t frames() const { return frames_; }
  int64_t bytes() const { return bytes_; }

 private:
  struct Piece {
    const uint8_t* data;
    std::size_t size;
  };
  void flush();
  // Writes the pieces in order, then the buffered bytes after the last lent one.
  void writeOut(const std::vector<Piece>& pieces);
  void writeAll(const uint8_t* data, std::size_t size);

  std::string path_;
  int fd_ = -1;
  std::unique_ptr<uint8_t[]> buffer_;
  std::size_t buffered_ = 0;
  std::size_t bufferedBeforeLent_ = 0;  // buffered bytes already listed in lent_
  std::vector<Piece> lent_;  // buffered segments and lent pieces, in file order
  bool holdsLent_ = false;
  int32_t frames_ = 0;
  int64_t bytes_ = 0;
};

}  // namespace vk2
