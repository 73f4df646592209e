#pragma once

#include "core/clsSubCategory.h"
#include "toolkit/ListCell.h"

// The gear list's rows for one sub-category: name, reference, the points cost (GP for a gadget category,
// otherwise BP), the dollar cost and the weight as "0.0".
namespace GearRows {
inline constexpr int Columns = 5;
ListRows Rows(const clsSubCategory &subCategory, bool useGP);
} // namespace GearRows
