#include "extract/stream_sink.h"

#include <cerrno>
#include <cstring>

#include "core/file_error.h"
#include "core/file_identity.h"

namespace vk2 {

namespace {
std::string failure(const char* what) {
  const int saved = errno;
  return saved != 0 ? std::string(what) + ": " + systemReason(saved) : std::string(what);
}
}  // namespace

StreamSink::StreamSink(std::string path)
    : path_(std::move(path)), buffer_(std::make_unique_for_overwrite<uint8_t[]>(kSinkBufferSize)) {
  clearForNewFile(path_);
  errno = 0;
  out_.open(path_, std::ios::binary | std::ios::trunc);
  if (!out_) throw FileError(path_, failure("cannot create"));
}

StreamSink::~StreamSink() {
  if (out_.is_open() && buffered_ > 0)
    out_.write(reinterpret_cast<const char*>(buffer_.get()), static_cast<std::streamsize>(buffered_));
}

void StreamSink::writeOut(const uint8_t* data, std::size_t size) {
  errno = 0;
  out_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out_) throw FileError(path_, failure("cannot write"));
}

void StreamSink::flush() {
  if (buffered_ == 0) return;
  const std::size_t size = buffered_;
  buffered_ = 0;
  writeOut(buffer_.get(), size);
}

void StreamSink::writeBytes(const uint8_t* data, std::size_t size) {
  if (size == 0) return;
  if (size >= kSinkBufferSize) {
    flush();
    writeOut(data, size);
    return;
  }
  if (size > kSinkBufferSize - buffered_) flush();
  std::memcpy(buffer_.get() + buffered_, data, size);
  buffered_ += size;
}

void StreamSink::close() {
  if (!out_.is_open()) return;
  flush();
  errno = 0;
  out_.close();
  if (!out_) throw FileError(path_, failure("cannot write"));
}

}  // namespace vk2
