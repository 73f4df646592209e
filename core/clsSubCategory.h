#pragma once

#include "core/NamedCollection.h"
#include "core/clsItem.h"

#include <memory>
#include <utility>

class CatalogueBuilder;
class clsCategory;

class clsSubCategory
{
public:
    QString Name;
    // Read only: the catalogue's builder alone adds to it, so that every item is findable.
    std::unique_ptr<const NamedCollection<clsItem>> Items = std::make_unique<NamedCollection<clsItem>>();
    clsCategory *Parent = nullptr; // not owned

    clsSubCategory() = default;
    clsSubCategory(const clsSubCategory &) = delete;
    clsSubCategory &operator=(const clsSubCategory &) = delete;
    // The items (kept in the catalogue's memory) go before what keeps that memory.
    ~clsSubCategory() { Items.reset(); }

    // What keeps the texts of its catalogue alive (set by the loader): lists that show them may outlive it.
    const std::shared_ptr<const void> &TextsOwner() const { return m_textsOwner; }
    void setTextsOwner(std::shared_ptr<const void> owner) { m_textsOwner = std::move(owner); }

    void Dispose()
    {
        if (Items) {
            for (clsItem *item : *Items)
                item->Dispose();
            Items.reset();
        }
        Parent = nullptr;
    }

private:
    friend class CatalogueBuilder;
    // The collection itself was made non-const: only the public view of it is const.
    NamedCollection<clsItem> &filledItems() { return const_cast<NamedCollection<clsItem> &>(*Items); }

    std::shared_ptr<const void> m_textsOwner;
};
