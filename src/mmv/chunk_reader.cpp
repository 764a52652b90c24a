#include "mmv/chunk_reader.h"

#include <algorithm>
#include <cstring>
#include <istream>

namespace vk2 {

ChunkReader::ChunkReader(std::istream& in, uint64_t offset, uint64_t end, std::size_t chunkSize)
    : in_(in), fileEnd_(end), chunkSize_(std::max<std::size_t>(chunkSize, 1)), base_(offset) {}

void ChunkReader::flush() {
  if (drain_ && begin_ > drained_) drain_(buffer_.get() + drained_, begin_ - drained_);
  drained_ = begin_;
}

bool ChunkReader::refill(std::size_t room) {
  flush();
  if (beforeRefill_) beforeRefill_();
  const std::size_t rest = buffered();
  const std::size_t wanted = std::max(room, chunkSize_);
  if (capacity_ < wanted) {
    // Allocated on first use, so a walk that reads nothing costs nothing.
    auto grown = std::make_unique_for_overwrite<uint8_t[]>(wanted);
    if (rest > 0) std::memcpy(grown.get(), buffer_.get() + begin_, rest);
    buffer_ = std::move(grown);
    capacity_ = wanted;
  } else if (begin_ > 0 && rest > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, rest);
  }
  base_ += begin_;
  begin_ = drained_ = 0;
  end_ = rest;
  const uint64_t left = fileEnd_ > base_ + end_ ? fileEnd_ - (base_ + end_) : 0;
  const auto want = static_cast<std::size_t>(std::min<uint64_t>(capacity_ - end_, left));
  if (want == 0) return false;
  in_.read(reinterpret_cast<char*>(buffer_.get() + end_), static_cast<std::streamsize>(want));
  const auto got = static_cast<std::size_t>(std::max<std::streamsize>(in_.gcount(), 0));
  end_ += got;
  return got > 0;
}

uint8_t* ChunkReader::peek(std::size_t n) {
  while (buffered() < n)
    if (!refill(n)) return nullptr;
  return buffer_.get() + begin_;
}

bool ChunkReader::take(uint64_t n) {
  while (n > buffered()) {
    n -= buffered();
    begin_ = end_;
    if (!refill(0)) return false;
  }
  begin_ += static_cast<std::size_t>(n);
  return true;
}

bool ChunkReader::pass(uint64_t n, const Drain& to) {
  flush();
  for (;;) {
    const auto piece = static_cast<std::size_t>(std::min<uint64_t>(n, buffered()));
    if (piece > 0) to(buffer_.get() + begin_, piece);
    begin_ += piece;
    drained_ = begin_;
    n -= piece;
    if (n == 0) return true;
    if (!refill(0)) return false;
  }
}

bool ChunkReader::readAt(uint64_t offset, uint8_t* to, std::size_t n) {
  if (offset >= base_ && offset + n <= base_ + end_) {
    std::memcpy(to, buffer_.get() + (offset - base_), n);
    return true;
  }
  if (offset > fileEnd_ || n > fileEnd_ - offset) return false;
  // The stream stands where the buffer's bytes end; it goes back there afterwards.
  const uint64_t resume = base_ + end_;
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(offset));
  in_.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(n));
  const bool complete = in_.gcount() == static_cast<std::streamsize>(n);
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(resume));
  return complete && !in_.fail();
}

bool ChunkReader::skip(uint64_t n) {
  flush();
  if (n <= buffered()) {
    begin_ += static_cast<std::size_t>(n);
    drained_ = begin_;
    return true;
  }
  const uint64_t target = position() + n;
  if (target > fileEnd_) return false;
  base_ = target;
  begin_ = end_ = drained_ = 0;
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(target));
  return !in_.fail();
}

}  // namespace vk2
