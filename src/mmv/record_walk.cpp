#include "mmv/record_walk.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <sys/stat.h>

#include "core/file_error.h"

namespace vk2 {

MmvRecordWalker::MmvRecordWalker(std::istream& in, uint64_t fileSize, std::string name,
                                 int32_t totalFrameCount, std::size_t chunkSize)
    : in_(in), fileSize_(fileSize), name_(std::move(name)), totalFrameCount_(totalFrameCount),
      position_(kLeadingPartSize), reader_(in, kLeadingPartSize, fileSize, chunkSize) {
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
  const uint8_t* bytes = reader_.peek(kFrameHeaderSize);
  if (!bytes) {
    markDamaged("short read of the frame header at offset " + std::to_string(position_));
    return false;
  }
  header.assign(bytes);
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

void MmvRecordWalker::payloadDone() {
  position_ += static_cast<uint64_t>(pendingPayload_);
  payloadPending_ = false;
}

bool MmvRecordWalker::viewPayload(const uint8_t*& data) {
  if (!checkPayload()) return false;
  // The header is still in front of the reader, so the record is peeked whole.
  const std::size_t record = kFrameHeaderSize + static_cast<std::size_t>(pendingPayload_);
  const uint8_t* bytes = reader_.peek(record);
  if (!bytes) {
    markDamaged("short read of the payload at offset " + std::to_string(position_));
    return false;
  }
  reader_.skip(record);  // inside the buffer: the bytes stay where they are
  data = bytes + kFrameHeaderSize;
  payloadDone();
  return true;
}

bool MmvRecordWalker::passPayload(const ChunkReader::Drain& to) {
  if (!checkPayload()) return false;
  reader_.skip(kFrameHeaderSize);  // buffered since nextHeader
  if (!reader_.pass(static_cast<uint64_t>(pendingPayload_), to)) {
    markDamaged("short read of the payload at offset " + std::to_string(reader_.position()));
    return false;
  }
  payloadDone();
  return true;
}

bool MmvRecordWalker::readPayload(std::vector<uint8_t>& payload) {
  const uint8_t* data = nullptr;
  const int32_t length = pendingPayload_;
  if (!viewPayload(data)) return false;
  payload.assign(data, data + length);
  return true;
}

bool MmvRecordWalker::skipPayload() {
  if (!checkPayload()) return false;
  const bool skipped = reader_.skip(kFrameHeaderSize + static_cast<uint64_t>(pendingPayload_));
  payloadDone();
  if (!skipped) {
    markDamaged("cannot seek past the payload at offset " + std::to_string(recordOffset_));
    return false;
  }
  return true;
}

bool MmvRecordWalker::passRecord(const MmvFrameHeader& header) {
  if (!checkPayload()) return false;
  uint8_t* bytes = reader_.peek(kFrameHeaderSize);  // still buffered since nextHeader
  if (!bytes) {
    markDamaged("short read of the frame header at offset " + std::to_string(recordOffset_));
    return false;
  }
  std::memcpy(bytes, header.data(), kFrameHeaderSize);
  if (!reader_.take(kFrameHeaderSize + static_cast<uint64_t>(pendingPayload_))) {
    markDamaged("short read of the payload at offset " + std::to_string(reader_.position()));
    return false;
  }
  payloadDone();
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
