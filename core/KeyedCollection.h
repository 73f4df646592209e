#pragma once

#include "core/clsError.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <iterator>
#include <memory>
#include <utility>

// Keys compare by Unicode simple case folding, code point by code point, so that hash and equality agree.
namespace FoldedKey {
size_t Hash(QStringView key, size_t seed = 0) noexcept;
bool Equal(QStringView a, QStringView b) noexcept;
} // namespace FoldedKey

// An ordered collection of owned elements under text keys that compare without regard to letter case.
// Enumeration follows insertion order. Elements live in a doubly linked list of nodes (so add-after, add-first
// and remove are O(1)); a hash of the folded key beside it makes lookups O(1).
template <typename T>
class KeyedCollection
{
    struct Node
    {
        QString key;
        std::unique_ptr<T> value;
        Node *prev = nullptr;
        Node *next = nullptr;
    };

    struct Key
    {
        QStringView view;
        friend bool operator==(const Key &a, const Key &b) noexcept { return FoldedKey::Equal(a.view, b.view); }
        friend size_t qHash(const Key &k, size_t seed = 0) noexcept { return FoldedKey::Hash(k.view, seed); }
    };

public:
    KeyedCollection() = default;
    KeyedCollection(const KeyedCollection &) = delete;
    KeyedCollection &operator=(const KeyedCollection &) = delete;
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

    qsizetype Count() const { return m_index.size(); }
    bool IsEmpty() const { return m_index.isEmpty(); }

    void Reserve(qsizetype n) { m_index.reserve(n); }

    bool Contains(QStringView key) const { return m_index.contains(Key{key}); }

    // The element under the key, or nullptr.
    T *Find(QStringView key) const
    {
        auto it = m_index.constFind(Key{key});
        return it == m_index.constEnd() ? nullptr : (*it)->value.get();
    }

    // The element under the key; a missing key is a failure.
    T &Item(QStringView key) const
    {
        if (T *found = Find(key))
            return *found;
        throw clsError(clsError::InvalidCall, QStringLiteral("Invalid procedure call or argument"));
    }

    // Appends under the key. A key that is present is a failure and nothing changes.
    T &Add(std::unique_ptr<T> value, QString key) { return *insert(std::move(value), std::move(key), m_tail, true); }

    // Appends unless the key is present; then the value is dropped and nullptr returned.
    T *TryAdd(std::unique_ptr<T> value, QString key) { return insert(std::move(value), std::move(key), m_tail, false); }

    // Adds directly after the element under `after`, which must be present.
    T &AddAfter(std::unique_ptr<T> value, QString key, QStringView after)
    {
        auto it = m_index.constFind(Key{after});
        if (it == m_index.constEnd())
            throw clsError(clsError::InvalidCall, QStringLiteral("Invalid procedure call or argument"));
        return *insert(std::move(value), std::move(key), *it, true);
    }

    // Adds in front of every other element.
    T &AddFirst(std::unique_ptr<T> value, QString key) { return *insert(std::move(value), std::move(key), nullptr, true); }

    // Takes the element under the key out of the collection and hands it to the caller.
    std::unique_ptr<T> Take(QStringView key)
    {
        auto it = m_index.find(Key{key});
        if (it == m_index.end())
            throw clsError(clsError::InvalidCall, QStringLiteral("Invalid procedure call or argument"));
        Node *n = *it;
        m_index.erase(it);
        unlink(n);
        std::unique_ptr<T> value = std::move(n->value);
        delete n;
        return value;
    }

    void Remove(QStringView key) { Take(key); }

    // Empties the collection, handing every element to `sink` in order (used to move elements, not copy them).
    template <typename Sink>
    void Drain(Sink &&sink)
    {
        m_index.clear();
        Node *n = m_head;
        m_head = m_tail = nullptr;
        while (n) {
            Node *next = n->next;
            sink(std::move(n->value));
            delete n;
            n = next;
        }
    }

    void Clear()
    {
        Drain([](std::unique_ptr<T>) {});
    }

private:
    // Links a new node after `after` (nullptr: at the front).
    T *insert(std::unique_ptr<T> value, QString key, Node *after, bool mustSucceed)
    {
        auto node = std::make_unique<Node>();
        node->key = std::move(key);
        // One hash: operator[] finds the slot or makes an empty one; a filled slot means the key is present.
        Node *&slot = m_index[Key{node->key}];
        if (slot) {
            if (mustSucceed)
                throw clsError(clsError::KeyInUse,
                               QStringLiteral("This key is already associated with an element of this collection"));
            return nullptr;
        }
        node->value = std::move(value);
        Node *n = node.release();
        slot = n;
        n->prev = after;
        n->next = after ? after->next : m_head;
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

    void unlink(Node *n)
    {
        (n->prev ? n->prev->next : m_head) = n->next;
        (n->next ? n->next->prev : m_tail) = n->prev;
    }

    QHash<Key, Node *> m_index;
    Node *m_head = nullptr;
    Node *m_tail = nullptr;
};
