#include "toolkit/NumberText.h"

#include <cmath>

std::optional<std::int16_t> NumberText::ToInt16(const QString &text, const QLocale &locale)
{
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const double r = std::nearbyint(value);
    if (r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}
