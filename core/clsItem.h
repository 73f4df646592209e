#pragma once

#include <QString>

#include <cstdint>

class clsSubCategory;

// One piece of gear. Only the loader writes the members, while it builds the item.
class clsItem
{
public:
    QString Name;
    std::int16_t Cost_BP = 0;
    std::int16_t Cost_GP = 0;
    std::int16_t Cost_Dollar = 0;
    double Weight_lb = 0;
    QString Reference;
    clsSubCategory *Parent = nullptr; // not owned

    void Dispose() { Parent = nullptr; }
};
