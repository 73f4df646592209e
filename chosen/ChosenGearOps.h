#pragma once

#include <QString>

#include <cstdint>

class clsGearList;

// The edits of one chosen line, addressed by its 1-based line number n (1 <= n <= number of lines). Keys stay
// "k1".."kN" in list order after each of them.
namespace ChosenGearOps {

// The key of line n: "k" and the number.
QString LineKey(qsizetype n);

void ChangeQuantity(clsGearList &gearList, std::int32_t n, std::int32_t quantity);
// Moves line n so that it ends at row t (1 <= t <= N); the other lines keep their relative order.
void MoveLine(clsGearList &gearList, std::int32_t n, std::int32_t t);
void RemoveLine(clsGearList &gearList, std::int32_t n);
// Removes the last `count` lines (at most all of them). The lines before them keep their keys, so nothing is
// renumbered: taking back a paste of many lines stays cheap.
void RemoveLastLines(clsGearList &gearList, qsizetype count);

} // namespace ChosenGearOps
