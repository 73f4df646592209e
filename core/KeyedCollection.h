#pragma once

#include "core/clsError.h"
#include "toolkit/MemorySizes.h"

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Keys compare by Unicode simple case folding, code point by code point, so that hash and equality agree.
namespace FoldedKey {
size_t Hash(QStringView key, size_t seed = 0) noexcept;
bool Equal(QStringView a, QStringView b) noexcept;
// The text's code points as the comparison folds them, written over `out`.
void Fold(QStringView key, std::u32string &out);
} // namespace FoldedKey

// What the keyed collections share: the size of their open-addressed tables and their failures.
namespace CollectionTable {
// At most three slots in four are filled: probes stay short (a probe compares stored hashes before texts), and the
// table stays small enough to keep in cache.
inline std::size_t MaxLoad(std::size_t capacity)
{
    return capacity - capacity / 4;
}
// The slots of a table that holds `count` keys.
inline std::size_t SlotsFor(std::size_t count)
{
    std::size_t capacity = MemorySizes::Pick(8, 4);
    while (MaxLoad(capacity) < count)
        capacity *= 2;
    return capacity;
}
// The process's seed for the hashes of names, taken once, so that every collection hashes a name alike.
inline std::size_t Seed()
{
    static const std::size_t seed = QHashSeed::globalSeed();
    return seed;
}
[[noreturn]] void ThrowInvalidCall();
[[noreturn]] void ThrowKeyInUse();
} // namespace CollectionTable

