#include "mmv/record_walk.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <sys/stat.h>

#include "core/file_error.h"
#include "mmv/recording_check.h"

namespace vk2 {

namespace {

std::string at(uint64_t offset) { return " at offset " + std::to_string(offset); }

}  // namespace

std::string implausibleHeaderReason(const MmvFrameHeader& header, uint64_t offset) {
  if (std::all_of(header.data(), header.data() + kFrameHeaderSize, [](uint8_t b) { return b == 0; }))
    return "a zero-filled record header" + at(offset);
  const int32_t n = header.sequenceNumber();
  if (n <= 0 || n >= kSequenceNumberLimit)
    return "the record header" + at(offset) + " has sequence number " + std::to_string(n);
  const int32_t length = header.payloadLength();
  if (length <= 0 || static_cast<uint64_t>(length) > kMaxPayloadSize)
    return "record " + std::to_string(n) + at(offset) + " has payloadLength " + std::to_string(length);
  return std::string();
}

MmvRecordWalker::MmvRecordWalker(std::istream& in, uint64_t fileSize, std::string name,
                                 int32_t totalFrameCount, std::size_t chunkSize)
    : name_(std::move(name)), fileSize_(fileSize), totalFrameCount_(totalFrameCount),
      position_(kLeadingPartSize), reader_(in, kLeadingPartSize, fileSize, chunkSize) {
  if (totalFrameCount_ <= 0) {
    finished_ = true;
    return;
  }
  if (fileSize_ < kLeadingPartSize) {
    position_ = fileSize_;
    endEarly("file is shorter than the " + std::to_string(kLeadingPartSize) + "-byte leading part (" +
             std::to_string(fileSize_) + " bytes)");
    return;
  }
  in.clear();
  in.seekg(static_cast<std::streamoff>(kLeadingPartSize));
  if (!in) readFailed("cannot seek to the first frame record", kLeadingPartSize);
}

void MmvRecordWalker::readFailed(const std::string& what, uint64_t offset) const {
  throw FileError(name_, what + at(offset) + " (a read error inside the file)");
}

bool MmvRecordWalker::endEarly(std::string reason) {
  finished_ = true;
  payloadPending_ = false;
  earlyEnd_ = EarlyEnd{position_, lastSequence_, std::move(reason)};
  return false;
}

std::string MmvRecordWalker::headerProblemAt(uint64_t offset, MmvFrameHeader& header) {
  const uint64_t left = fileSize_ - offset;
  if (left == 0)
    return "the file ends" + at(offset) + ", before record " + std::to_string(totalFrameCount_) +
           " of totalFrameCount";
  if (left < kFrameHeaderSize) return "the record header" + at(offset) + " is cut off by the end of the file";
  uint8_t bytes[kFrameHeaderSize];
  if (offset == reader_.position()) {
    const uint8_t* buffered = reader_.peek(kFrameHeaderSize);
    if (!buffered) readFailed("cannot read the record header", offset);
    std::copy_n(buffered, kFrameHeaderSize, bytes);
  } else if (!reader_.readAt(offset, bytes, kFrameHeaderSize)) {
    readFailed("cannot read the record header", offset);
  }
  header.assign(bytes);
  return implausibleHeaderReason(header, offset);
}

bool MmvRecordWalker::nextRecord(MmvFrameHeader& header) {
  if (payloadPending_) skipPayload();
  if (finished_) return false;
  if (lastSequence_ >= totalFrameCount_) {
    finished_ = true;
    return false;
  }
  const uint64_t offset = position_;
  if (std::string problem = headerProblemAt(offset, header); !problem.empty()) return endEarly(std::move(problem));
  const int32_t length = header.payloadLength();
  const uint64_t end = offset + kFrameHeaderSize + static_cast<uint64_t>(length);
  if (end > fileSize_)
    return endEarly("payloadLength " + std::to_string(length) + " of record " +
                    std::to_string(header.sequenceNumber()) + at(offset) + " runs past the end of the file");
  if (header.sequenceNumber() < totalFrameCount_) {
    // Not the last by count: the header after it must hold a record, or this
    // one may be what a power cut left half written. A record that fits in a
    // chunk is read with the header after it; a larger one looks ahead on its own.
    const uint64_t span = end + kFrameHeaderSize - offset;
    if (span > reader_.buffered() && span <= reader_.chunkSize() && end + kFrameHeaderSize <= fileSize_ &&
        !reader_.peek(static_cast<std::size_t>(span)))
      readFailed("cannot read the record", offset);
    MmvFrameHeader following;
    if (std::string problem = headerProblemAt(end, following); !problem.empty())
      return endEarly(problem + "; record " + std::to_string(header.sequenceNumber()) + " before it, at offset " +
                      std::to_string(offset) + ", may be cut off and is left out");
  }
  recordOffset_ = offset;
  position_ += kFrameHeaderSize;
  lastSequence_ = header.sequenceNumber();
  pendingPayload_ = length;
  payloadPending_ = true;
  ++records_;
  return true;
}

void MmvRecordWalker::payloadDone() {
  position_ += static_cast<uint64_t>(pendingPayload_);
  payloadPending_ = false;
}

const uint8_t* MmvRecordWalker::viewPayload() {
  // The header is still in front of the reader, so the record is peeked whole.
  const std::size_t record = kFrameHeaderSize + static_cast<std::size_t>(pendingPayload_);
  const uint8_t* bytes = reader_.peek(record);
  if (!bytes) readFailed("cannot read the payload", position_);
  reader_.skip(record);  // inside the buffer: the bytes stay where they are
  payloadDone();
  return bytes + kFrameHeaderSize;
}

void MmvRecordWalker::readPayload(std::vector<uint8_t>& payload) {
  const int32_t length = pendingPayload_;
  const uint8_t* data = viewPayload();
  payload.assign(data, data + length);
}

void MmvRecordWalker::passPayload(const ChunkReader::Drain& to) {
  reader_.skip(kFrameHeaderSize);  // buffered since nextRecord
  if (!reader_.pass(static_cast<uint64_t>(pendingPayload_), to)) readFailed("cannot read the payload", position_);
  payloadDone();
}

void MmvRecordWalker::skipPayload() {
  const bool skipped = reader_.skip(kFrameHeaderSize + static_cast<uint64_t>(pendingPayload_));
  payloadDone();
  if (!skipped) readFailed("cannot seek past the payload", recordOffset_);
}

void MmvRecordWalker::passRecord(const MmvFrameHeader& header) {
  uint8_t* bytes = reader_.peek(kFrameHeaderSize);  // still buffered since nextRecord
  if (!bytes) readFailed("cannot read the record header", recordOffset_);
  std::memcpy(bytes, header.data(), kFrameHeaderSize);
  if (!reader_.take(kFrameHeaderSize + static_cast<uint64_t>(pendingPayload_)))
    readFailed("cannot read the payload", position_);
  payloadDone();
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

std::string unusableReason(const std::string& path) {
  const uint64_t size = fileSizeOf(path);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError(path, "cannot open: " + systemReason(errno));
  constexpr std::size_t kNeeded = kInfoBlockOffset + kInfoBlockSize;
  std::vector<uint8_t> bytes(kNeeded);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.gcount() != static_cast<std::streamsize>(bytes.size()))
    throw FileError(path, "file is shorter than its " + std::to_string(kNeeded) + "-byte file header and info block");
  MmvInfoBlock info;
  info.assign(bytes.data() + kInfoBlockOffset);
  if (const std::string why = notRecordingReason(path, size, info); !why.empty())
    return "is not an MMV recording: " + why;
  if (info.totalFrameCount() <= 0) return "holds no record (totalFrameCount is " + std::to_string(info.totalFrameCount()) + ")";
  // Small reads: only the first record and the header after it are wanted.
  MmvRecordWalker walker(in, size, path, info.totalFrameCount(), 4096);
  MmvFrameHeader header;
  if (walker.nextRecord(header)) return std::string();
  return "holds no complete record (" + walker.earlyEnd()->reason + ")";
}

uint64_t fileSizeOf(const std::string& path) {
#ifdef _WIN32
  // The C library's plain stat holds the size in 32 bits there; a merged drive passes 4 GiB.
  struct _stat64 st;
  if (::_stat64(path.c_str(), &st) != 0) throw FileError(path, systemReason(errno));
#else
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) throw FileError(path, systemReason(errno));
#endif
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
