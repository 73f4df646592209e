#pragma once

#include "core/KeyedCollection.h"
#include "core/clsChosenItem.h"

#include <cstdint>
#include <vector>

class clsItem;

// The values of one chosen line, apart from the line object: what a purchase, a paste or an undo puts back.
struct ChosenLine
{
    clsItem *Item = nullptr; // not owned
    std::int32_t Quantity = 0;
    bool PaidInDollars = false;

    friend bool operator==(const ChosenLine &, const ChosenLine &) = default;
};

// The lines of the list, in order.
std::vector<ChosenLine> ChosenLines(const KeyedCollection<clsChosenItem> &chosenGear);
