#pragma once
// The one walk over the frame records of an MMV recording, with the one rule for
// where its complete records end. The merge, the stream extraction, the track
// reader and the selection totals all read records through it, so they agree on
// every input, damaged or not.
//
// The walk starts at offset 4858 and runs while the info block's totalFrameCount
// is greater than the last sequenceNumber read, so it ends after the record that
// reaches the count; a count of 0 or less yields nothing. Before the count, the
// input's complete records end at a header that is cut off by the end of the
// file, zero-filled, numbered 0 or less or 1,000,000 or more, or whose
// payloadLength is 0 or less or larger than any payload (kMaxPayloadSize).
// A record is complete only when its payload lies within the file and it is
// either the input's last by totalFrameCount or the header after it passes the
// same test: a power cut leaves the record it was writing zero-filled, and only
// what follows it tells. Where the complete records end early, earlyEnd() says
// where and why; the walk never reads outside the file.
//
// The file is read in large chunks (ChunkReader); headers and payloads are
// looked at in the walker's buffer, and records can be passed on from there.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/mmv_blocks.h"
#include "mmv/chunk_reader.h"

namespace vk2 {

// Sequence numbers at or above this, like those of 0 or less, mark a header
// that is no record: a zero-filled or overwritten tail.
constexpr int32_t kSequenceNumberLimit = 1000000;

// A payload larger than this is taken for damage, whatever its type.
constexpr std::size_t kMaxPayloadSize = 64u * 1024 * 1024;

// Why a header is no record ("a zero-filled record header at offset 5008", its
// sequence number or payloadLength), or "" when it may be one.
std::string implausibleHeaderReason(const MmvFrameHeader& header, uint64_t offset);

// Where a recording's complete records end when that is before its
// totalFrameCount: a camera that lost power mid-recording leaves one cut off
// inside a record or with a zero-filled tail.
struct EarlyEnd {
  uint64_t offset = 0;        // just past the last complete record
  int32_t lastRecord = 0;     // sequence number of the last complete record, 0 for none
  std::string reason;         // why the complete records end there, without the file name
};

class MmvRecordWalker {
 public:
  // `in` is positioned anywhere; the walker seeks to 4858 itself. `fileSize` is
  // the number of bytes `in` holds; `name` names the file in errors.
  MmvRecordWalker(std::istream& in, uint64_t fileSize, std::string name, int32_t totalFrameCount,
                  std::size_t chunkSize = kReadChunkSize);

  // The next complete record, its header in `header`. Its payload is then
  // taken by one of the calls below, or skipped by the next nextRecord(). False
  // when the complete records are over: at the count, or early (earlyEnd()).
  // Every call throws FileError naming the file when a read inside the file
  // fails: that is the medium, not the recording.
  bool nextRecord(MmvFrameHeader& header);

  // The payload where it lies in the walker's buffer, valid until the next call
  // on the walker; the buffer grows for a payload larger than a chunk.
  const uint8_t* viewPayload();
  void readPayload(std::vector<uint8_t>& payload);
  void skipPayload();
  // Hands the payload to `to` in the pieces in which it lies in the buffer (a
  // payload of any size, without copying it first).
  void passPayload(const ChunkReader::Drain& to);
  // Hands the whole record, with `header` written over its frame header, to the
  // drain set by passTo(); the bytes go out in large blocks, at the latest on
  // flushPassed(). The drain may throw; the walk then ends with it.
  void passRecord(const MmvFrameHeader& header);
  void passTo(ChunkReader::Drain drain) { reader_.setDrain(std::move(drain)); }
  void flushPassed() { reader_.flush(); }
  // Pieces handed on by passPayload() stay valid until this hook is called.
  void beforeBufferReuse(std::function<void()> hook) { reader_.setBeforeRefill(std::move(hook)); }

  // Offset of the current record's header in the file.
  uint64_t recordOffset() const { return recordOffset_; }
  // Offset just past what was read or skipped so far.
  uint64_t position() const { return position_; }
  int32_t lastSequenceNumber() const { return lastSequence_; }
  // Complete records handed out so far.
  int32_t records() const { return records_; }
  // Set once the walk has found that the complete records end before the count.
  const std::optional<EarlyEnd>& earlyEnd() const { return earlyEnd_; }

 private:
  bool endEarly(std::string reason);
  // Why the header at `offset` ends the complete records ("" when it does not),
  // read into `header`.
  std::string headerProblemAt(uint64_t offset, MmvFrameHeader& header);
  void payloadDone();
  [[noreturn]] void readFailed(const std::string& what, uint64_t offset) const;

  std::string name_;
  uint64_t fileSize_;
  int32_t totalFrameCount_;
  int32_t lastSequence_ = 0;
  int32_t records_ = 0;
  uint64_t position_;
  uint64_t recordOffset_ = 0;
  int32_t pendingPayload_ = 0;
  bool payloadPending_ = false;
  bool finished_ = false;
  std::optional<EarlyEnd> earlyEnd_;
  // Stands at the pending record's header until its payload is dealt with.
  ChunkReader reader_;
};

// "rec.mmv ends early at offset 12345, 4 seconds into the recording (<reason>):
// records 41 to 100 (about 6 seconds) are missing". The seconds are left out when
// the recording's length or count is unknown.
std::string describeEarlyEnd(const std::string& file, const EarlyEnd& end, int32_t totalFrameCount,
                             int32_t recordingSeconds);

// Reads the 4858-byte leading part of a file. Throws FileError naming the file
// when it cannot be opened or is shorter than 4858 bytes.
MmvLeadingPart readLeadingPart(const std::string& path);

// Why a recording cannot be converted at all, "" when it holds a complete
// record: "is not an MMV recording: <why>", "holds no complete record (<why>)",
// or "holds no record" when its totalFrameCount is 0 or less. Reads its info
// block and the first records' headers only. Throws FileError when the file
// cannot be read or is shorter than its info block.
std::string unusableReason(const std::string& path);

// Size of a file in bytes; throws FileError when it cannot be examined.
uint64_t fileSizeOf(const std::string& path);

}  // namespace vk2
