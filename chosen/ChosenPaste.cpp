#include "chosen/ChosenPaste.h"

#include "chosen/ChosenView.h"
#include "core/Numbers.h"
#include "core/clsCategory.h"

#include <algorithm>
#include <cmath>

namespace {

enum Field
{
    ItemField,
    TypeField,
    ReferenceField,
    QtyField,
    GPField,
    BPField,
    DollarField,
    FieldsRead
};

// The line of `text` that starts at `pos`, without its end; `pos` moves past the end. The export ends lines with
// CR LF, a spreadsheet with LF; a lone CR counts too.
QStringView NextLine(QStringView text, qsizetype &pos)
{
    const qsizetype start = pos;
    qsizetype end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
        ++end;
    pos = end;
    if (pos < text.size() && text[pos] == u'\r')
        ++pos;
    if (pos < text.size() && text[pos] == u'\n')
        ++pos;
    return text.sliced(start, end - start);
}

// A number as the export writes it or as a spreadsheet shows it again ("0" for 0.0, or a decimal comma).
std::optional<double> ReadNumber(QStringView field)
{
    QByteArray bytes = field.toUtf8();
    bytes.replace(',', '.');
    return Numbers::ParsePlain(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

std::optional<std::int32_t> ReadQuantity(QStringView field)
{
    const std::optional<double> value = ReadNumber(field);
    if (!value || *value != std::floor(*value) || *value < 1 || *value > ChosenPaste::MaxQuantity)
        return std::nullopt;
    return std::int32_t(*value);
}

// One candidate matches whatever its Reference; among several, only a single one of the same Reference does.
clsItem *Match(const ItemsByName &items, QStringView name, QStringView type, QStringView reference)
{
    clsItem *only = nullptr;
    clsItem *sameReference = nullptr;
    int candidates = 0, sameReferences = 0;
    items.ForEach(type, name, [&](clsItem *item) {
        ++candidates;
        only = item;
        if (item->ReferenceView() == reference) {
            ++sameReferences;
            sameReference = item;
        }
    });
    if (candidates == 1)
        return only;
    return sameReferences == 1 ? sameReference : nullptr;
}

std::optional<ChosenLine> ReadLine(const QList<QStringView> &fields, const ItemsByName &items)
{
    if (fields.size() < FieldsRead)
        return std::nullopt;
    const std::optional<std::int32_t> quantity = ReadQuantity(fields[QtyField]);
    const std::optional<double> gp = ReadNumber(fields[GPField]);
    const std::optional<double> bp = ReadNumber(fields[BPField]);
    const std::optional<double> dollar = ReadNumber(fields[DollarField]);
    if (!quantity || !gp || !bp || !dollar)
        return std::nullopt;
    clsItem *item = Match(items, fields[ItemField], fields[TypeField], fields[ReferenceField]);
    if (!item)
        return std::nullopt;
    // A line paid in dollars shows no points: read against the item, zero points for an item that costs points
    // mean dollars, even at a dollar price of 0. An item that costs nothing reads the same either way.
    const bool noPoints = *gp == 0 && *bp == 0;
    const bool costsPoints = item->Cost_BP != 0 || item->Cost_GP != 0;
    return ChosenLine{item, *quantity, noPoints && (*dollar != 0 || costsPoints)};
}

bool EmptyCells(QStringView line)
{
    return line.count(u'\t') == line.size();
}

// Whether the line can be one of the export's tail: its separator ("------", every other cell empty), its totals
// line ("Totals", then three empty cells) or a line of empty cells. A spreadsheet's copy drops empty cells at the
// end of a line. None has more cells than the export's eight (a line of an item whose name holds a tab has) or a
// Qty (a line of an item of either name has one).
bool TailLine(QStringView line)
{
    if (EmptyCells(line))
        return true;
    const QList<QStringView> fields = line.split(u'\t');
    if (fields.size() > ChosenView::Columns)
        return false;
    auto empty = [&](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < std::min(to, fields.size()); ++i) {
            if (!fields[i].isEmpty())
                return false;
        }
        return true;
    };
    if (fields[ItemField] == ChosenView::SeparatorText)
        return empty(1, fields.size());
    return fields[ItemField] == ChosenView::TotalsText && empty(1, GPField);
}

} // namespace

std::optional<ChosenPaste::Result> ChosenPaste::Parse(QStringView text, const GearCatalogue &catalogue)
{
    const QString header = ChosenView::HeaderLine().chopped(2);
    qsizetype pos = 0;
    if (NextLine(text, pos) != header)
        return std::nullopt;
    std::vector<QStringView> lines;
    while (pos < text.size())
        lines.push_back(NextLine(text, pos));
    // The data end where the tail begins: a line that looks like its separator or totals line ends them only with
    // nothing else after it. An item's name may hold a line end, so that a line of the export is cut in two.
    std::size_t end = lines.size();
    while (end > 0 && TailLine(lines[end - 1]))
        --end;
    Result result;
    const ItemsByName *items = nullptr;
    for (std::size_t i = 0; i < end; ++i) {
        if (EmptyCells(lines[i]))
            continue;
        if (!items)
            items = &catalogue.Items();
        const QList<QStringView> fields = lines[i].split(u'\t');
        if (const std::optional<ChosenLine> chosen = ReadLine(fields, *items))
            result.Lines.push_back(*chosen);
        else
            result.NotAdded.append(fields[ItemField].toString());
    }
    return result;
}

QString ChosenPaste::Message(const Result &result, const std::function<QString(const QString &)> &asShown)
{
    // A message box breaks its text at LF.
    QString text = QString::number(result.Lines.size()) + QStringLiteral(" rows were added from the clipboard.");
    if (result.NotAdded.isEmpty())
        return text;
    text += QStringLiteral("\nNot added:");
    const qsizetype shown = std::min<qsizetype>(result.NotAdded.size(), MaxNamesShown);
    for (qsizetype i = 0; i < shown; ++i)
        text += QLatin1Char('\n') + (asShown ? asShown(result.NotAdded[i]) : result.NotAdded[i]);
    if (result.NotAdded.size() > shown)
        text += QStringLiteral("\nand %1 more.").arg(result.NotAdded.size() - shown);
    return text;
}
