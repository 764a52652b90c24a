#include "core/listing_text.h"

#include <algorithm>

namespace vk2 {

namespace {

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool holdsControl(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return isControl(static_cast<unsigned char>(c)); });
}

void appendEscaped(std::string& out, unsigned char c) {
  static const char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 0xF];
}

}  // namespace

std::string listingText(const std::string& text) {
  if (!holdsControl(text)) return text;
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (isControl(c))
      appendEscaped(out, c);
    else if (c == '\\')
      out += "\\\\";
    else
      out += ch;
  }
  return out;
}

std::string listingLines(const std::string& text, const std::vector<std::string>& names) {
  std::vector<std::string> quoted;
  for (const std::string& name : names)
    if (holdsControl(name)) quoted.push_back(name);
  // The longest first, so a folder does not cut a file name inside it short.
  std::sort(quoted.begin(), quoted.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const auto name = std::find_if(quoted.begin(), quoted.end(),
                                   [&](const std::string& n) { return text.compare(at, n.size(), n) == 0; });
    if (name != quoted.end()) {
      out += listingText(*name);
      at += name->size();
      continue;
    }
    const auto c = static_cast<unsigned char>(text[at++]);
    if (c != '\n' && isControl(c))
      appendEscaped(out, c);
    else
      out += static_cast<char>(c);
  }
  return out;
}

}  // namespace vk2
