#include "mmv/record_walk.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <sys/stat.h>

#include "core/file_error.h"

namespace vk2 {

MmvRecordWalker::MmvRecordWalker(std::istream& in, uint64_t fileSize, std::string name,
                                 int32_t totalFrameCount)
    : in_(in), fileSize_(fileSize), name_(std::move(name)), totalFrameCount_(totalFrameCount),
      position_(kLeadingPartSize) {
  if (totalFrameCount_ <= 0) {
    finished_ = true;
    return;
  }
  if (fileSize_ < kLeadingPartSize) {
    markDamaged("file is shorter than the " + std::to_string(kLeadingPartSize) +
                "-byte leading part (" + std::to_string(fileSize_) + " bytes)");
    return;
  }
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(kLeadingPartSize));
  if (!in_) markDamaged("cannot seek to the first frame record");
}

void MmvRecordWalker::markDamaged(const std::string& reason) {
  finished_ = true;
  payloadPending_ = false;
  if (!damage_) damage_ = name_ + ": " + reason;
}

bool MmvRecordWalker::nextHeader(MmvFrameHeader& header) {
  if (payloadPending_ && !skipPayload()) return false;
  if (finished_ || totalFrameCount_ <= lastSequence_) {
    finished_ = true;
    return false;
  }
  if (fileSize_ - position_ < kFrameHeaderSize) {
    markDamaged("file ends after record " + std::to_string(lastSequence_) + " at offset " +
                std::to_string(position_) + ", before record " +
                std::to_string(totalFrameCount_) + " of totalFrameCount");
    return false;
  }
  in_.read(reinterpret_cast<char*>(header.data()), kFrameHeaderSize);
  if (in_.gcount() != static_cast<std::streamsize>(kFrameHeaderSize)) {
    markDamaged("short read of the frame header at offset " + std::to_string(position_));
    return false;
  }
  recordOffset_ = position_;
  position_ += kFrameHeaderSize;
  lastSequence_ = header.sequenceNumber();
  pendingPayload_ = header.payloadLength();
  payloadPending_ = true;
  return true;
}

bool MmvRecordWalker::checkPayload() {
  if (!payloadPending_) return false;
  if (pendingPayload_ < 0) {
    markDamaged("negative payloadLength " + std::to_string(pendingPayload_) +
                " in the record at offset " + std::to_string(recordOffset_));
    return false;
  }
  if (static_cast<uint64_t>(pendingPayload_) > fileSize_ - position_) {
    markDamaged("payloadLength " + std::to_string(pendingPayload_) + " of the record at offset " +
                std::to_string(recordOffset_) + " runs past the end of the file");
    return false;
  }
  return true;
}

bool MmvRecordWalker::readPayload(std::vector<uint8_t>& payload) {
  if (!checkPayload()) return false;
  payload.resize(static_cast<std::size_t>(pendingPayload_));
  in_.read(reinterpret_cast<char*>(payload.data()), pendingPayload_);
  if (in_.gcount() != pendingPayload_) {
    markDamaged("short read of the payload at offset " + std::to_string(position_));
    return false;
  }
  position_ += static_cast<uint64_t>(pendingPayload_);
  payloadPending_ = false;
  return true;
}

bool MmvRecordWalker::skipPayload() {
  if (!checkPayload()) return false;
  position_ += static_cast<uint64_t>(pendingPayload_);
  in_.seekg(static_cast<std::streamoff>(position_));
  payloadPending_ = false;
  if (!in_) {
    markDamaged("cannot seek past the payload at offset " + std::to_string(recordOffset_));
    return false;
  }
  return true;
}

bool MmvRecordWalker::copyPayload(std::ostream& out) {
  if (!checkPayload()) return false;
  char chunk[64 * 1024];
  int64_t left = pendingPayload_;
  while (left > 0) {
    const auto n = static_cast<std::streamsize>(std::min<int64_t>(left, sizeof chunk));
    in_.read(chunk, n);
    if (in_.gcount() != n) {
      markDamaged("short read of the payload at offset " + std::to_string(position_));
      return false;
    }
    out.write(chunk, n);
    left -= n;
    position_ += static_cast<uint64_t>(n);
  }
  payloadPending_ = false;
  return true;
}

bool holdsRecordNumber(const MmvFrameHeader& header) {
  const int32_t n = header.sequenceNumber();
  return n > 0 && n < kSequenceNumberLimit;
}

std::string strayHeaderReason(const MmvFrameHeader& header, uint64_t offset) {
  const std::string at = " at offset " + std::to_string(offset);
  if (std::all_of(header.data(), header.data() + kFrameHeaderSize, [](uint8_t b) { return b == 0; }))
    return "a zero-filled record header" + at;
  if (!holdsRecordNumber(header))
    return "the record header" + at + " has sequence number " + std::to_string(header.sequenceNumber());
  return "record " + std::to_string(header.sequenceNumber()) + at + " has payloadLength " +
         std::to_string(header.payloadLength());
}

namespace {
std::string secondsText(int64_t n) { return std::to_string(n) + (n == 1 ? " second" : " seconds"); }
}  // namespace

std::string describeEarlyEnd(const std::string& file, const EarlyEnd& end, int32_t totalFrameCount,
                             int32_t recordingSeconds) {
  const bool timed = totalFrameCount > 0 && recordingSeconds > 0;
  const int64_t kept = std::clamp<int64_t>(end.lastRecord, 0, totalFrameCount);
  const int64_t into = timed ? kept * recordingSeconds / totalFrameCount : 0;
  std::string text = file + " ends early at offset " + std::to_string(end.offset);
  if (timed) text += ", " + secondsText(into) + " into the recording";
  text += " (" + end.reason + ")";
  if (kept + 1 <= totalFrameCount) {
    text += ": records " + std::to_string(kept + 1) + " to " + std::to_string(totalFrameCount);
    if (timed) text += " (about " + secondsText(recordingSeconds - into) + ")";
    text += " are missing";
  } else {
    text += ": the records after record " + std::to_string(end.lastRecord) + " are missing";
  }
  return text;
}

std::string damageReason(const MmvRecordWalker& walker, const std::string& name) {
  if (!walker.damage()) return std::string();
  const std::string& damage = *walker.damage();
  const std::string prefix = name + ": ";
  return damage.rfind(prefix, 0) == 0 ? damage.substr(prefix.size()) : damage;
}

uint64_t fileSizeOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) throw FileError(path, systemReason(errno));
  if (!S_ISREG(st.st_mode)) throw FileError(path, "not a regular file");
  return static_cast<uint64_t>(st.st_size);
}

MmvLeadingPart readLeadingPart(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError(path, "cannot open: " + systemReason(errno));
  std::vector<uint8_t> bytes(kLeadingPartSize);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.gcount() != static_cast<std::streamsize>(bytes.size()))
    throw FileError(path, "file is shorter than the " + std::to_string(kLeadingPartSize) +
                              "-byte leading part");
  return MmvLeadingPart::fromBytes(bytes.data());
}

}  // namespace vk2
