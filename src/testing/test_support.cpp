#include "testing/test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <clocale>
#include <ctime>
#include <random>
#include <stdexcept>

#include "core/filesystem_names.h"

namespace fs = std::filesystem;

namespace vk2::testing {

TempDir::TempDir() {
  std::random_device rd;
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path p = base / ("vk2test-" + std::to_string(rd()) + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = nameOf(p) + static_cast<char>(fs::path::preferred_separator);
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(pathOf(path_), ec);
}

std::vector<std::string> TempDir::entries() const { return entriesOf(path_); }

std::vector<std::string> entriesOf(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(pathOf(folder))) names.push_back(nameOf(e.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  return lines;
}

std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string commandOutput(const std::string& command) {
  std::string text;
#ifndef _WIN32
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) text.append(buffer, n);
    ::pclose(p);
  }
#else
  (void)command;
#endif
  return text;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void writeText(const std::string& path, const std::string& text) {
  writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string readText(const std::string& path) {
  const auto bytes = readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

namespace {
void setZone(const char* zone) {
#ifdef _WIN32
  _putenv_s("TZ", zone ? zone : "");
#else
  zone ? ::setenv("TZ", zone, 1) : ::unsetenv("TZ");
#endif
  ::tzset();
}
}  // namespace

ScopedTimeZone::ScopedTimeZone(const char* zone) {
  if (const char* old = std::getenv("TZ")) saved_ = old;
  setZone(zone);
}

ScopedTimeZone::~ScopedTimeZone() { setZone(saved_ ? saved_->c_str() : nullptr); }

ScopedDecimalComma::ScopedDecimalComma() {
  if (const char* now = std::setlocale(LC_ALL, nullptr)) saved_ = now;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "es_ES.UTF-8", "German_Germany.1252", "de-DE"}) {
    if (std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') {
      active_ = true;
      return;
    }
  }
  std::setlocale(LC_ALL, saved_.c_str());
}

ScopedDecimalComma::~ScopedDecimalComma() { std::setlocale(LC_ALL, saved_.c_str()); }

bool fileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(pathOf(path), ec);
}

}  // namespace vk2::testing
