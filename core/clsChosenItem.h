#pragma once

#include "core/clsItem.h"

#include <cstdint>

// One purchase on the chosen-gear list: which item, how many, and how it was paid. The item is shared with the
// catalogue, so the line always reports the item's current values.
class clsChosenItem
{
public:
    clsItem *Item() const { return m_item; }
    void setItem(clsItem *item) { m_item = item; }
    std::int32_t Quantity() const { return m_quantity; }
    void setQuantity(std::int32_t quantity) { m_quantity = quantity; }
    bool PaidInDollars() const { return m_paidInDollars; }
    void setPaidInDollars(bool paid) { m_paidInDollars = paid; }

    // Products are formed in 64 bits so that no quantity can overflow them, then given as floating point.
    double LineWeight_lb() const { return m_item ? m_item->Weight_lb * m_quantity : 0.0; }
    double LineCost_BP() const { return pointsCost(m_item ? m_item->Cost_BP : 0); }
    double LineCost_GP() const { return pointsCost(m_item ? m_item->Cost_GP : 0); }
    double LineCost_Dollar() const
    {
        return m_item && m_paidInDollars ? double(std::int64_t(m_item->Cost_Dollar) * m_quantity) : 0.0;
    }

    void Dispose() { m_item = nullptr; }

private:
    double pointsCost(std::int16_t cost) const
    {
        return m_item && !m_paidInDollars ? double(std::int64_t(cost) * m_quantity) : 0.0;
    }

    clsItem *m_item = nullptr; // not owned
    std::int32_t m_quantity = 0;
    bool m_paidInDollars = false;
};
