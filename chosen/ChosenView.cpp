#include "chosen/ChosenView.h"

#include "core/clsSubCategory.h"

#include <cmath>
#include <variant>
#include <vector>

namespace {
// A text as QString::toHtmlEscaped gives it, appended to `out`.
void AppendHtmlEscaped(QString &out, QStringView text)
{
    const QChar *p = text.data();
    const QChar *end = p + text.size();
    while (p != end) {
        const QChar *plain = p;
        while (p != end && *p != u'<' && *p != u'>' && *p != u'&' && *p != u'"')
            ++p;
        out.append(plain, p - plain);
        if (p == end)
            break;
        switch (p->unicode()) {
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'&':
            out += QLatin1String("&amp;");
            break;
        default:
            out += QLatin1String("&quot;");
            break;
        }
        ++p;
    }
}

void AppendLine(QString &out, const ListRows &rows, int row)
{
    for (int c = 0; c < rows.Columns; ++c) {
        if (c)
            out += QLatin1Char('\t');
        AppendCellText(out, rows.At(row, c));
    }
    out += QLatin1String("\r\n");
}

const QStringList &HeaderFields()
{
    static const QStringList fields = {QStringLiteral("Item"),      QStringLiteral("Type"),
                                       QStringLiteral("Reference"), QStringLiteral("Qty"),
                                       QStringLiteral("GP Cost"),   QStringLiteral("BP Cost"),
                                       QStringLiteral("$ Cost"),    QStringLiteral("Weight (lbs.)")};
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
    std::vector<ListCell> &cells = rows.Cells;
    // Cells are made in place, row after row (a long list is rebuilt on every edit). They view the catalogue's
    // texts, which the rows keep alive.
    for (const clsChosenItem *line : chosenGear) {
        const clsItem *item = line->Item();
        if (item) {
            if (!rows.Texts && item->Parent)
                rows.Texts = item->Parent->TextsOwner();
            cells.emplace_back(std::in_place_type<QString>, item->Name());
            cells.emplace_back(std::in_place_type<QString>, item->Parent ? item->Parent->Name : QString());
            cells.emplace_back(std::in_place_type<QString>, item->Reference());
        } else {
            cells.emplace_back(std::in_place_type<QString>);
            cells.emplace_back();
            cells.emplace_back();
        }
        cells.emplace_back(std::in_place_type<std::int64_t>, line->Quantity());
        const double gp = line->LineCost_GP(), bp = line->LineCost_BP(), dollar = line->LineCost_Dollar();
        const double weight = line->LineWeight_lb();
        cells.emplace_back(std::in_place_type<double>, gp);
        cells.emplace_back(std::in_place_type<double>, bp);
        cells.emplace_back(std::in_place_type<double>, dollar);
        cells.emplace_back(OneDecimal{weight});
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
    AppendLine(line, rows, row);
    return line;
}

QString ChosenView::Text(const ListRows &rows)
{
    QString text = HeaderLine();
    // One text grown in place; a line of a long list is about this long.
    text.reserve(text.size() + qsizetype(rows.RowCount()) * 80);
    for (int r = 0; r < rows.RowCount(); ++r)
        AppendLine(text, rows, r);
    return text;
}

QString ChosenView::Html(const ListRows &rows)
{
    QString html = QStringLiteral("<table>\n<tr>");
    for (const QString &h : HeaderFields())
        html += QLatin1String("<th>") + h.toHtmlEscaped() + QLatin1String("</th>");
    html += QLatin1String("</tr>\n");
    html.reserve(html.size() + qsizetype(rows.RowCount()) * (rows.Columns * 9 + 80 + 10));
    for (int r = 0; r < rows.RowCount(); ++r) {
        html += QLatin1String("<tr>");
        for (int c = 0; c < rows.Columns; ++c) {
            html += QLatin1String("<td>");
            const ListCell &cell = rows.At(r, c);
            // Numbers hold nothing that needs escaping.
            if (const auto *text = std::get_if<QString>(&cell))
                AppendHtmlEscaped(html, *text);
            else
                AppendCellText(html, cell);
            html += QLatin1String("</td>");
        }
        html += QLatin1String("</tr>\n");
    }
    return html + QLatin1String("</table>\n");
}
