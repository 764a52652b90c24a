#pragma once
// On Windows the program works with narrow texts in the ANSI code page, as the
// converter's command line does. A name with characters that code page cannot
// show would reach the program (and the converter) with '?' in their place.
#include <string>

namespace vk2::cli {

// Windows: "" when every argument of the program's command line survives the
// ANSI code page unchanged, else a message naming the first that does not.
// Elsewhere always "".
std::string argumentOutsideAnsiCodePage();

}  // namespace vk2::cli
