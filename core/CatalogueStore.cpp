#include "core/CatalogueStore.h"

#include "core/clsItem.h"

#include <new>

CatalogueStore::CatalogueStore() : m_texts(MemorySizes::Pick(std::size_t(1) << 16, 32), &m_memory) {}

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
    item.keep(item.m_name, item.m_nameSize, clsItem::NameOwned, m_texts.Keep(name), false);
    item.keep(item.m_reference, item.m_referenceSize, clsItem::ReferenceOwned, m_texts.Keep(reference), false);
}
