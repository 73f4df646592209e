#pragma once

#include "core/GearFile.h"
#include "toolkit/BulkMemory.h"

#include <QString>
#include <QStringView>

#include <cstddef>
#include <string_view>

class clsItem;

// The memory of one loaded catalogue, taken in a few large buffers instead of once per name and item, and given back
// all at once after the catalogue has been released: the texts of its names and references, and its items. A text
// kept here is made by QString::fromRawData and views the store's characters (see OwnedText for what may outlive
// the catalogue).
class CatalogueStore
{
public:
    CatalogueStore();
    ~CatalogueStore();
    CatalogueStore(const CatalogueStore &) = delete;
    CatalogueStore &operator=(const CatalogueStore &) = delete;

    // The text of `bytes` in the given encoding, kept here.
    QString Text(std::string_view bytes, GearFile::TextEncoding encoding);
    // A copy of `text`, kept here.
    QString Keep(QStringView text);

    // Where the items of one group (a sub-category) are made next to one another, whatever order they come in: so
    // that walking a group's items reads memory in order.
    struct ItemRun
    {
        std::byte *next = nullptr;
        std::byte *end = nullptr;
        std::size_t items = 0; // the size of the last run taken
    };
    // An item with every member at its initial value, kept here in the group's run: deleting it only ends its life.
    clsItem *NewItem(ItemRun &run);
    // Gives an item made here its texts, which must be kept here (made by Text or Keep): the item views them.
    static void SetTexts(clsItem &item, const QString &name, const QString &reference);

private:
    char16_t *units(std::size_t count);

    // Items apart from the texts, packed tightly: closing the program walks every item, and reading a name's
    // characters is rarer.
    BulkArena m_items;
    BulkArena m_texts;
    // Where a text that decodes to fewer units than it has bytes is decoded first, when it is not long.
    char16_t m_aside[1024];
};