// An ordered collection of owned elements under text keys that compare without regard to letter case.
// Enumeration follows insertion order. Elements live in a doubly linked list of nodes (so add-after, add-first
// and remove are O(1)); an open-addressed table of the nodes beside it makes lookups O(1). Each node keeps its
// key's hash, so growing the table never hashes a key again and a probe rarely has to compare texts. Nodes come in
// blocks, one allocation for many elements.
template <typename T> class KeyedCollection
{
    struct Node
    {
        QString key;
        std::unique_ptr<T> value;
        Node *prev = nullptr;
        Node *next = nullptr;
        size_t hash = 0;
    };

public:
    KeyedCollection() = default;
    KeyedCollection(const KeyedCollection &) = delete;
    KeyedCollection &operator=(const KeyedCollection &) = delete;
    // Takes over the elements, keys and storage of `other`, which is left empty.
    KeyedCollection(KeyedCollection &&other) noexcept
        : m_slots(std::move(other.m_slots)), m_mask(std::exchange(other.m_mask, 0)),
          m_count(std::exchange(other.m_count, 0)), m_seed(other.m_seed), m_head(std::exchange(other.m_head, nullptr)),
          m_tail(std::exchange(other.m_tail, nullptr)), m_blocks(std::move(other.m_blocks)),
          m_spare(std::exchange(other.m_spare, nullptr)), m_blockNext(std::exchange(other.m_blockNext, nullptr)),
          m_blockEnd(std::exchange(other.m_blockEnd, nullptr))
    {
        other.m_blocks.clear();
    }
    KeyedCollection &operator=(KeyedCollection &&) = delete;
    ~KeyedCollection() { Clear(); }

    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T *;
        using difference_type = std::ptrdiff_t;
        using pointer = T **;
        using reference = T *;

        const_iterator() = default;
        explicit const_iterator(Node *n) : m_node(n) {}
        T *operator*() const { return m_node->value.get(); }
        const QString &key() const { return m_node->key; }
        const_iterator &operator++()
        {
            m_node = m_node->next;
            return *this;
        }
        const_iterator operator++(int)
        {
            auto old = *this;
            m_node = m_node->next;
            return old;
        }
        bool operator==(const const_iterator &o) const { return m_node == o.m_node; }

    private:
        Node *m_node = nullptr;
    };

    const_iterator begin() const { return const_iterator(m_head); }
    const_iterator end() const { return const_iterator(nullptr); }

    qsizetype Count() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

    void Reserve(qsizetype n)
    {
        if (n > 0 && std::size_t(n) > CollectionTable::MaxLoad(slotCount()))
            rehash(CollectionTable::SlotsFor(std::size_t(n)));
    }

    bool Contains(QStringView key) const { return findNode(key) != nullptr; }

    // The element under the key, or nullptr.
    T *Find(QStringView key) const
    {
        const Node *n = findNode(key);
        return n ? n->value.get() : nullptr;
    }

    // The element under the key; a missing key is a failure.
    T &Item(QStringView key) const
    {
        if (T *found = Find(key))
            return *found;
        CollectionTable::ThrowInvalidCall();
    }

    // Appends under the key. A key that is present is a failure and nothing changes.
    T &Add(std::unique_ptr<T> value, QString key) { return *insert(std::move(value), std::move(key), m_tail, true); }

    // Appends unless the key is present; then the value is dropped and nullptr returned.
    T *TryAdd(std::unique_ptr<T> value, QString key) { return insert(std::move(value), std::move(key), m_tail, false); }

    // Adds directly after the element under `after`, which must be present.
    T &AddAfter(std::unique_ptr<T> value, QString key, QStringView after)
    {
        Node *anchor = findNode(after);
        if (!anchor)
            CollectionTable::ThrowInvalidCall();
        return *insert(std::move(value), std::move(key), anchor, true);
    }

    // Adds in front of every other element.
    T &AddFirst(std::unique_ptr<T> value, QString key)
    {
        return *insert(std::move(value), std::move(key), nullptr, true);
    }

    // Takes the element under the key out of the collection and hands it to the caller.
    std::unique_ptr<T> Take(QStringView key)
    {
        if (!m_slots)
            CollectionTable::ThrowInvalidCall();
        const std::size_t slot = findSlot(key, hashOf(key));
        Node *n = m_slots[slot];
        if (!n)
            CollectionTable::ThrowInvalidCall();
        eraseSlot(slot);
        --m_count;
        unlink(n);
        std::unique_ptr<T> value = std::move(n->value);
        releaseNode(n);
        return value;
    }

    void Remove(QStringView key) { Take(key); }

    // Empties the collection, handing every element to `sink` in order (used to move elements, not copy them).
    template <typename Sink> void Drain(Sink &&sink)
    {
        m_slots.reset();
        m_mask = 0;
        m_count = 0;
        Node *n = m_head;
        m_head = m_tail = nullptr;
        while (n) {
            Node *next = n->next;
            sink(std::move(n->value));
            n = next;
        }
        for (const auto &[block, size] : m_blocks) {
            std::destroy_n(block, size);
            std::allocator<Node>().deallocate(block, size);
        }
        m_blocks.clear();
        m_spare = m_blockNext = m_blockEnd = nullptr;
    }

    void Clear()
    {
        Drain([](std::unique_ptr<T>) {});
    }

    // Gives the elements, in order, new keys in place: keyFor(i, key) writes the key of element i over `key`
    // (resizing it and writing its units, which needs no allocation unless the key grows). No element or node
    // moves. The keys must differ from one another: a clash is a failure, and the keys stay as written so far.
    template <typename KeyFor> void Rekey(KeyFor &&keyFor)
    {
        if (m_count == 0)
            return;
        auto fresh = std::make_unique<Node *[]>(slotCount());
        qsizetype i = 0;
        try {
            for (Node *n = m_head; n; n = n->next, ++i) {
                keyFor(i, n->key);
                const size_t hash = hashOf(n->key);
                std::size_t slot = hash & m_mask;
                for (; fresh[slot]; slot = (slot + 1) & m_mask) {
                    if (fresh[slot]->hash == hash && FoldedKey::Equal(fresh[slot]->key, n->key))
                        CollectionTable::ThrowKeyInUse();
                }
                n->hash = hash;
                fresh[slot] = n;
            }
        } catch (...) {
            // Whatever keys the nodes hold now, the table is made again to match them (without allocating).
            std::fill_n(fresh.get(), slotCount(), nullptr);
            for (Node *n = m_head; n; n = n->next) {
                n->hash = hashOf(n->key);
                std::size_t slot = n->hash & m_mask;
                while (fresh[slot])
                    slot = (slot + 1) & m_mask;
                fresh[slot] = n;
            }
            m_slots = std::move(fresh);
            throw;
        }
        m_slots = std::move(fresh);
    }

