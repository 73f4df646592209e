#include "toolkit/ListCell.h"

#include "toolkit/NumberText.h"

#include <cmath>
#include <iterator>

namespace {

// What QString::number(n) gives, written straight into `out`.
void AppendInteger(QString &out, std::int64_t n)
{
    char16_t digits[24];
    char16_t *end = digits + std::size(digits);
    char16_t *p = end;
    std::uint64_t magnitude = n < 0 ? 0 - std::uint64_t(n) : std::uint64_t(n);
    do {
        *--p = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (n < 0)
        *--p = u'-';
    out.append(reinterpret_cast<const QChar *>(p), end - p);
}

// A whole double whose digits are those of the same 64-bit integer (negative zero keeps its own text).
bool IsPlainWhole(double d)
{
    return d == std::trunc(d) && std::fabs(d) < 9.007199254740992e15 && !(d == 0 && std::signbit(d));
}

} // namespace

void AppendCellText(QString &out, const ListCell &cell)
{
    if (const auto *text = std::get_if<QString>(&cell))
        out += *text;
    else if (const auto *n = std::get_if<std::int64_t>(&cell))
        AppendInteger(out, *n);
    else if (const auto *d = std::get_if<double>(&cell); d && IsPlainWhole(*d))
        AppendInteger(out, static_cast<std::int64_t>(*d));
    else if (!std::holds_alternative<std::monostate>(cell))
        out += CellText(cell);
}

QString CellText(const ListCell &cell)
{
    struct Visitor
    {
        QString operator()(std::monostate) const { return {}; }
        QString operator()(const QString &s) const { return OwnedText(s); }
        QString operator()(std::int64_t n) const { return QString::number(n); }
        QString operator()(OneDecimal d) const { return NumberText::FormatOneDecimal(d.Value); }
        QString operator()(double d) const
        {
            if (std::isfinite(d) && d == std::trunc(d))
                return QString::number(d, 'f', 0);
            return QString::number(d, 'g', 15);
        }
    };
    return std::visit(Visitor{}, cell);
}

QString ShownText(const QString &text)
{
    if (text.size() <= ShownTextLimit)
        return OwnedText(text);
    qsizetype cut = ShownTextLimit - 1;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}

QString CellShownText(const ListCell &cell)
{
    if (const auto *text = std::get_if<QString>(&cell))
        return ShownText(*text);
    return CellText(cell);
}

bool IsNumber(const ListCell &cell)
{
    return !std::holds_alternative<std::monostate>(cell) && !std::holds_alternative<QString>(cell);
}
