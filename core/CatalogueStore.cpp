#include "core/CatalogueStore.h"

#include "core/clsItem.h"

#include <algorithm>
#include <new>

CatalogueStore::CatalogueStore() : m_texts(std::size_t(1) << 16, &m_memory) {}

// The items' lives ended when the catalogue dropped them; only their memory is left.
CatalogueStore::~CatalogueStore() = default;

QString CatalogueStore::Text(std::string_view bytes, GearFile::TextEncoding encoding)
{
    if (bytes.empty())
        return {};
    // Decoding never makes more UTF-16 units than there are bytes.
    char16_t *out = m_texts.Reserve(bytes.size());
    return m_texts.Commit(out, GearFile::DecodeInto(bytes, encoding, out));
}

clsItem *CatalogueStore::NewItem()
{
    auto *item = new (m_memory.allocate(sizeof(clsItem), alignof(clsItem))) clsItem;
    item->m_flags = clsItem::InStore;
    return item;
}

void CatalogueStore::SetTexts(clsItem &item, const QString &name, const QString &reference)
{
    const auto kept = [this](const QString &text) {
        // Only a text that views characters it does not own has no capacity (OwnedText relies on the same).
        if (text.isEmpty() || text.capacity() == 0)
            return QStringView(text);
        char16_t *out = m_texts.Reserve(std::size_t(text.size()));
        std::copy_n(text.utf16(), text.size(), out);
        m_texts.Commit(out, text.size());
        return QStringView(out, text.size());
    };
    item.view(item.m_name, item.m_nameSize, clsItem::NameOwned, kept(name));
    item.view(item.m_reference, item.m_referenceSize, clsItem::ReferenceOwned, kept(reference));
}