private:
    std::size_t slotCount() const { return m_slots ? m_mask + 1 : 0; }
    size_t hashOf(QStringView key) const { return FoldedKey::Hash(key, m_seed); }

    // The slot holding the key, or the empty slot where it would go. Needs a table.
    std::size_t findSlot(QStringView key, size_t hash) const
    {
        std::size_t i = hash & m_mask;
        while (const Node *n = m_slots[i]) {
            if (n->hash == hash && FoldedKey::Equal(n->key, key))
                return i;
            i = (i + 1) & m_mask;
        }
        return i;
    }

    Node *findNode(QStringView key) const { return m_slots ? m_slots[findSlot(key, hashOf(key))] : nullptr; }

    void rehash(std::size_t capacity)
    {
        auto fresh = std::make_unique<Node *[]>(capacity);
        const std::size_t mask = capacity - 1;
        for (Node *n = m_head; n; n = n->next) {
            std::size_t i = n->hash & mask;
            while (fresh[i])
                i = (i + 1) & mask;
            fresh[i] = n;
        }
        m_slots = std::move(fresh);
        m_mask = mask;
    }

    // Backward-shift deletion: later members of the probe run move up, so no tombstones are needed.
    void eraseSlot(std::size_t hole)
    {
        std::size_t i = (hole + 1) & m_mask;
        while (Node *n = m_slots[i]) {
            const std::size_t home = n->hash & m_mask;
            // The node may fill the hole when its home is not cyclically within (hole, i].
            if (((i - home) & m_mask) >= ((i - hole) & m_mask)) {
                m_slots[hole] = n;
                hole = i;
            }
            i = (i + 1) & m_mask;
        }
        m_slots[hole] = nullptr;
    }

    // Links a new node after `after` (nullptr: at the front).
    T *insert(std::unique_ptr<T> value, QString key, Node *after, bool mustSucceed)
    {
        const size_t hash = hashOf(key);
        if (std::size_t(m_count) + 1 > CollectionTable::MaxLoad(slotCount()))
            rehash(CollectionTable::SlotsFor(std::size_t(m_count) + 1));
        const std::size_t slot = findSlot(key, hash);
        if (m_slots[slot]) {
            if (mustSucceed)
                CollectionTable::ThrowKeyInUse();
            return nullptr;
        }
        Node *n = newNode();
        n->key = std::move(key);
        n->value = std::move(value);
        n->prev = after;
        n->next = after ? after->next : m_head;
        n->hash = hash;
        m_slots[slot] = n;
        ++m_count;
        if (n->next)
            n->next->prev = n;
        else
            m_tail = n;
        if (after)
            after->next = n;
        else
            m_head = n;
        return n->value.get();
    }

    // Nodes come from blocks the collection owns, a removed node being used again: one allocation per block
    // instead of one per element. Blocks grow with the collection up to a size that wastes little.
    Node *newNode()
    {
        if (Node *n = m_spare) {
            m_spare = n->next;
            return n;
        }
        if (m_blockNext == m_blockEnd) {
            const std::size_t size =
                std::clamp<std::size_t>(std::size_t(m_count), MemorySizes::Pick(8, 1), MemorySizes::Pick(256, 4));
            if (m_blocks.size() == m_blocks.capacity())
                m_blocks.reserve(2 * m_blocks.size() + 4); // so that recording the block below cannot fail
            Node *block = std::allocator<Node>().allocate(size);
            std::uninitialized_default_construct_n(block, size);
            m_blocks.emplace_back(block, size);
            m_blockNext = block;
            m_blockEnd = m_blockNext + size;
        }
        return m_blockNext++;
    }

    void releaseNode(Node *n)
    {
        n->key = QString();
        n->value.reset();
        n->prev = nullptr;
        n->next = m_spare;
        m_spare = n;
    }

    void unlink(Node *n)
    {
        (n->prev ? n->prev->next : m_head) = n->next;
        (n->next ? n->next->prev : m_tail) = n->prev;
    }

    std::unique_ptr<Node *[]> m_slots;
    std::size_t m_mask = 0;
    qsizetype m_count = 0;
    size_t m_seed = QHashSeed::globalSeed();
    Node *m_head = nullptr;
    Node *m_tail = nullptr;
    std::vector<std::pair<Node *, std::size_t>> m_blocks; // each block and its number of nodes
    Node *m_spare = nullptr;
    Node *m_blockNext = nullptr;
    Node *m_blockEnd = nullptr;
};
