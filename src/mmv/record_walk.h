#pragma once
// Sequential walk over the frame records of an MMV recording.
//
// The walk starts at offset 4858 and runs while the info block's totalFrameCount
// is greater than the last sequenceNumber read, so it ends after the record that
// reaches the count; a count of 0 or less yields nothing. It never reads past the
// end of its input: a header or payload that runs past the end, or a file that
// ends before the count is reached, ends the walk and is reported through
// damage() (file name and reason). What was read before stays usable.
//
// The file is read in large chunks (ChunkReader); headers and payloads are
// looked at in the walker's buffer, and records can be passed on from there.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/mmv_blocks.h"
#include "mmv/chunk_reader.h"

namespace vk2 {

class MmvRecordWalker {
 public:
  // `in` is positioned anywhere; the walker seeks to 4858 itself. `fileSize` is
  // the number of bytes `in` holds; `name` is used in damage reports.
  MmvRecordWalker(std::istream& in, uint64_t fileSize, std::string name, int32_t totalFrameCount,
                  std::size_t chunkSize = kReadChunkSize);

  // Reads the next frame header. False when the walk is over, normally or
  // because the file is damaged (see damage()).
  bool nextHeader(MmvFrameHeader& header);

  // The payload of the record whose header was read last. Each returns false,
  // and reports damage, when the payload length is negative or runs past the end.
  bool readPayload(std::vector<uint8_t>& payload);
  bool skipPayload();
  // The payload where it lies in the walker's buffer, valid until the next call
  // on the walker; the buffer grows for a payload larger than a chunk.
  bool viewPayload(const uint8_t*& data);
  // Hands the payload to `to` in the pieces in which it lies in the buffer (a
  // payload of any size, without copying it first).
  bool passPayload(const ChunkReader::Drain& to);
  // Hands the whole record, with `header` written over its frame header, to the
  // drain set by passTo(); the bytes go out in large blocks, at the latest on
  // flushPassed(). The drain may throw; the walk then ends with it.
  bool passRecord(const MmvFrameHeader& header);
  void passTo(ChunkReader::Drain drain) { reader_.setDrain(std::move(drain)); }
  void flushPassed() { reader_.flush(); }
  // Pieces handed on by passPayload() stay valid until this hook is called.
  void beforeBufferReuse(std::function<void()> hook) { reader_.setBeforeRefill(std::move(hook)); }
  // Whether the pending payload lies wholly inside the file; reports damage when not.
  bool payloadFits() { return checkPayload(); }

  // Offset of the current record's header in the file.
  uint64_t recordOffset() const { return recordOffset_; }
  // Offset just past what was read or skipped so far.
  uint64_t position() const { return position_; }
  int32_t lastSequenceNumber() const { return lastSequence_; }
  const std::optional<std::string>& damage() const { return damage_; }

 private:
  bool checkPayload();
  void markDamaged(const std::string& reason);
  void payloadDone();

  std::istream& in_;
  uint64_t fileSize_;
  std::string name_;
  int32_t totalFrameCount_;
  int32_t lastSequence_ = 0;
  uint64_t position_;
  uint64_t recordOffset_ = 0;
  int32_t pendingPayload_ = 0;
  bool payloadPending_ = false;
  bool finished_ = false;
  std::optional<std::string> damage_;
  // Stands at the pending record's header until its payload is dealt with.
  ChunkReader reader_;
};

// Sequence numbers at or above this, like those of 0 or less, mark a header
// that is no record: a zero-filled or overwritten tail.
constexpr int32_t kSequenceNumberLimit = 1000000;

bool holdsRecordNumber(const MmvFrameHeader& header);
// Why a header that is no record ends the walk: "a zero-filled record header at
// offset 5008", or its sequence number or payloadLength.
std::string strayHeaderReason(const MmvFrameHeader& header, uint64_t offset);

// A recording whose records stop before its totalFrameCount: a camera that lost
// power mid-recording leaves one cut off inside a record or with a zero-filled tail.
struct EarlyEnd {
  uint64_t offset = 0;        // where its complete records end
  int32_t lastRecord = 0;     // sequence number of the last complete record
  std::string reason;         // why the walk stopped there, without the file name
};

// "rec.mmv ends early at offset 12345, 4 seconds into the recording (<reason>):
// records 41 to 100 (about 6 seconds) are missing". The seconds are left out when
// the recording's length or count is unknown.
std::string describeEarlyEnd(const std::string& file, const EarlyEnd& end, int32_t totalFrameCount,
                             int32_t recordingSeconds);

// The walker's damage report without the "name: " in front.
std::string damageReason(const MmvRecordWalker& walker, const std::string& name);

// Reads the 4858-byte leading part of a file. Throws FileError naming the file
// when it cannot be opened or is shorter than 4858 bytes.
MmvLeadingPart readLeadingPart(const std::string& path);

// Size of a file in bytes; throws FileError when it cannot be examined.
uint64_t fileSizeOf(const std::string& path);

}  // namespace vk2
