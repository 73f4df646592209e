#pragma once

#include "core/GearFile.h"
#include "toolkit/BulkMemory.h"
#include "toolkit/TextBlocks.h"

#include <QString>

#include <string_view>

class clsItem;

// The memory of one loaded catalogue, taken in a few large blocks instead of once per name and item, and given back
// all at once after the catalogue has been released: the decoded texts of its names and references (views into
// TextBlocks: nothing that may outlive the catalogue keeps one, see OwnedText) and its items.
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
    // Gives an item made here its texts, which it views. A text made by Text is viewed as it is; one with characters
    // of its own is copied here first.
    void SetTexts(clsItem &item, const QString &name, const QString &reference);

private:
    BulkArena m_memory;
    TextBlocks m_texts;
};
