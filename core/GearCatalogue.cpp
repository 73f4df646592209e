#include "core/GearCatalogue.h"

#include "core/NamedCollection.h"
#include "core/clsSubCategory.h"
#include "toolkit/BulkMemory.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <limits>
#include <new>
#include <numeric>

namespace {
// Items per group on average: few names to compare for each one found.
constexpr std::size_t ItemsPerGroup = MemorySizes::Pick(4, 8);
// How far ahead the sub-categories' tables are fetched.
constexpr std::size_t Ahead = 8;
} // namespace

ItemsByName::ItemsByName(const GearCatalogue &catalogue)
{
    // The sub-categories' tables lie all over memory. They are read in two passes over the compact list of them, each
    // fetching the tables a few entries ahead meanwhile: one counts each group's items, the next places them. No name
    // is read (the hashes are those the sub-categories keep), and no memory is taken besides the index: fresh memory
    // can cost more than reading the tables twice (on a virtual machine, some 13 µs for each 4 KB page).
    const auto &listed = catalogue.m_subCategories;
    auto eachItem = [&]<bool Placing>(auto &&visit) {
        for (std::size_t n = 0; n < listed.size(); ++n) {
            if (n + 2 * Ahead < listed.size())
                __builtin_prefetch(listed[n + 2 * Ahead].items);
            if (n + Ahead < listed.size()) {
                const NamedCollection<clsItem> &ahead = *listed[n + Ahead].items;
                __builtin_prefetch(ahead.Hashes().data());
                if constexpr (Placing)
                    __builtin_prefetch(ahead.Owned().data());
            }
            const NamedCollection<clsItem> &items = *listed[n].items;
            const std::uint32_t *hashes = items.Hashes().data();
            const std::unique_ptr<clsItem> *owned = items.Owned().data();
            const std::uint32_t subHash = listed[n].hash;
            for (std::size_t i = 0, size = items.Hashes().size(); i < size; ++i)
                visit(mix(hashes[i], subHash), owned[i]);
        }
    };
    // The groups are as many as the items that the builder counted call for; what is made comes from the items
    // counted here.
    const std::size_t expected =
        std::min<std::size_t>(catalogue.m_itemCount, std::numeric_limits<std::uint32_t>::max());
    const std::size_t groups = std::bit_ceil(std::max<std::size_t>(expected / ItemsPerGroup, 2));
    m_shift = unsigned(64 - std::countr_zero(groups));
    // Each group's size, then where it ends; each item is put in front of those placed before it, so that every
    // group ends up beginning where its entry says.
    m_starts.assign(groups + 1, 0);
    std::size_t count = 0;
    eachItem.template operator()<false>([&](std::uint64_t mixed, const std::unique_ptr<clsItem> &) {
        ++m_starts[groupOf(mixed)];
        ++count;
    });
    assert(count == catalogue.m_itemCount);
    if (count >= std::numeric_limits<std::uint32_t>::max())
        throw std::bad_alloc();
    std::partial_sum(m_starts.begin(), m_starts.end(), m_starts.begin());
    m_items = static_cast<clsItem **>(m_memory.allocate(std::max<std::size_t>(count, 1) * sizeof(clsItem *)));
    m_tags = static_cast<std::uint8_t *>(m_memory.allocate(std::max<std::size_t>(count, 1)));
    eachItem.template operator()<true>([&](std::uint64_t mixed, const std::unique_ptr<clsItem> &item) {
        const std::uint32_t at = --m_starts[groupOf(mixed)];
        m_items[at] = item.get();
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
    m_subCategories.push_back({sub->Items.get(), ItemsByName::subHash(key)});
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
