#pragma once
// Names as a listing prints them, one item a line: a file name holding a line
// break or another control byte could otherwise forge a line of its own.
#include <string>
#include <vector>

namespace vk2 {

// `text` unchanged, or, when it holds a byte below 0x20 or 0x7F, each such byte
// as "\xHH" and each backslash doubled, so the escaped form reads back unambiguously.
std::string listingText(const std::string& text);

// A message of several lines that quotes `names`: each name in it as
// listingText gives it; the line breaks between the messages are kept.
std::string listingLines(const std::string& text, const std::vector<std::string>& names);

}  // namespace vk2
