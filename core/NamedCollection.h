#pragma once

#include "core/KeyedCollection.h"

#include <cassert>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <span>
#include <utility>
#include <vector>

// An ordered collection of owned elements found by their names (T::NameView), which compare as KeyedCollection's
// keys do. It is made for a catalogue's items, a million of them: each costs a pointer, its key's hash and a slot
// of the table, and keeps no key of its own, where a KeyedCollection node holds a key and links. Elements are
// appended; a removal moves the later ones up (items are not removed while the program runs).
//
// A loader appends to many collections in turn (a catalogue sorted by item name fills each sub-category a record
// at a time), and probing each one's table at every record would miss the cache every time: the catalogue's
// builder appends unchecked (AppendUnindexed) and has each collection index its new elements at the end (Index),
// one table at a time. Until then the collection answers nothing else, so only the builder may do either, and it
// always ends with an index: where memory for the table runs out, the elements still unindexed are dropped.
class CatalogueBuilder;

template <typename T> class NamedCollection
{
    using Elements = std::vector<std::unique_ptr<T>>;

public:
    NamedCollection() = default;
    NamedCollection(const NamedCollection &) = delete;
    NamedCollection &operator=(const NamedCollection &) = delete;
    ~NamedCollection() = default;

    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T *;
        using difference_type = std::ptrdiff_t;
        using pointer = T **;
        using reference = T *;

        const_iterator() = default;
        explicit const_iterator(typename Elements::const_iterator it) : m_it(it) {}
        T *operator*() const { return m_it->get(); }
        QStringView key() const { return (*m_it)->NameView(); }
        const_iterator &operator++()
        {
            ++m_it;
            return *this;
        }
        const_iterator operator++(int)
        {
            auto old = *this;
            ++m_it;
            return old;
        }
        bool operator==(const const_iterator &o) const { return m_it == o.m_it; }

    private:
        typename Elements::const_iterator m_it;
    };

    const_iterator begin() const { return const_iterator(m_elements.cbegin()); }
    const_iterator end() const { return const_iterator(m_elements.cend()); }

    qsizetype Count() const
    {
        assert(indexed());
        return qsizetype(m_elements.size());
    }
    bool IsEmpty() const { return Count() == 0; }

    bool Contains(QStringView key) const { return Find(key) != nullptr; }

    // The element at that position, which must exist.
    T *At(qsizetype index) const
    {
        assert(indexed() && index >= 0 && std::size_t(index) < m_elements.size());
        return m_elements[std::size_t(index)].get();
    }

    // The element of that name, or nullptr.
    T *Find(QStringView key) const
    {
        assert(indexed());
        if (!m_slots)
            return nullptr;
        const std::uint32_t index = m_slots[findSlot(key, hashOf(key))];
        return index ? m_elements[index - 1].get() : nullptr;
    }

    // The element of that name; a missing name is a failure.
    T &Item(QStringView key) const
    {
        if (T *found = Find(key))
            return *found;
        CollectionTable::ThrowInvalidCall();
    }

    // Appends under the element's name. A name that is present is a failure and nothing changes.
    T &Add(std::unique_ptr<T> value) { return *insert(std::move(value), true); }

    // Appends unless the name is present; then the value is dropped and nullptr returned.
    T *TryAdd(std::unique_ptr<T> value) { return insert(std::move(value), false); }

    // The hash of a name as every collection of the process keeps it, and the ones kept for the elements, in order:
    // an index over many collections takes them instead of reading every name again.
    static std::uint32_t HashOf(QStringView key)
    {
        return std::uint32_t(FoldedKey::Hash(key, CollectionTable::Seed()));
    }
    std::span<const std::uint32_t> Hashes() const
    {
        assert(indexed());
        return m_hashes;
    }
    std::span<const std::unique_ptr<T>> Owned() const
    {
        assert(indexed());
        return m_elements;
    }

    // Takes the element of that name out of the collection and hands it to the caller.
    std::unique_ptr<T> Take(QStringView key)
    {
        assert(indexed());
        const std::uint32_t index = m_slots ? m_slots[findSlot(key, hashOf(key))] : 0;
        if (!index)
            CollectionTable::ThrowInvalidCall();
        // Every later element's index moves, so the table is made again: its room is taken before anything changes.
        auto fresh = std::make_unique<std::uint32_t[]>(slotCount());
        std::unique_ptr<T> value = std::move(m_elements[index - 1]);
        m_elements.erase(m_elements.begin() + (index - 1));
        m_hashes.erase(m_hashes.begin() + (index - 1));
        m_indexed = m_elements.size();
        fill(std::move(fresh), m_mask);
        return value;
    }

    void Remove(QStringView key) { Take(key); }

    void Clear()
    {
        m_slots.reset();
        m_mask = 0;
        m_hashes.clear();
        Elements().swap(m_elements);
        m_indexed = 0;
    }

