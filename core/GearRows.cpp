#include "core/GearRows.h"

ListRows GearRows::Rows(const clsSubCategory &subCategory, bool useGP)
{
    ListRows rows;
    rows.Columns = Columns;
    if (!subCategory.Items)
        return rows;
    rows.Cells.reserve(std::size_t(subCategory.Items->Count()) * Columns);
    // The cells view the catalogue's texts, which the rows keep alive.
    rows.Texts = subCategory.TextsOwner();
    for (const clsItem *item : *subCategory.Items) {
        const int r = rows.AddRow();
        rows.At(r, 0) = item->Name();
        rows.At(r, 1) = item->Reference();
        rows.At(r, 2) = std::int64_t(useGP ? item->Cost_GP : item->Cost_BP);
        rows.At(r, 3) = std::int64_t(item->Cost_Dollar);
        rows.At(r, 4) = OneDecimal{item->Weight_lb};
    }
    return rows;
}
