#include "core/GearRows.h"

#include <algorithm>
#include <memory>

ListRows GearRows::Rows(const clsSubCategory &subCategory, bool useGP)
{
    ListRows rows;
    rows.Columns = Columns;
    if (!subCategory.Items)
        return rows;
    const std::size_t count = std::size_t(subCategory.Items->Count());
    rows.Cells.reserve(count * Columns);
    // The cells' texts are copies in blocks of the rows' own, since the catalogue's texts end with it.
    rows.Texts = std::make_shared<TextBlocks>(std::clamp<std::size_t>(count * 48, 256, 32768));
    TextBlocks &texts = *rows.Texts;
    for (const clsItem *item : *subCategory.Items) {
        const int r = rows.AddRow();
        rows.At(r, 0) = texts.Copy(item->Name);
        rows.At(r, 1) = texts.Copy(item->Reference);
        rows.At(r, 2) = std::int64_t(useGP ? item->Cost_GP : item->Cost_BP);
        rows.At(r, 3) = std::int64_t(item->Cost_Dollar);
        rows.At(r, 4) = OneDecimal{item->Weight_lb};
    }
    return rows;
}
