#include "core/clsGearList.h"

#include <algorithm>
#include <iterator>

clsGearList::clsGearList(FormFactory createMainForm)
    : m_store(std::make_shared<CatalogueStore>()), m_categories(std::make_unique<GearCatalogue>()),
      m_chosenGear(std::make_unique<KeyedCollection<clsChosenItem>>()),
      m_mainForm(createMainForm ? createMainForm() : nullptr)
{
}

clsGearList::~clsGearList()
{
    // The window goes first, and with it Find's search thread, which may still be reading the catalogue (a failure
    // reaching Main, or a test's tear-down, comes here without ReleaseAll). Then the rest in the order it was made,
    // without the cascade of ReleaseAll.
    m_mainForm.reset();
    m_categories.reset();
    m_chosenGear.reset();
    m_store.reset();
}

void clsGearList::ShowMainForm()
{
    if (!m_mainForm)
        return;
    m_mainForm->setParent(this);
    m_mainForm->ShowModal();
}

void clsGearList::AddChosenItem(clsItem *item, std::int32_t quantity, bool paidInDollars)
{
    auto line = std::make_unique<clsChosenItem>();
    line->setItem(item);
    line->setQuantity(quantity);
    line->setPaidInDollars(paidInDollars);
    m_chosenGear->Add(std::move(line), QLatin1Char('k') + QString::number(m_chosenGear->Count() + 1));
}

void clsGearList::RenumberChosenGear()
{
    // The same line objects, in a new collection under k1..kN. It takes over the old one's storage, and each line's
    // key is rewritten in place ("k" and the number, all different), since a long list renumbers on every edit.
    auto renumbered = std::make_unique<KeyedCollection<clsChosenItem>>(std::move(*m_chosenGear));
    renumbered->Rekey([](qsizetype index, QString &key) {
        char16_t digits[20];
        char16_t *end = digits + std::size(digits);
        char16_t *p = end;
        for (qsizetype n = index + 1; n; n /= 10)
            *--p = char16_t(u'0' + n % 10);
        key.resize(1 + (end - p));
        char16_t *out = reinterpret_cast<char16_t *>(key.data());
        *out++ = u'k';
        std::copy(p, end, out);
    });
    m_chosenGear = std::move(renumbered);
}

void clsGearList::ReleaseAll()
{
    m_mainForm.reset();
    if (m_chosenGear) {
        for (clsChosenItem *line : *m_chosenGear)
            line->Dispose();
        m_chosenGear.reset();
    }
    if (m_categories) {
        for (clsCategory *category : *m_categories)
            category->Dispose();
        m_categories.reset();
    }
    // The catalogue's texts and items, all at once (unless a list still shows the texts).
    m_store.reset();
}
