#pragma once
// What every harness shares: a private scratch folder emptied after each input,
// the control bytes that steer a harness, the recordings an input holds, and
// the check that ends the process when a promise breaks.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/conversion_options.h"

namespace vk2::fuzz {

// An input starts with this many control bytes (shorter inputs are padded with
// zeros); the rest holds one or more recordings.
constexpr std::size_t kControlBytes = 64;

// Recordings in one input are separated by this text.
inline constexpr const char* kFileSeparator = "VK2-NEXT-MMV";

class Controls {
 public:
  Controls(const uint8_t* data, std::size_t size);

  uint8_t byte();
  uint16_t u16();
  int8_t i8() { return static_cast<int8_t>(byte()); }
  bool flag() { return (byte() & 1) != 0; }
  // 0 .. n-1.
  int below(int n) { return byte() % n; }

  const uint8_t* body() const { return body_; }
  std::size_t bodySize() const { return bodySize_; }

 private:
  uint8_t bytes_[kControlBytes] = {};
  std::size_t next_ = 0;
  const uint8_t* body_;
  std::size_t bodySize_;
};

// The body cut at each separator, at most `maxPieces` pieces (the last keeps the rest).
std::vector<std::vector<uint8_t>> splitFiles(const uint8_t* body, std::size_t size, std::size_t maxPieces);

// Every subtitle and time choice from the controls.
PlainConversionOptions optionsFrom(Controls& c);

// A folder of this process under TMPDIR, created on first use, removed at exit.
// Ends in a separator.
const std::string& scratchFolder();
// Removes everything in the scratch folder.
void clearScratch();
// A sub-folder of the scratch folder, created; ends in a separator.
std::string scratchSubfolder(const std::string& name);

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readBytes(const std::string& path);
bool exists(const std::string& path);
// Names in a folder, sorted.
std::vector<std::string> namesIn(const std::string& folder);

// The video and audio payload bytes of a recording's complete records, counted
// straight from its bytes, apart from the stages' own walker: a header cut off,
// numbered outside 1..999999 or with a payloadLength outside 1..64 MiB ends the
// complete records, and so does one whose payload runs past the end, or, before
// the count, one that the next header does not continue. With `upToCount`,
// records numbered above totalFrameCount are not counted (the time window of a
// recording with a known length leaves them out).
struct CompletePayloads {
  uint64_t video = 0;
  uint64_t audio = 0;
};
CompletePayloads completePayloads(const std::vector<uint8_t>& recording, bool upToCount);

// A broken promise: prints what broke and aborts, so the fuzzer keeps the input.
[[noreturn]] void broken(const std::string& what);
inline void require(bool holds, const std::string& what) {
  if (!holds) broken(what);
}

// Text of an error from a reader must name the file it is about.
inline bool names(const std::string& message, const std::string& path) {
  return message.find(path) != std::string::npos;
}

}  // namespace vk2::fuzz
