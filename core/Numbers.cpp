#include "core/Numbers.h"

#include <charconv>
#include <cmath>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view TrimSpaces(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

std::optional<double> Numbers::ParsePlain(std::string_view text)
{
    std::string_view s = TrimSpaces(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // from_chars also takes "inf", "nan" and hex-like forms in some modes; only digits or a point may lead.
    if (s.empty() || !(IsDigit(s.front()) || (s.front() == '.' && s.size() > 1 && IsDigit(s[1]))))
        return std::nullopt;
    double value = 0;
    const char *end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, value, std::chars_format::general);
    if (ptr != end)
        return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: keep the magnitude's sense so range checks still fail or pass.
        const bool tiny = [&] {
            for (const char *p = s.data(); p != end && *p != 'e' && *p != 'E'; ++p)
                if (*p >= '1' && *p <= '9')
                    return false;
            return true;
        }();
        value = tiny ? 0.0 : HUGE_VAL;
        const auto e = s.find_first_of("eE");
        if (e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-')
            value = 0.0;
    } else if (ec != std::errc()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<std::int16_t> Numbers::RoundToInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = std::nearbyint(value); // the default rounding mode sends halves to even
    if (r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}
