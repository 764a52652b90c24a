#pragma once
// Every record of a recording file, read through the walker the stages use.
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "mmv/record_walk.h"

namespace vk2::testing {

struct WalkedRecord {
  uint64_t offset = 0;
  MmvFrameHeader header;
  std::vector<uint8_t> payload;
};

inline std::vector<WalkedRecord> walkRecords(const std::string& path, std::optional<EarlyEnd>* earlyEnd = nullptr) {
  const MmvLeadingPart leading = readLeadingPart(path);
  std::ifstream in(path, std::ios::binary);
  MmvRecordWalker walker(in, fileSizeOf(path), path, leading.info.totalFrameCount());
  std::vector<WalkedRecord> out;
  WalkedRecord r;
  while (walker.nextRecord(r.header)) {
    r.offset = walker.recordOffset();
    walker.readPayload(r.payload);
    out.push_back(r);
  }
  if (earlyEnd) *earlyEnd = walker.earlyEnd();
  return out;
}

}  // namespace vk2::testing
