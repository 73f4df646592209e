#pragma once

#include "core/KeyedCollection.h"
#include "core/clsItem.h"

#include <memory>

class clsCategory;

class clsSubCategory
{
public:
    QString Name;
    std::unique_ptr<KeyedCollection<clsItem>> Items = std::make_unique<KeyedCollection<clsItem>>();
    clsCategory *Parent = nullptr; // not owned

    void Dispose()
    {
        if (Items) {
            for (clsItem *item : *Items)
                item->Dispose();
            Items.reset();
        }
        Parent = nullptr;
    }
};
