#pragma once
// Numbers in the texts the tool writes for machines and readers alike: the
// converter's command lines, the subtitle script, the logs, the track files, and
// the converter's output read back. '.' is the decimal point whatever the
// locale: the Qt program runs under the user's, whose LC_NUMERIC printf, strtod
// and sscanf follow (a German user's "30,0000" is no frame rate to the
// converter). Nothing here reads the C locale.
#include <optional>
#include <string>
#include <string_view>

namespace vk2 {

// printf's "%W.Df" in the "C" locale: `value` with `decimals` digits after '.'
// (0 to 100), right-aligned with blanks to `width` characters; "nan", "inf" and
// "-0.00" as printf writes them.
std::string fixedNumber(double value, int decimals, int width = 0);

// printf's "%.Pg" in the "C" locale (P from 1 to 100).
std::string generalNumber(double value, int precision);

// "62", "02.50", "-0.5": digits with an optional '-' and fraction, the whole text,
// as a finite number; nullopt for anything else (a blank, an exponent, "nan", ",").
std::optional<double> decimalNumber(std::string_view text);

}  // namespace vk2
