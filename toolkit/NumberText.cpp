#include "toolkit/NumberText.h"

#include <cmath>

QString NumberText::FormatOneDecimal(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    QString s = QString::number(value, 'f', 1);
    if (s == QLatin1String("-0.0"))
        s.remove(0, 1);
    return s;
}

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
