#include "core/GearCatalogue.h"

#include "core/NamedCollection.h"
#include "core/clsSubCategory.h"
#include "toolkit/BulkMemory.h"

#include <bit>
#include <limits>
#include <new>
#include <numeric>

namespace {
// Items per group on average: few names to compare for each one found.
constexpr std::size_t ItemsPerGroup = MemorySizes::Pick(4, 8);
// How far ahead the tables of sub-categories are fetched.
constexpr std::size_t Ahead = 8;
} // namespace

ItemsByName::ItemsByName(const KeyedCollection<clsCategory> &categories)
{
    // The catalogue's sub-categories and their items' tables lie all over memory: each is read once. A
    // sub-category's hash is the one its collection keeps, and an item's group comes from the hashes its
    // sub-category keeps, without reading a name.
    struct Sub
    {
        const std::uint32_t *hashes;
        const std::unique_ptr<clsItem> *items;
        std::size_t count;
        std::uint32_t hash;
    };
    BulkArena scratch;
    std::size_t subCount = 0;
    for (const clsCategory *category : categories)
        subCount += std::size_t(category->SubCategories->Count());
    std::pmr::vector<Sub> subs(&scratch);
    subs.reserve(subCount);
    std::size_t count = 0;
    for (const clsCategory *category : categories) {
        const KeyedCollection<clsSubCategory> &inCategory = *category->SubCategories;
        for (auto it = inCategory.begin(); it != inCategory.end(); ++it) {
            const NamedCollection<clsItem> &items = *(*it)->Items;
            subs.push_back(
                {items.Hashes().data(), items.Owned().data(), items.Hashes().size(), std::uint32_t(it.hash())});
            count += subs.back().count;
        }
    }
    if (count >= std::numeric_limits<std::uint32_t>::max())
        throw std::bad_alloc();
    const std::size_t groups = std::bit_ceil(std::max<std::size_t>(count / ItemsPerGroup, 2));
    m_shift = unsigned(64 - std::countr_zero(groups));
    // Each item with its group, in catalogue order, and each group's size.
    std::pmr::vector<clsItem *> inOrder(count, &scratch);
    std::pmr::vector<std::uint32_t> itemGroups(count, &scratch);
    m_starts.assign(groups + 1, 0);
    std::size_t k = 0;
    for (std::size_t s = 0; s < subs.size(); ++s) {
        // The tables of sub-categories ahead are fetched meanwhile.
        if (s + Ahead < subs.size()) {
            __builtin_prefetch(subs[s + Ahead].hashes);
            __builtin_prefetch(subs[s + Ahead].items);
        }
        const Sub &sub = subs[s];
        for (std::size_t i = 0; i < sub.count; ++i, ++k) {
            const std::uint32_t group = std::uint32_t(groupOf(sub.hashes[i], sub.hash));
            ++m_starts[group];
            itemGroups[k] = group;
            inOrder[k] = sub.items[i].get();
        }
    }
    // Where each group ends; each item is put in front of those placed before it, so that every group ends up
    // beginning where its entry says.
    std::partial_sum(m_starts.begin(), m_starts.end(), m_starts.begin());
    m_items.resize(count);
    for (std::size_t e = 0; e < count; ++e)
        m_items[--m_starts[itemGroups[e]]] = inOrder[e];
}

std::uint32_t ItemsByName::itemHash(QStringView name)
{
    return NamedCollection<clsItem>::HashOf(name);
}

std::uint32_t ItemsByName::subHash(QStringView subCategory)
{
    return std::uint32_t(FoldedKey::Hash(subCategory, CollectionTable::Seed()));
}

bool ItemsByName::matches(const clsItem &item, QStringView subCategory, QStringView name)
{
    return FoldedKey::Equal(item.NameView(), name) && item.Parent && FoldedKey::Equal(item.Parent->Name, subCategory);
}

GearCatalogue::GearCatalogue() = default;
GearCatalogue::~GearCatalogue() = default;

const ItemsByName &GearCatalogue::Items() const
{
    if (!m_items)
        m_items = std::make_unique<const ItemsByName>(*this);
    return *m_items;
}
