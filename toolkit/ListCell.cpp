#include "toolkit/ListCell.h"

#include "toolkit/NumberText.h"

#include <cmath>

QString CellText(const ListCell &cell)
{
    struct Visitor
    {
        QString operator()(std::monostate) const { return {}; }
        QString operator()(const QString &s) const { return s; }
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

bool IsNumber(const ListCell &cell)
{
    return !std::holds_alternative<std::monostate>(cell) && !std::holds_alternative<QString>(cell);
}
