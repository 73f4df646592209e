#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>

namespace NumberText {

// Text read with the locale's number parsing (sign, digits, separators, exponent), as a 16-bit whole number:
// the nearest one, an exact half going to the even neighbour. Empty when the text is not a number in range.
std::optional<std::int16_t> ToInt16(const QString &text, const QLocale &locale = QLocale());

// "0.0": at least one digit before the point, exactly one after, to the nearest tenth; never "-0.0".
QString FormatOneDecimal(double value);

} // namespace NumberText
