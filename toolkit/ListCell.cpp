#include "toolkit/ListCell.h"

#include <cmath>

QString CellText(const ListCell &cell)
{
    struct Visitor
    {
        QString operator()(std::monostate) const { return {}; }
        QString operator()(const QString &s) const { return s; }
        QString operator()(std::int64_t n) const { return QString::number(n); }
        QString operator()(double d) const
        {
            if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.007199254740992e15)
                return QString::number(static_cast<long long>(d));
            return QString::number(d, 'g', 15);
        }
    };
    return std::visit(Visitor{}, cell);
}

bool IsNumber(const ListCell &cell)
{
    return std::holds_alternative<std::int64_t>(cell) || std::holds_alternative<double>(cell);
}
