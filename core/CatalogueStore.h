#pragma once

#include "core/GearFile.h"
#include "toolkit/BulkMemory.h"
#include "toolkit/TextBlocks.h"

#include <QString>

#include <memory_resource>
#include <string_view>

class clsItem;

// The memory of one loaded catalogue, taken in a few large blocks instead of once per name, item and collection
// node, and given back all at once after the catalogue has been released: the decoded texts of its names and
// references (views into TextBlocks: nothing that may outlive the catalogue keeps one, see OwnedText), its items
// and the nodes of its item collections.
class CatalogueStore
{
public:
    CatalogueStore();
    ~CatalogueStore();
    CatalogueStore(const CatalogueStore &) = delete;
    CatalogueStore &operator=(const CatalogueStore &) = delete;

    // The text of `bytes` in the given encoding, kept here.
    QString Text(std::string_view bytes, GearFile::TextEncoding encoding);

    // An item with every member at its initial value, kept here: deleting it only ends its life.
    clsItem *NewItem();

    // Memory that is only given back with the store.
    std::pmr::memory_resource *Memory() { return &m_memory; }

private:
    BulkArena m_memory;
    TextBlocks m_texts;
};
