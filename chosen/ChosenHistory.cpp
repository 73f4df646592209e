#include "chosen/ChosenHistory.h"

#include "chosen/ChosenGearOps.h"
#include "core/clsGearList.h"

#include <QUndoCommand>

namespace {

// A purchase or a paste: lines appended at the end. While it is undone nothing after it is in the list, so its
// lines are the last ones.
class AppendCommand final : public QUndoCommand
{
public:
    AppendCommand(clsGearList &gearList, std::vector<ChosenLine> lines)
        : m_gearList(gearList), m_lines(std::move(lines))
    {
    }
    void redo() override
    {
        for (const ChosenLine &line : m_lines)
            m_gearList.AddChosenItem(line.Item, line.Quantity, line.PaidInDollars);
    }
    void undo() override { ChosenGearOps::RemoveLastLines(m_gearList, qsizetype(m_lines.size())); }

private:
    clsGearList &m_gearList;
    const std::vector<ChosenLine> m_lines;
};

class QuantityCommand final : public QUndoCommand
{
public:
    QuantityCommand(clsGearList &gearList, std::int32_t n, std::int32_t before, std::int32_t after)
        : m_gearList(gearList), m_n(n), m_before(before), m_after(after)
    {
    }
    void redo() override { ChosenGearOps::ChangeQuantity(m_gearList, m_n, m_after); }
    void undo() override { ChosenGearOps::ChangeQuantity(m_gearList, m_n, m_before); }

private:
    clsGearList &m_gearList;
    const std::int32_t m_n, m_before, m_after;
};

// Moving the line back from t to n restores the order: the other lines kept theirs.
class MoveCommand final : public QUndoCommand
{
public:
    MoveCommand(clsGearList &gearList, std::int32_t n, std::int32_t t) : m_gearList(gearList), m_n(n), m_t(t) {}
    void redo() override { ChosenGearOps::MoveLine(m_gearList, m_n, m_t); }
    void undo() override { ChosenGearOps::MoveLine(m_gearList, m_t, m_n); }

private:
    clsGearList &m_gearList;
    const std::int32_t m_n, m_t;
};

// The removed line's values are kept here, not the line itself (removal disposes of it); undo buys it again and
// moves it back into its row.
class RemoveCommand final : public QUndoCommand
{
public:
    RemoveCommand(clsGearList &gearList, std::int32_t n, ChosenLine line) : m_gearList(gearList), m_n(n), m_line(line)
    {
    }
    void redo() override { ChosenGearOps::RemoveLine(m_gearList, m_n); }
    void undo() override
    {
        m_gearList.AddChosenItem(m_line.Item, m_line.Quantity, m_line.PaidInDollars);
        const auto last = std::int32_t(m_gearList.ChosenGear()->Count());
        if (last != m_n)
            ChosenGearOps::MoveLine(m_gearList, last, m_n);
    }

private:
    clsGearList &m_gearList;
    const std::int32_t m_n;
    const ChosenLine m_line;
};

} // namespace

ChosenHistory::ChosenHistory(clsGearList &gearList) : m_gearList(gearList) {}

ChosenHistory::~ChosenHistory() = default;

bool ChosenHistory::IsLine(std::int32_t n) const
{
    return n >= 1 && n <= m_gearList.ChosenGear()->Count();
}

bool ChosenHistory::Purchase(clsItem *item, bool paidInDollars)
{
    return AddLines({{item, 1, paidInDollars}});
}

bool ChosenHistory::AddLines(std::vector<ChosenLine> lines)
{
    if (lines.empty())
        return false;
    m_stack.push(new AppendCommand(m_gearList, std::move(lines)));
    return true;
}

bool ChosenHistory::ChangeQuantity(std::int32_t n, std::int32_t quantity)
{
    if (!IsLine(n))
        return false;
    const std::int32_t before = m_gearList.ChosenGear()->Item(ChosenGearOps::LineKey(n)).Quantity();
    if (before == quantity)
        return false;
    m_stack.push(new QuantityCommand(m_gearList, n, before, quantity));
    return true;
}

bool ChosenHistory::MoveLine(std::int32_t n, std::int32_t t)
{
    if (!IsLine(n) || !IsLine(t) || n == t)
        return false;
    m_stack.push(new MoveCommand(m_gearList, n, t));
    return true;
}

bool ChosenHistory::RemoveLine(std::int32_t n)
{
    if (!IsLine(n))
        return false;
    const clsChosenItem &line = m_gearList.ChosenGear()->Item(ChosenGearOps::LineKey(n));
    m_stack.push(new RemoveCommand(m_gearList, n, {line.Item(), line.Quantity(), line.PaidInDollars()}));
    return true;
}

bool ChosenHistory::Undo()
{
    if (!m_stack.canUndo())
        return false;
    m_stack.undo();
    return true;
}

bool ChosenHistory::Redo()
{
    if (!m_stack.canRedo())
        return false;
    m_stack.redo();
    return true;
}
