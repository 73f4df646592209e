#include "core/clsGearList.h"

clsGearList::clsGearList(FormFactory createMainForm)
    : m_categories(std::make_unique<KeyedCollection<clsCategory>>()),
      m_chosenGear(std::make_unique<KeyedCollection<clsChosenItem>>()),
      m_mainForm(createMainForm ? createMainForm() : nullptr)
{
}

clsGearList::~clsGearList()
{
    // Dropped in the order they were made, without the cascade of ReleaseAll.
    m_categories.reset();
    m_chosenGear.reset();
    m_mainForm.reset();
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
    // The same line objects move to a new collection under k1..kN; nothing but pointers is copied.
    auto renumbered = std::make_unique<KeyedCollection<clsChosenItem>>();
    renumbered->Reserve(m_chosenGear->Count());
    qsizetype i = 0;
    m_chosenGear->Drain([&](std::unique_ptr<clsChosenItem> line) {
        renumbered->Add(std::move(line), QLatin1Char('k') + QString::number(++i));
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
}
