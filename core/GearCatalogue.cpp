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

ItemsByName::ItemsByName(const GearCatalogue &catalogue)
{
    // The sub-categories and their tables lie all over memory: each is read once, in passes over compact lists that
    // fetch what lies a few entries ahead meanwhile. An item's group comes from the hashes its sub-category keeps,
    // without reading a name.
    const auto &named = catalogue.m_subCategories;
    BulkArena scratch;
    struct Sub
    {
        const std::uint32_t *hashes;
        const std::unique_ptr<clsItem> *items;
        std::uint32_t count;
        std::uint32_t hash;
    };
    std::pmr::vector<Sub> subs(&scratch);
    subs.reserve(named.size());
    std::size_t count = 0;
    for (std::size_t n = 0; n < named.size(); ++n) {
        if (n + 2 * Ahead < named.size())
            __builtin_prefetch(named[n + 2 * Ahead].sub);
        if (n + Ahead < named.size())
            __builtin_prefetch(named[n + Ahead].sub->Items.get());
        const NamedCollection<clsItem> &items = *named[n].sub->Items;
        subs.push_back(
            {items.Hashes().data(), items.Owned().data(), std::uint32_t(items.Hashes().size()), named[n].hash});
        count += items.Hashes().size();
    }
    if (count >= std::numeric_limits<std::uint32_t>::max())
        throw std::bad_alloc();
    const std::size_t groups = std::bit_ceil(std::max<std::size_t>(count / ItemsPerGroup, 2));
    m_shift = unsigned(64 - std::countr_zero(groups));
    // Each sub-category's items, each with the hash of both names: the tables ahead are fetched meanwhile.
    auto eachItem = [&](auto &&visit) {
        for (std::size_t s = 0; s < subs.size(); ++s) {
            if (s + Ahead < subs.size()) {
                __builtin_prefetch(subs[s + Ahead].hashes);
                __builtin_prefetch(subs[s + Ahead].items);
            }
            const Sub &sub = subs[s];
            for (std::uint32_t i = 0; i < sub.count; ++i)
                visit(mix(sub.hashes[i], sub.hash), sub.items[i].get());
        }
    };
    // Each group's size, then where it ends; each item is put in front of those placed before it, so that every
    // group ends up beginning where its entry says.
    m_starts.assign(groups + 1, 0);
    eachItem([&](std::uint64_t mixed, clsItem *) { ++m_starts[groupOf(mixed)]; });
    std::partial_sum(m_starts.begin(), m_starts.end(), m_starts.begin());
    m_items = static_cast<clsItem **>(m_memory.allocate(std::max<std::size_t>(count, 1) * sizeof(clsItem *)));
    m_tags = static_cast<std::uint8_t *>(m_memory.allocate(std::max<std::size_t>(count, 1)));
    eachItem([&](std::uint64_t mixed, clsItem *item) {
        const std::uint32_t at = --m_starts[groupOf(mixed)];
        m_items[at] = item;
        m_tags[at] = tagOf(mixed);
    });
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

clsSubCategory &GearCatalogue::addSubCategory(clsCategory &category, std::unique_ptr<clsSubCategory> sub,
                                              const QString &key)
{
    m_subCategories.push_back({sub.get(), ItemsByName::subHash(key)});
    try {
        return category.filledSubCategories().Add(std::move(sub), key);
    } catch (...) {
        m_subCategories.pop_back();
        throw;
    }
}

const ItemsByName &GearCatalogue::Items() const
{
    if (!m_items)
        m_items = std::make_unique<const ItemsByName>(*this);
    return *m_items;
}
