#include "extract/stream_sink.h"

#include <cerrno>

#include "core/file_error.h"
#include "core/file_identity.h"

namespace vk2 {

namespace {
std::string failure(const char* what) {
  const int saved = errno;
  return saved != 0 ? std::string(what) + ": " + systemReason(saved) : std::string(what);
}
}  // namespace

StreamSink::StreamSink(std::string path) : path_(std::move(path)) {
  clearForNewFile(path_);
  errno = 0;
  out_.open(path_, std::ios::binary | std::ios::trunc);
  if (!out_) throw FileError(path_, failure("cannot create"));
}

void StreamSink::writeBytes(const uint8_t* data, std::size_t size) {
  errno = 0;
  out_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out_) throw FileError(path_, failure("cannot write"));
}

void StreamSink::writeFrame(const uint8_t* data, std::size_t size) {
  writeBytes(data, size);
  ++frames_;
  bytes_ += static_cast<int64_t>(size);
}

void StreamSink::close() {
  if (!out_.is_open()) return;
  errno = 0;
  out_.close();
  if (!out_) throw FileError(path_, failure("cannot write"));
}

}  // namespace vk2
