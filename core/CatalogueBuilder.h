#pragma once

#include "core/CatalogueStore.h"
#include "core/GearCatalogue.h"
#include "core/GearFile.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class clsSubCategory;

// Files records into a catalogue, creating each category and sub-category on first sight. Items are appended
// unchecked, since a catalogue sorted by item name fills its sub-categories a record at a time and probing each
// one's table at every record would miss the cache every time; Finish then has each sub-category it filled drop its
// second items of one name and every other item findable. A builder that ends without (on a failure or an
// exception) does the same, dropping instead the items it has no memory to make findable. So a catalogue that can
// be looked up is complete. (Written with the loader.)
class CatalogueBuilder
{
public:
    // The catalogue's texts and items are kept in `store`, which its sub-categories keep alive.
    CatalogueBuilder(GearCatalogue &catalogue, std::shared_ptr<CatalogueStore> store);
    ~CatalogueBuilder();
    CatalogueBuilder(const CatalogueBuilder &) = delete;
    CatalogueBuilder &operator=(const CatalogueBuilder &) = delete;

    // Files the record: an item without a name is not filed; neither is a second item of one name (the first stays).
    void Add(const GearFile::GearRecord &record);
    // Makes what was filed findable. Fails only for want of memory (the builder's end then drops what is not).
    void Finish();

private:
    GearCatalogue &m_catalogue;
    std::shared_ptr<CatalogueStore> m_store;

    // A record shares its category and sub-category with records shortly before it: the next ones in a catalogue
    // kept in order, or those in turn in one sorted by item name. Recent pairs are remembered by their bytes (copied,
    // since a field with doubled quotes lives in a reader buffer that the next record reuses), each in the slot that
    // a hash of the bytes picks.
    struct Pair
    {
        std::string categoryText;
        std::string subCategoryText;
        clsSubCategory *subCategory = nullptr; // none: the slot is empty
        CatalogueStore::ItemRun *run = nullptr;
        bool gadget = false;
    };
    std::vector<Pair> m_pairs;
    std::unordered_map<clsSubCategory *, CatalogueStore::ItemRun> m_runs; // each filled sub-category's
    std::vector<clsSubCategory *> m_filled; // the same sub-categories, in the order they were first filled here
    std::u16string m_scratch;               // a name decoded for a lookup
};
