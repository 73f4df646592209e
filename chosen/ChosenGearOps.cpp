#include "chosen/ChosenGearOps.h"

#include "core/clsGearList.h"

QString ChosenGearOps::LineKey(qsizetype n)
{
    return QLatin1Char('k') + QString::number(n);
}

void ChosenGearOps::ChangeQuantity(clsGearList &gearList, std::int32_t n, std::int32_t quantity)
{
    gearList.ChosenGear()->Item(LineKey(n)).setQuantity(quantity);
}

void ChosenGearOps::MoveLine(clsGearList &gearList, std::int32_t n, std::int32_t t)
{
    KeyedCollection<clsChosenItem> &chosen = *gearList.ChosenGear();
    std::unique_ptr<clsChosenItem> line = chosen.Take(LineKey(n));
    // The anchor still carries its old key; it is never the line just taken out.
    const std::int32_t anchor = t > n ? t : t - 1;
    if (anchor == 0)
        chosen.AddFirst(std::move(line), LineKey(n));
    else
        chosen.AddAfter(std::move(line), LineKey(n), LineKey(anchor));
    gearList.RenumberChosenGear();
}

void ChosenGearOps::RemoveLine(clsGearList &gearList, std::int32_t n)
{
    KeyedCollection<clsChosenItem> &chosen = *gearList.ChosenGear();
    chosen.Item(LineKey(n)).Dispose();
    chosen.Remove(LineKey(n));
    gearList.RenumberChosenGear();
}

void ChosenGearOps::RemoveLastLines(clsGearList &gearList, qsizetype count)
{
    KeyedCollection<clsChosenItem> &chosen = *gearList.ChosenGear();
    for (; count > 0 && !chosen.IsEmpty(); --count) {
        const QString key = LineKey(chosen.Count());
        chosen.Item(key).Dispose();
        chosen.Remove(key);
    }
}
