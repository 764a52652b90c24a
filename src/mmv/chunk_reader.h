#pragma once
// Sequential reading of a file through one large buffer, so that a walk over
// many small records costs a few large reads instead of several calls per
// record. Bytes are looked at in place; bytes the caller takes can be handed on
// (to an output) in the large blocks in which they were read.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>

namespace vk2 {

// Read size of the record walks: large enough that system calls do not count,
// small enough that a chunk is still in the processor's cache when it is
// written on (chunks of 1 MiB and more copied measurably slower).
#ifndef VK2_SMALL_BUFFERS
constexpr std::size_t kReadChunkSize = 256u * 1024;
#else
// The fuzzing build: the small inputs cross chunk ends, and a telemetry record
// (150 + 120 bytes) makes the buffer grow.
constexpr std::size_t kReadChunkSize = 256;
#endif

class ChunkReader {
 public:
  // Receives taken bytes, in order, in blocks of up to the chunk size.
  using Drain = std::function<void(const uint8_t* data, std::size_t size)>;

  // Reads `in` from `offset` (where it must be positioned) up to `end`, never further.
  ChunkReader(std::istream& in, uint64_t offset, uint64_t end, std::size_t chunkSize = kReadChunkSize);

  void setDrain(Drain drain) { drain_ = std::move(drain); }
  // Called before the buffer's bytes are moved or overwritten: whoever holds
  // pointers into it (pieces handed on by pass()) must be done with them.
  void setBeforeRefill(std::function<void()> hook) { beforeRefill_ = std::move(hook); }

  // The next `n` bytes, contiguous and writable, valid until the next call that
  // moves or reads; nullptr when the input ends (or fails) before them. The
  // buffer grows when `n` exceeds the chunk size.
  uint8_t* peek(std::size_t n);
  // Moves past `n` bytes that go to the drain. False when the input ends sooner.
  bool take(uint64_t n);
  // Moves past `n` bytes that go nowhere; seeks over what is not buffered.
  bool skip(uint64_t n);
  // Moves past `n` bytes that go to `to` (not the drain), in the pieces in which
  // they lie in the buffer. False when the input ends sooner.
  bool pass(uint64_t n, const Drain& to);
  // Hands every byte taken so far to the drain.
  void flush();
  // Copies the `n` bytes at file offset `offset` to `to`, from the buffer when
  // they are in it, else by a read of their own that leaves the sequential
  // reading where it was. False when they are not all in the file.
  bool readAt(uint64_t offset, uint8_t* to, std::size_t n);

  uint64_t position() const { return base_ + begin_; }
  // Bytes after the position that are already in the buffer.
  std::size_t buffered() const { return end_ - begin_; }
  std::size_t chunkSize() const { return chunkSize_; }

 private:
  // Drains what was taken, keeps the unread rest at the front and reads up to a
  // full buffer of at least `room` bytes. False when nothing more could be read.
  bool refill(std::size_t room);

  std::istream& in_;
  uint64_t fileEnd_;
  std::size_t chunkSize_;
  std::unique_ptr<uint8_t[]> buffer_;
  std::size_t capacity_ = 0;
  uint64_t base_;           // file offset of buffer_[0]
  std::size_t begin_ = 0;   // the position, inside the buffer
  std::size_t end_ = 0;     // bytes in the buffer
  std::size_t drained_ = 0;  // taken bytes from here up to begin_ are not yet drained
  Drain drain_;
  std::function<void()> beforeRefill_;
};

}  // namespace vk2
