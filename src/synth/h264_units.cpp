#include "synth/h264_units.h"

namespace vk2::synth {

namespace {

struct NalUnit {
  std::size_t start;    // first byte of its start code (a leading zero included)
  std::size_t payload;  // first byte after the start code
};

std::vector<NalUnit> findNalUnits(const std::vector<uint8_t>& s) {
  std::vector<NalUnit> units;
  for (std::size_t i = 0; i + 3 <= s.size(); ++i) {
    if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1) {
      const std::size_t start = (i > 0 && s[i - 1] == 0) ? i - 1 : i;
      units.push_back({start, i + 3});
      i += 2;
    }
  }
  return units;
}

bool isSlice(int type) { return type == 1 || type == 5; }
bool opensPicture(int type) { return type == 6 || type == 7 || type == 8 || type == 9; }

}  // namespace

std::vector<AccessUnit> splitAccessUnits(const std::vector<uint8_t>& s) {
  std::vector<AccessUnit> units;
  const std::vector<NalUnit> nals = findNalUnits(s);
  AccessUnit current;
  bool open = false;
  bool hasSlice = false;
  auto close = [&](std::size_t end) {
    if (open) {
      current.length = end - current.offset;
      units.push_back(current);
    }
    current = AccessUnit{};
    open = false;
    hasSlice = false;
  };
  for (const NalUnit& nal : nals) {
    if (nal.payload >= s.size()) break;
    const int type = s[nal.payload] & 0x1F;
    // first_mb_in_slice is ue(v); a value of 0 is the single bit 1.
    const bool firstSlice =
        isSlice(type) && nal.payload + 1 < s.size() && (s[nal.payload + 1] & 0x80) != 0;
    if (hasSlice && (opensPicture(type) || firstSlice)) close(nal.start);
    if (!open) {
      current.offset = nal.start;
      open = true;
    }
    if (isSlice(type)) hasSlice = true;
    if (type == 5) current.keyFrame = true;
  }
  close(s.size());
  return units;
}

}  // namespace vk2::synth
