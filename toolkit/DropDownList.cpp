#include "toolkit/DropDownList.h"

#include <QSignalBlocker>

DropDownList::DropDownList(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, &DropDownList::Click);
}

void DropDownList::Clear()
{
    clear();
}

void DropDownList::AddItem(const QString &text)
{
    AddItems({text});
}

void DropDownList::AddItems(const QStringList &texts)
{
    // QComboBox selects the first entry added to an empty list; the list keeps "no selection" instead.
    const int before = currentIndex();
    const QSignalBlocker blocker(this);
    addItems(texts);
    if (before == -1)
        setCurrentIndex(-1);
}

void DropDownList::setListIndex(int index)
{
    if (index < -1 || index >= count())
        return;
    setCurrentIndex(index);
}
