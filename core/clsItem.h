#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <new>

class CatalogueStore;
class clsSubCategory;

// One piece of gear. Only the loader writes the members, while it builds the item.
// A catalogue holds a million of these, so the texts are kept as bare pointer and length: an item made in a
// catalogue's store views the store's texts, any other item owns copies of its own.
class clsItem
{
public:
    clsItem() = default;
    ~clsItem()
    {
        if (m_flags & NameOwned)
            delete[] m_name;
        if (m_flags & ReferenceOwned)
            delete[] m_reference;
    }
    clsItem(const clsItem &) = delete;
    clsItem &operator=(const clsItem &) = delete;

    // A store item's text views the store (see OwnedText), any other is a copy of its own.
    QString Name() const { return text(m_name, m_nameSize, m_flags & NameOwned); }
    void setName(QStringView name) { keep(m_name, m_nameSize, NameOwned, name, true); }
    QString Reference() const { return text(m_reference, m_referenceSize, m_flags & ReferenceOwned); }
    void setReference(QStringView reference) { keep(m_reference, m_referenceSize, ReferenceOwned, reference, true); }
    // The name for a moment (lookups), valid while the item keeps it.
    QStringView NameView() const { return QStringView(m_name, qsizetype(m_nameSize)); }
    QStringView ReferenceView() const { return QStringView(m_reference, qsizetype(m_referenceSize)); }

private:
    const char16_t *m_name = nullptr;
    const char16_t *m_reference = nullptr;
    std::uint32_t m_nameSize = 0;
    std::uint32_t m_referenceSize = 0;

public:
    std::int16_t Cost_BP = 0;
    std::int16_t Cost_GP = 0;
    std::int16_t Cost_Dollar = 0;

private:
    friend class CatalogueStore;
    enum : std::uint8_t
    {
        InStore = 1,
        NameOwned = 2,
        ReferenceOwned = 4
    };
    std::uint8_t m_flags = 0; // fits beside the costs

public:
    double Weight_lb = 0;
    clsSubCategory *Parent = nullptr; // not owned

    void Dispose() { Parent = nullptr; }

    // Ends the item's life; its memory goes back unless a catalogue's store holds it.
    static void operator delete(clsItem *item, std::destroying_delete_t)
    {
        const bool inStore = item->m_flags & InStore;
        item->~clsItem();
        if (!inStore)
            ::operator delete(item);
    }

private:
    static QString text(const char16_t *units, std::uint32_t size, bool owned)
    {
        if (!size)
            return {};
        const auto *chars = reinterpret_cast<const QChar *>(units);
        return owned ? QString(chars, qsizetype(size)) : QString::fromRawData(chars, qsizetype(size));
    }
    // Keeps `text` as a copy of the item's own, or (for a store's text) as a view that is never freed here.
    void keep(const char16_t *&units, std::uint32_t &size, std::uint8_t ownedFlag, QStringView text, bool copy);
};
