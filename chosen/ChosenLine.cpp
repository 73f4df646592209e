#include "chosen/ChosenLine.h"

std::vector<ChosenLine> ChosenLines(const KeyedCollection<clsChosenItem> &chosenGear)
{
    std::vector<ChosenLine> lines;
    lines.reserve(std::size_t(chosenGear.Count()));
    for (const clsChosenItem *line : chosenGear)
        lines.push_back({line->Item(), line->Quantity(), line->PaidInDollars()});
    return lines;
}
