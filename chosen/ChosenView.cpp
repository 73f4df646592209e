#include "chosen/ChosenView.h"

#include "core/clsSubCategory.h"

#include <cmath>

namespace {
const QStringList &HeaderFields()
{
    static const QStringList fields = {QStringLiteral("Item"),    QStringLiteral("Type"),
                                       QStringLiteral("Reference"), QStringLiteral("Qty"),
                                       QStringLiteral("GP Cost"), QStringLiteral("BP Cost"),
                                       QStringLiteral("$ Cost"),  QStringLiteral("Weight (lbs.)")};
    return fields;
}
} // namespace

ListRows ChosenView::Rows(const KeyedCollection<clsChosenItem> &chosenGear)
{
    ListRows rows;
    rows.Columns = Columns;
    rows.Cells.reserve(std::size_t(chosenGear.Count() + 2) * Columns);
    std::int64_t totalGP = 0, totalBP = 0, totalDollar = 0;
    double totalWeight = 0;
    for (const clsChosenItem *line : chosenGear) {
        const clsItem *item = line->Item();
        const int r = rows.AddRow();
        if (item) {
            rows.At(r, 0) = item->Name;
            rows.At(r, 1) = item->Parent ? item->Parent->Name : QString();
            rows.At(r, 2) = item->Reference;
        } else {
            rows.At(r, 0) = QString();
        }
        rows.At(r, 3) = std::int64_t(line->Quantity());
        const double gp = line->LineCost_GP(), bp = line->LineCost_BP(), dollar = line->LineCost_Dollar();
        const double weight = line->LineWeight_lb();
        rows.At(r, 4) = gp;
        rows.At(r, 5) = bp;
        rows.At(r, 6) = dollar;
        rows.At(r, 7) = OneDecimal{weight};
        totalGP += std::llround(gp);
        totalBP += std::llround(bp);
        totalDollar += std::llround(dollar);
        totalWeight += weight;
    }
    if (rows.RowCount() > 0) {
        rows.At(rows.AddRow(), 0) = SeparatorText;
        const int t = rows.AddRow();
        rows.At(t, 0) = TotalsText;
        rows.At(t, 1) = QString();
        rows.At(t, 2) = QString();
        rows.At(t, 3) = QString();
        rows.At(t, 4) = totalGP;
        rows.At(t, 5) = totalBP;
        rows.At(t, 6) = totalDollar;
        rows.At(t, 7) = OneDecimal{totalWeight};
    }
    return rows;
}

QString ChosenView::HeaderLine()
{
    return HeaderFields().join(QLatin1Char('\t')) + QLatin1String("\r\n");
}

QString ChosenView::Line(const ListRows &rows, int row)
{
    if (row < 0 || row > rows.RowCount() - 1)
        return {};
    QString line;
    for (int c = 0; c < rows.Columns; ++c) {
        if (c)
            line += QLatin1Char('\t');
        line += CellText(rows.At(row, c));
    }
    return line + QLatin1String("\r\n");
}

QString ChosenView::Text(const ListRows &rows)
{
    QString text = HeaderLine();
    for (int r = 0; r < rows.RowCount(); ++r)
        text += Line(rows, r);
    return text;
}

QString ChosenView::Html(const ListRows &rows)
{
    QString html = QStringLiteral("<table>\n<tr>");
    for (const QString &h : HeaderFields())
        html += QLatin1String("<th>") + h.toHtmlEscaped() + QLatin1String("</th>");
    html += QLatin1String("</tr>\n");
    for (int r = 0; r < rows.RowCount(); ++r) {
        html += QLatin1String("<tr>");
        for (int c = 0; c < rows.Columns; ++c)
            html += QLatin1String("<td>") + CellText(rows.At(r, c)).toHtmlEscaped() + QLatin1String("</td>");
        html += QLatin1String("</tr>\n");
    }
    return html + QLatin1String("</table>\n");
}
