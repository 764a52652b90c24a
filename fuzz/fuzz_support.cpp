#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vk2::fuzz {

namespace fs = std::filesystem;

Controls::Controls(const uint8_t* data, std::size_t size) {
  const std::size_t n = std::min(size, kControlBytes);
  if (n > 0) std::memcpy(bytes_, data, n);
  body_ = data + n;
  bodySize_ = size - n;
}

uint8_t Controls::byte() {
  // Past the end the controls start over: every harness reads fewer than it has.
  const uint8_t b = bytes_[next_ % kControlBytes];
  ++next_;
  return b;
}

uint16_t Controls::u16() {
  const uint16_t low = byte();
  return static_cast<uint16_t>(low | (byte() << 8));
}

std::vector<std::vector<uint8_t>> splitFiles(const uint8_t* body, std::size_t size, std::size_t maxPieces) {
  std::vector<std::vector<uint8_t>> pieces;
  const uint8_t* end = body + size;
  const auto* sep = reinterpret_cast<const uint8_t*>(kFileSeparator);
  const std::size_t sepSize = std::strlen(kFileSeparator);
  const uint8_t* at = body;
  while (pieces.size() + 1 < maxPieces) {
    const uint8_t* found = std::search(at, end, sep, sep + sepSize);
    if (found == end) break;
    pieces.emplace_back(at, found);
    at = found + sepSize;
  }
  pieces.emplace_back(at, end);
  return pieces;
}

PlainConversionOptions optionsFrom(Controls& c) {
  PlainConversionOptions o;
  const uint8_t a = c.byte(), b = c.byte(), d = c.byte();
  const auto bit = [](uint8_t v, int i) { return ((v >> i) & 1) != 0; };
  o.audio = bit(a, 0);
  o.timeLocal = bit(a, 1);
  o.vehicleNo = bit(a, 2);
  o.gsensor = bit(a, 3);
  o.dateTime = bit(a, 4);
  o.direction = bit(a, 5);
  o.speed = bit(a, 6);
  o.rpm = bit(a, 7);
  o.latLong = bit(b, 0);
  o.fcw = bit(b, 1);
  o.ldw = bit(b, 2);
  o.fpw = bit(b, 3);
  o.fvsa = bit(b, 4);
  o.alarmGsensor = bit(b, 5);
  o.overSpeeding = bit(b, 6);
  o.panic = bit(b, 7);
  o.speedKmh = bit(d, 0);
  o.subLocal = bit(d, 1);
  o.sub12h = bit(d, 2);
  o.dateFormat = ((d >> 3) % 6) - 1;  // -1 (none) .. 4 (one past the list)
  o.subtitles = static_cast<SubtitleDelivery>((d >> 6) & 3);
  return o;
}

namespace {

std::string& scratchPath() {
  static std::string path;
  return path;
}

void removeScratch() {
  std::error_code ec;
  if (!scratchPath().empty()) fs::remove_all(scratchPath(), ec);
}

}  // namespace

const std::string& scratchFolder() {
  std::string& path = scratchPath();
  if (path.empty()) {
    std::string pattern = (fs::temp_directory_path() / "vk2fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) broken("cannot create a scratch folder under " + pattern);
    path = pattern + "/";
    std::atexit(removeScratch);
  }
  return path;
}

void clearScratch() {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(scratchFolder(), ec)) fs::remove_all(entry.path(), ec);
}

std::string scratchSubfolder(const std::string& name) {
  const std::string folder = scratchFolder() + name + "/";
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) broken("cannot create " + folder + ": " + ec.message());
  return folder;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) broken("cannot write " + path);
}

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) broken("cannot read " + path);
  std::vector<uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) broken("cannot read " + path);
  return bytes;
}

bool exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

int32_t le32(const std::vector<uint8_t>& b, std::size_t at) {
  return static_cast<int32_t>(static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
                              static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}

// Whether a record header stands whole at `at` and may be one.
bool holdsRecord(const std::vector<uint8_t>& b, std::size_t at) {
  if (at > b.size() || b.size() - at < 150) return false;
  const int32_t number = le32(b, at + 4), length = le32(b, at + 9);
  return number > 0 && number < 1000000 && length > 0 && length <= 64 * 1024 * 1024;
}

}  // namespace

CompletePayloads completePayloads(const std::vector<uint8_t>& b, bool upToCount) {
  CompletePayloads sums;
  if (b.size() < 762) return sums;
  const int32_t count = le32(b, 622);
  int32_t last = 0;
  for (std::size_t at = 4858; last < count && holdsRecord(b, at);) {
    const int32_t number = le32(b, at + 4);
    const auto length = static_cast<std::size_t>(le32(b, at + 9));
    if (length > b.size() - at - 150) break;
    const std::size_t next = at + 150 + length;
    if (number < count && !holdsRecord(b, next)) break;
    const uint8_t type = b[at + 8];
    const bool inWindow = !(upToCount && number > count);
    if (inWindow && type <= 1) sums.video += length;
    if (inWindow && type == 2) sums.audio += length;
    last = number;
    at = next;
  }
  return sums;
}

void broken(const std::string& what) {
  std::fprintf(stderr, "\nbroken promise: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace vk2::fuzz
