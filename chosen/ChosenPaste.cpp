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
clsItem *Match(const KeyedCollection<clsCategory> &categories, QStringView name, QStringView type,
               QStringView reference)
{
    clsItem *only = nullptr;
    clsItem *sameReference = nullptr;
    int candidates = 0, sameReferences = 0;
    for (const clsCategory *category : categories) {
        const clsSubCategory *sub = category->SubCategories ? category->SubCategories->Find(type) : nullptr;
        clsItem *item = sub && sub->Items ? sub->Items->Find(name) : nullptr;
        if (!item)
            continue;
        ++candidates;
        only = item;
        if (item->Reference() == reference) {
            ++sameReferences;
            sameReference = item;
        }
    }
    if (candidates == 1)
        return only;
    return sameReferences == 1 ? sameReference : nullptr;
}

std::optional<ChosenLine> ReadLine(const QList<QStringView> &fields, const KeyedCollection<clsCategory> &categories)
{
    if (fields.size() < FieldsRead)
        return std::nullopt;
    const std::optional<std::int32_t> quantity = ReadQuantity(fields[QtyField]);
    const std::optional<double> gp = ReadNumber(fields[GPField]);
    const std::optional<double> bp = ReadNumber(fields[BPField]);
    const std::optional<double> dollar = ReadNumber(fields[DollarField]);
    if (!quantity || !gp || !bp || !dollar)
        return std::nullopt;
    clsItem *item = Match(categories, fields[ItemField], fields[TypeField], fields[ReferenceField]);
    if (!item)
        return std::nullopt;
    return ChosenLine{item, *quantity, *dollar != 0 && *gp == 0 && *bp == 0};
}

} // namespace

std::optional<ChosenPaste::Result> ChosenPaste::Parse(QStringView text, const KeyedCollection<clsCategory> &categories)
{
    const QString header = ChosenView::HeaderLine().chopped(2);
    qsizetype pos = 0;
    if (NextLine(text, pos) != header)
        return std::nullopt;
    Result result;
    while (pos < text.size()) {
        const QStringView line = NextLine(text, pos);
        if (line.count(u'\t') == line.size())
            continue; // a row of empty cells
        const QList<QStringView> fields = line.split(u'\t');
        const QStringView item = fields[ItemField];
        if (item == ChosenView::SeparatorText || item == ChosenView::TotalsText)
            break;
        if (const std::optional<ChosenLine> chosen = ReadLine(fields, categories))
            result.Lines.push_back(*chosen);
        else
            result.NotAdded.append(item.toString());
    }
    return result;
}

QString ChosenPaste::Message(const Result &result)
{
    // A message box breaks its text at LF.
    QString text = QString::number(result.Lines.size()) + QStringLiteral(" rows were added from the clipboard.");
    if (result.NotAdded.isEmpty())
        return text;
    text += QStringLiteral("\nNot added:");
    const qsizetype shown = std::min<qsizetype>(result.NotAdded.size(), MaxNamesShown);
    for (qsizetype i = 0; i < shown; ++i)
        text += QLatin1Char('\n') + result.NotAdded[i];
    if (result.NotAdded.size() > shown)
        text += QStringLiteral("\nand %1 more.").arg(result.NotAdded.size() - shown);
    return text;
}
