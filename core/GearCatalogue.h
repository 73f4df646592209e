#pragma once

#include "core/KeyedCollection.h"
#include "core/clsCategory.h"

// The categories of a loaded catalogue. Only the loader fills one (CatalogueBuilder); the program sees it const.
class GearCatalogue : public KeyedCollection<clsCategory>
{
};
