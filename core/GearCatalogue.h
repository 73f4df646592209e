#pragma once

#include "core/KeyedCollection.h"
#include "core/clsCategory.h"
#include "toolkit/BulkMemory.h"

#include <QStringView>

#include <cstdint>
#include <deque>
#include <memory>
#include <memory_resource>
#include <vector>

// Every item of a catalogue, found by its name and its sub-category's name (compared as the catalogue compares
// names) whatever its category: finding one costs the same at ten categories or at a hundred thousand. About
// eleven bytes an item: the items grouped by a hash of both names, with eight more bits of it each, and where each
// group begins. Making it takes no memory besides.
class GearCatalogue;

class ItemsByName
{
public:
    explicit ItemsByName(const GearCatalogue &catalogue);

    // Calls found(item) for each item of that name in a sub-category of that name (one at most per sub-category).
    template <typename Found> void ForEach(QStringView subCategory, QStringView name, Found &&found) const
    {
        const std::uint64_t mixed = mix(itemHash(name), subHash(subCategory));
        const std::size_t group = groupOf(mixed);
        const std::uint8_t tag = tagOf(mixed);
        for (std::uint32_t i = m_starts[group]; i < m_starts[group + 1]; ++i) {
            // Another name's tag differs but for one in 256: its item is not read.
            if (m_tags[i] != tag)
                continue;
            clsItem *item = m_items[i];
            if (matches(*item, subCategory, name))
                found(item);
        }
    }

private:
    friend class GearCatalogue;
    static std::uint32_t itemHash(QStringView name);
    static std::uint32_t subHash(QStringView subCategory);
    static std::uint64_t mix(std::uint32_t itemHash, std::uint32_t subHash)
    {
        return ((std::uint64_t(itemHash) << 32) | subHash) * 0x9E3779B97F4A7C15ULL;
    }
    // The high bits pick the group, the next ones the tag.
    std::size_t groupOf(std::uint64_t mixed) const { return std::size_t(mixed >> m_shift); }
    std::uint8_t tagOf(std::uint64_t mixed) const { return std::uint8_t(mixed >> (m_shift - 8)); }
    static bool matches(const clsItem &item, QStringView subCategory, QStringView name);

    unsigned m_shift = 63;
    BulkArena m_memory; // fresh pages cost much to fault in one by one
    // Group g's items are m_items[m_starts[g]] up to m_items[m_starts[g + 1]], each with its tag in m_tags.
    std::pmr::vector<std::uint32_t> m_starts{&m_memory};
    clsItem **m_items = nullptr;
    std::uint8_t *m_tags = nullptr;
};

// The categories of a loaded catalogue. Only the loader fills one (CatalogueBuilder): everyone else can only read
// it, so that the index of its items always sees every item.
class GearCatalogue : private KeyedCollection<clsCategory>
{
    using Categories = KeyedCollection<clsCategory>;

public:
    GearCatalogue();
    ~GearCatalogue();

    using Categories::begin;
    using Categories::const_iterator;
    using Categories::Contains;
    using Categories::Count;
    using Categories::end;
    using Categories::Find;
    using Categories::IsEmpty;
    using Categories::Item;

    // Made at the first call, from the catalogue as it then is: a catalogue does not change once loaded, and a paste
    // is rare, so the load pays only for the list of sub-categories. Not for two threads at once: the window's
    // thread asks.
    const ItemsByName &Items() const;

private:
    friend class CatalogueBuilder;
    friend class ItemsByName;
    // Adds the sub-category to the category under `key` (its name), and lists its items with its name's hash: the
    // index reads the list instead of walking the categories, which lie all over memory (16 bytes a sub-category).
    clsSubCategory &addSubCategory(clsCategory &category, std::unique_ptr<clsSubCategory> sub, const QString &key);
    // The builder changed the catalogue: the next call makes the index again.
    void dropItems() noexcept { m_items.reset(); }

    struct Listed
    {
        const NamedCollection<clsItem> *items; // the sub-category's, which it keeps as long as it lives
        std::uint32_t hash;
    };
    std::deque<Listed> m_subCategories;
    std::size_t m_itemCount = 0; // in all sub-categories, as the builder counted them
    mutable std::unique_ptr<const ItemsByName> m_items;
};
