#pragma once

#include <QString>

#include <cstdint>
#include <new>

class CatalogueStore;
class clsSubCategory;

// One piece of gear. Only the loader writes the members, while it builds the item.
class clsItem
{
public:
    QString Name;
    std::int16_t Cost_BP = 0;
    std::int16_t Cost_GP = 0;
    std::int16_t Cost_Dollar = 0;

private:
    friend class CatalogueStore;
    bool m_inStore = false; // made in a catalogue's store, which frees its memory (it fits beside the costs)

public:
    double Weight_lb = 0;
    QString Reference;
    clsSubCategory *Parent = nullptr; // not owned

    void Dispose() { Parent = nullptr; }

    // Ends the item's life; its memory goes back unless a catalogue's store holds it.
    static void operator delete(clsItem *item, std::destroying_delete_t)
    {
        const bool inStore = item->m_inStore;
        item->~clsItem();
        if (!inStore)
            ::operator delete(item);
    }
};
