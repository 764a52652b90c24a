#include "mp4/mp4_check.h"

#include <cerrno>
#include <cstdint>
#include <fstream>

#include "core/file_error.h"

namespace vk2 {

namespace {

// Box fields are big-endian.
uint32_t readU32BE(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

uint64_t readU64BE(const uint8_t* p) {
  return (static_cast<uint64_t>(readU32BE(p)) << 32) | readU32BE(p + 4);
}

struct Box {
  uint64_t offset = 0;
  uint64_t size = 0;        // header included
  uint64_t headerSize = 8;  // 16 with a 64-bit size
  std::string type;
};

// Callers only ask for bytes inside the file, so offset fits a stream offset.
bool readAt(std::ifstream& in, uint64_t offset, uint8_t* out, std::size_t n) {
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset));
  in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
  return in.gcount() == static_cast<std::streamsize>(n);
}

std::string cannotRead(uint64_t offset) { return "cannot read at offset " + std::to_string(offset); }

// A hostile type may hold any bytes; the problem text shows printable ones.
std::string typeText(const uint8_t* p) {
  std::string type;
  for (int i = 0; i < 4; ++i) type += (p[i] >= 0x20 && p[i] < 0x7F) ? static_cast<char>(p[i]) : '?';
  return type;
}

// Reads the header of the box at `offset`, which must end by `end` (the end of
// `where`). `cutOff` follows the problems that mean the file ends too early.
std::string readBox(std::ifstream& in, uint64_t offset, uint64_t end, const std::string& where,
                    const std::string& cutOff, Box& box) {
  const uint64_t left = end - offset;
  uint8_t h[16];
  if (left < 8)
    return "a box header at offset " + std::to_string(offset) + " is cut off (" + std::to_string(left) +
           " bytes left)" + cutOff;
  if (!readAt(in, offset, h, 8)) return cannotRead(offset);
  box.offset = offset;
  box.type = typeText(h + 4);
  const std::string named = "box '" + box.type + "' at offset " + std::to_string(offset);
  const uint32_t size = readU32BE(h);
  box.headerSize = size == 1 ? 16 : 8;
  if (size == 1) {
    if (left < 16) return "the 64-bit size of " + named + " is cut off" + cutOff;
    if (!readAt(in, offset + 8, h + 8, 8)) return cannotRead(offset + 8);
    box.size = readU64BE(h + 8);
  } else {
    box.size = size == 0 ? left : size;
  }
  if (box.size < box.headerSize)
    return named + " has an impossible size of " + std::to_string(box.size) + " bytes";
  if (box.size > left)
    return named + " runs past the end of " + where + " (" + std::to_string(box.size) + " bytes, " +
           std::to_string(left) + " left)" + cutOff;
  return "";
}

// The movie header's payload starts with version (1 byte) and flags (3), then
// creation and modification times, time scale and duration: all 4 bytes in
// version 0; 8, 8, 4 and 8 bytes in version 1.
std::string readDuration(std::ifstream& in, const Box& mvhd, double& durationSec) {
  const uint64_t payload = mvhd.size - mvhd.headerSize;
  uint8_t p[32];
  if (payload < 4) return "the movie header (mvhd) is too short (" + std::to_string(payload) + " bytes)";
  if (!readAt(in, mvhd.offset + mvhd.headerSize, p, 4)) return cannotRead(mvhd.offset + mvhd.headerSize);
  const int version = p[0];
  if (version > 1) return "the movie header (mvhd) has version " + std::to_string(version) + ", not 0 or 1";
  const std::size_t needed = version == 0 ? 20 : 32;
  if (payload < needed)
    return "the movie header (mvhd) is too short for version " + std::to_string(version) + " (" +
           std::to_string(payload) + " of " + std::to_string(needed) + " bytes)";
  if (!readAt(in, mvhd.offset + mvhd.headerSize, p, needed)) return cannotRead(mvhd.offset + mvhd.headerSize);
  const uint32_t timeScale = readU32BE(p + (version == 0 ? 12 : 20));
  const uint64_t duration = version == 0 ? readU32BE(p + 16) : readU64BE(p + 24);
  if (timeScale == 0) return "the movie header (mvhd) has a time scale of 0";
  durationSec = static_cast<double>(duration) / timeScale;
  return "";
}

// Only the movie box's own children are looked at: a movie header nested any
// deeper does not count.
std::string readMovie(std::ifstream& in, const Box& moov, double& durationSec) {
  const uint64_t end = moov.offset + moov.size;
  Box child;
  for (uint64_t at = moov.offset + moov.headerSize; at < end; at += child.size) {
    const std::string problem = readBox(in, at, end, "its movie box", "", child);
    if (!problem.empty()) return problem;
    if (child.type == "mvhd") return readDuration(in, child, durationSec);
  }
  return "the movie box (moov) holds no movie header (mvhd)";
}

}  // namespace

Mp4Check checkMp4File(const std::string& path) {
  Mp4Check result;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    result.problem = "cannot open the MP4: " + systemReason(errno);
    return result;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff fileSize = in.tellg();
  if (fileSize < 0) {
    result.problem = "cannot find the MP4's size";
    return result;
  }
  if (fileSize == 0) {
    result.problem = "the file is empty";
    return result;
  }
  const auto end = static_cast<uint64_t>(fileSize);
  // Every box is at least 8 bytes long, so the walk ends.
  bool movieSeen = false;
  std::string movieProblem;
  double durationSec = 0;
  Box box;
  for (uint64_t at = 0; at < end; at += box.size) {
    result.problem = readBox(in, at, end, "the file", ": the file is cut off", box);
    if (!result.problem.empty()) return result;
    if (box.type == "moov" && !movieSeen) {
      movieSeen = true;
      movieProblem = readMovie(in, box, durationSec);
    }
  }
  if (!movieSeen) {
    result.problem = "no movie box (moov): the file is cut off";
  } else if (!movieProblem.empty()) {
    result.problem = movieProblem;
  } else {
    result.complete = true;
    result.durationSec = durationSec;
  }
  return result;
}

}  // namespace vk2