private:
    friend class CatalogueBuilder;

    // Appends without looking at the names; Index then drops it if an earlier element has its name.
    void AppendUnindexed(std::unique_ptr<T> value)
    {
        const std::uint32_t hash = hashOf(value->NameView());
        reserveOneMore();
        m_hashes.push_back(hash);
        m_elements.push_back(std::move(value));
    }

    // Index, or where there is no memory for the table, drops the elements still unindexed instead: either way the
    // collection answers lookups again. Returns how many elements became findable.
    std::size_t IndexOrDrop() noexcept
    {
        try {
            return Index();
        } catch (const std::bad_alloc &) {
            m_hashes.resize(m_indexed);
            m_elements.resize(m_indexed);
            return 0;
        }
    }

    // Makes the elements appended by AppendUnindexed findable, in their order, except each one whose name an
    // earlier element has (it is dropped, as TryAdd would drop it). A failure (no memory for the table) changes
    // nothing. Returns how many elements became findable.
    std::size_t Index()
    {
        const std::size_t count = m_elements.size();
        if (m_indexed == count)
            return 0;
        if (count > CollectionTable::MaxLoad(slotCount()))
            rehash(CollectionTable::SlotsFor(count)); // room for all, as none may be dropped
        std::size_t kept = m_indexed;
        for (std::size_t e = m_indexed; e < count; ++e) {
            // The name is read only for an equal hash: the elements of a collection filled in turn with others
            // lie far apart in memory.
            const std::uint32_t hash = m_hashes[e];
            const std::size_t slot = findSlot(hash, [&] { return m_elements[e]->NameView(); });
            if (m_slots[slot]) {
                m_elements[e].reset();
                continue;
            }
            m_hashes[kept] = hash;
            m_elements[kept] = std::move(m_elements[e]);
            m_slots[slot] = std::uint32_t(++kept);
        }
        m_hashes.resize(kept);
        m_elements.resize(kept);
        const std::size_t added = kept - m_indexed;
        m_indexed = kept;
        return added;
    }

    bool indexed() const { return m_indexed == m_elements.size(); }
    std::size_t slotCount() const { return m_slots ? m_mask + 1 : 0; }

    // HashOf, with the seed read from here: a load hashes a million names.
    std::uint32_t hashOf(QStringView key) const { return std::uint32_t(FoldedKey::Hash(key, m_seed)); }

    // The slot holding the name, or the empty slot where it would go. Needs a table with an empty slot.
    std::size_t findSlot(QStringView key, std::uint32_t hash) const
    {
        return findSlot(hash, [key] { return key; });
    }
    // The same, the name given by `key()`, which is called only when an element has the same hash.
    template <typename Key> std::size_t findSlot(std::uint32_t hash, Key &&key) const
    {
        std::size_t i = hash & m_mask;
        while (const std::uint32_t index = m_slots[i]) {
            if (m_hashes[index - 1] == hash && FoldedKey::Equal(m_elements[index - 1]->NameView(), key()))
                return i;
            i = (i + 1) & m_mask;
        }
        return i;
    }

    void rehash(std::size_t capacity) { fill(std::make_unique<std::uint32_t[]>(capacity), capacity - 1); }

    // Makes `fresh`, an empty table of mask + 1 slots, the table of the indexed elements.
    void fill(std::unique_ptr<std::uint32_t[]> fresh, std::size_t mask)
    {
        assert(m_indexed <= CollectionTable::MaxLoad(mask + 1));
        for (std::size_t e = 0; e < m_indexed; ++e) {
            std::size_t i = m_hashes[e] & mask;
            while (fresh[i])
                i = (i + 1) & mask;
            fresh[i] = std::uint32_t(e + 1);
        }
        m_slots = std::move(fresh);
        m_mask = mask;
    }

    // Room for one more element first, so that a failure leaves the collection as it was.
    void reserveOneMore()
    {
        const std::size_t count = m_elements.size();
        // Slots hold an element's index + 1 in 32 bits.
        if (count >= std::numeric_limits<std::uint32_t>::max() - 1)
            throw std::bad_alloc();
        m_hashes.reserve(count + 1 > m_hashes.capacity() ? std::max<std::size_t>(MemorySizes::Pick(8, 1), 2 * count)
                                                         : count + 1);
        m_elements.reserve(m_hashes.capacity());
    }

    T *insert(std::unique_ptr<T> value, bool mustSucceed)
    {
        Index();
        const QStringView key = value->NameView();
        const std::uint32_t hash = hashOf(key);
        const std::size_t count = m_elements.size();
        if (count + 1 > CollectionTable::MaxLoad(slotCount()))
            rehash(CollectionTable::SlotsFor(count + 1));
        const std::size_t slot = findSlot(key, hash);
        if (m_slots[slot]) {
            if (mustSucceed)
                CollectionTable::ThrowKeyInUse();
            return nullptr;
        }
        reserveOneMore();
        m_hashes.push_back(hash);
        m_elements.push_back(std::move(value));
        m_slots[slot] = std::uint32_t(count + 1);
        m_indexed = count + 1;
        return m_elements.back().get();
    }

    Elements m_elements;
    std::vector<std::uint32_t> m_hashes;      // each element's hash, so that growing never hashes a name again
    std::unique_ptr<std::uint32_t[]> m_slots; // open-addressed: an element's index + 1, or 0 for an empty slot
    std::size_t m_mask = 0;
    std::size_t m_indexed = 0; // the elements before this are in the table; the others wait for Index
    std::size_t m_seed = CollectionTable::Seed();
};
