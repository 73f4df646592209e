#include "core/CatalogueStore.h"

#include "core/clsItem.h"
#include "toolkit/OwnedText.h"

#include <algorithm>
#include <cassert>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <utility>

namespace {

QString View(const char16_t *units, qsizetype count)
{
    return QString::fromRawData(reinterpret_cast<const QChar *>(units), count);
}

} // namespace

CatalogueStore::CatalogueStore() = default;

// The items' lives ended when the catalogue dropped them; only their memory is left.
CatalogueStore::~CatalogueStore() = default;

char16_t *CatalogueStore::units(std::size_t count)
{
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(char16_t))
        throw std::bad_alloc();
    return static_cast<char16_t *>(m_texts.allocate(count * sizeof(char16_t), alignof(char16_t)));
}

QString CatalogueStore::Text(std::string_view bytes, GearFile::TextEncoding encoding)
{
    if (bytes.empty())
        return {};
    if (GearFile::OneUnitPerByte(bytes, encoding)) {
        char16_t *out = units(bytes.size());
        GearFile::DecodeUnitForUnit(bytes, encoding, out);
        return View(out, qsizetype(bytes.size()));
    }
    // Fewer units than bytes: decoded aside, then kept at its own length.
    std::unique_ptr<char16_t[]> large;
    char16_t *aside = m_aside;
    if (bytes.size() > std::size(m_aside)) {
        large = std::make_unique_for_overwrite<char16_t[]>(bytes.size());
        aside = large.get();
    }
    return Keep(QStringView(aside, GearFile::DecodeInto(bytes, encoding, aside)));
}

QString CatalogueStore::Keep(QStringView text)
{
    if (text.isEmpty())
        return {};
    char16_t *out = units(std::size_t(text.size()));
    std::copy_n(text.utf16(), text.size(), out);
    return View(out, text.size());
}

clsItem *CatalogueStore::NewItem(ItemRun &run)
{
    if (run.next == run.end) {
        // Runs double up to eight items: enough for walking a group's items to read memory mostly in order, few
        // enough for the current runs of every group of a catalogue filled in turn to stay in cache. A small group
        // leaves at most as much room unused as it fills.
        constexpr std::size_t MostItems = MemorySizes::Pick(8, 2);
        run.items = run.items ? std::min(2 * run.items, MostItems) : 1;
        run.next = static_cast<std::byte *>(m_items.allocate(run.items * sizeof(clsItem), alignof(clsItem)));
        run.end = run.next + run.items * sizeof(clsItem);
    }
    auto *item = new (std::exchange(run.next, run.next + sizeof(clsItem))) clsItem;
    item->m_flags = clsItem::InStore;
    return item;
}

void CatalogueStore::SetTexts(clsItem &item, const QString &name, const QString &reference)
{
    // A text with characters of its own is not one of a store's.
    assert(!HasOwnCharacters(name) && !HasOwnCharacters(reference));
    item.keep(item.m_name, item.m_nameSize, clsItem::NameOwned, name, false);
    item.keep(item.m_reference, item.m_referenceSize, clsItem::ReferenceOwned, reference, false);
}
