#pragma once


#include <cstdint>
#include <optional>
#include <string_view>

// Number reading and writing for the data file and the composed texts; independent of the user's locale.
namespace Numbers {

// Plain decimal: optional sign, digits with an optional decimal point, an optional exponent; spaces around
// are allowed. Anything else (words, "inf", hex, thousands separators) does not read as a number.
std::optional<double> ParsePlain(std::string_view text);

// Nearest whole number, an exact half going to the even neighbour; empty outside -32768..32767.
std::optional<std::int16_t> RoundToInt16(double value);

} // namespace Numbers
