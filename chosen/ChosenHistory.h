#pragma once

#include "chosen/ChosenLine.h"

#include <QUndoStack>

#include <cstdint>
#include <vector>

class clsGearList;
class clsItem;

// The changes of the chosen list as steps that can be undone and redone, any number deep. Every change, and
// every undo and redo of one, goes through the list's own operations, so the keys stay k1..kN in order. Only a
// change that alters the list is a step; a new step drops the steps that could have been redone.
class ChosenHistory final
{
public:
    explicit ChosenHistory(clsGearList &gearList);
    ~ChosenHistory();
    Q_DISABLE_COPY_MOVE(ChosenHistory)

    // Each applies the change and returns whether the list changed, that is whether it made a step. Line numbers
    // outside 1..N change nothing.
    bool Purchase(clsItem *item, bool paidInDollars);
    // Appends the lines in order, as one step.
    bool AddLines(std::vector<ChosenLine> lines);
    bool ChangeQuantity(std::int32_t n, std::int32_t quantity);
    bool MoveLine(std::int32_t n, std::int32_t t);
    bool RemoveLine(std::int32_t n);

    // Each returns whether there was a step to undo or redo.
    bool Undo();
    bool Redo();

    const QUndoStack &Stack() const { return m_stack; }

private:
    bool IsLine(std::int32_t n) const;

    clsGearList &m_gearList;
    QUndoStack m_stack;
};
