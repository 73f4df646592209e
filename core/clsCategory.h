#pragma once

#include "core/KeyedCollection.h"
#include "core/clsSubCategory.h"

#include <memory>

class clsCategory
{
public:
    QString Name;
    std::unique_ptr<KeyedCollection<clsSubCategory>> SubCategories =
        std::make_unique<KeyedCollection<clsSubCategory>>();

    void Dispose()
    {
        if (SubCategories) {
            for (clsSubCategory *sub : *SubCategories)
                sub->Dispose();
            SubCategories.reset();
        }
    }
};

// A category whose name, after leading and trailing spaces, begins with the six letters of "gadget" in any
// letter case is costed in gadget points.
bool IsGadgetCategory(QStringView name);
