#pragma once

#include "core/KeyedCollection.h"
#include "core/clsSubCategory.h"

#include <memory>

class CatalogueBuilder;

class clsCategory
{
public:
    QString Name;
    // Read only: the catalogue's builder alone adds to it, so that the catalogue's index of items lists them all.
    std::unique_ptr<const KeyedCollection<clsSubCategory>> SubCategories =
        std::make_unique<KeyedCollection<clsSubCategory>>();

    void Dispose()
    {
        if (SubCategories) {
            for (clsSubCategory *sub : *SubCategories)
                sub->Dispose();
            SubCategories.reset();
        }
    }

private:
    friend class CatalogueBuilder;
    friend class GearCatalogue;
    // The collection itself was made non-const: only the public view of it is const.
    KeyedCollection<clsSubCategory> &filledSubCategories()
    {
        return const_cast<KeyedCollection<clsSubCategory> &>(*SubCategories);
    }
};

// A category whose name, after leading and trailing spaces, begins with the six letters of "gadget" in any
// letter case is costed in gadget points.
bool IsGadgetCategory(QStringView name);
