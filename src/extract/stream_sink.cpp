#include "extract/stream_sink.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/uio.h>
#include <unistd.h>
#endif

#include "core/file_error.h"
#include "core/file_identity.h"

namespace vk2 {

namespace {

#ifdef _WIN32
// Without a gathered write, every piece is copied into the buffer.
constexpr bool kGatheredWrites = false;
constexpr int kOpenFlags = _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY;
#else
constexpr bool kGatheredWrites = true;
constexpr int kOpenFlags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
#endif
// Below this a piece is cheaper copied than listed.
#ifndef VK2_SMALL_BUFFERS
constexpr std::size_t kSmallestLent = 4096;
#else
constexpr std::size_t kSmallestLent = 32;  // the fuzzing build: lent and copied pieces mix
#endif
// Pieces listed before a gathered write is due anyway.
constexpr std::size_t kMostPieces = 512;

std::string failure(const char* what) {
  const int saved = errno;
  return saved != 0 ? std::string(what) + ": " + systemReason(saved) : std::string(what);
}

}  // namespace

StreamSink::StreamSink(std::string path)
    : path_(std::move(path)), buffer_(std::make_unique_for_overwrite<uint8_t[]>(kSinkBufferSize)) {
  clearForNewFile(path_);
  errno = 0;
  fd_ = ::open(path_.c_str(), kOpenFlags, 0666);
  if (fd_ < 0) throw FileError(path_, failure("cannot create"));
}

StreamSink::~StreamSink() {
  if (fd_ < 0) return;
  try {
    if (!holdsLent_) flush();
  } catch (const FileError&) {
    // A destructor cannot report it; close() is where failures are reported.
  }
  ::close(fd_);
}

void StreamSink::writeAll(const uint8_t* data, std::size_t size) {
  while (size > 0) {
    errno = 0;
    const auto step = static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30));
    const auto written = ::write(fd_, data, step);
    if (written <= 0) {
      if (written < 0 && errno == EINTR) continue;
      throw FileError(path_, failure("cannot write"));
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

void StreamSink::writeOut(const std::vector<Piece>& pieces) {
#ifdef _WIN32
  for (const Piece& p : pieces) writeAll(p.data, p.size);
#else
  std::vector<iovec> vectors;
  vectors.reserve(pieces.size());
  for (const Piece& p : pieces) vectors.push_back({const_cast<uint8_t*>(p.data), p.size});
  std::size_t first = 0;
  while (first < vectors.size()) {
    const int count = static_cast<int>(std::min<std::size_t>(vectors.size() - first, IOV_MAX));
    errno = 0;
    ssize_t written = ::writev(fd_, vectors.data() + first, count);
    if (written <= 0) {
      if (written < 0 && errno == EINTR) continue;
      throw FileError(path_, failure("cannot write"));
    }
    // A short write leaves the rest of a piece for the next round.
    while (written > 0) {
      iovec& v = vectors[first];
      const auto used = std::min<std::size_t>(v.iov_len, static_cast<std::size_t>(written));
      v.iov_base = static_cast<uint8_t*>(v.iov_base) + used;
      v.iov_len -= used;
      written -= static_cast<ssize_t>(used);
      if (v.iov_len == 0) ++first;
    }
    while (first < vectors.size() && vectors[first].iov_len == 0) ++first;
  }
#endif
}

void StreamSink::flush() {
  if (buffered_ > bufferedBeforeLent_)
    lent_.push_back({buffer_.get() + bufferedBeforeLent_, buffered_ - bufferedBeforeLent_});
  std::vector<Piece> pieces;
  pieces.swap(lent_);
  buffered_ = bufferedBeforeLent_ = 0;
  holdsLent_ = false;
  if (!pieces.empty()) writeOut(pieces);
}

void StreamSink::writeBytes(const uint8_t* data, std::size_t size) {
  if (size == 0) return;
  if (size > kSinkBufferSize - buffered_) flush();
  if (size >= kSinkBufferSize) {
    writeAll(data, size);
    return;
  }
  std::memcpy(buffer_.get() + buffered_, data, size);
  buffered_ += size;
}

void StreamSink::writeLent(const uint8_t* data, std::size_t size) {
  if (!kGatheredWrites || size < kSmallestLent) {
    writeBytes(data, size);
    return;
  }
  if (buffered_ > bufferedBeforeLent_) {
    lent_.push_back({buffer_.get() + bufferedBeforeLent_, buffered_ - bufferedBeforeLent_});
    bufferedBeforeLent_ = buffered_;
  }
  lent_.push_back({data, size});
  holdsLent_ = true;
  if (lent_.size() >= kMostPieces) flush();
}

void StreamSink::release() {
  if (holdsLent_) flush();
}

void StreamSink::close() {
  if (fd_ < 0) return;
  flush();
  const int fd = fd_;
  fd_ = -1;
  errno = 0;
  if (::close(fd) != 0) throw FileError(path_, failure("cannot write"));
}

}  // namespace vk2
