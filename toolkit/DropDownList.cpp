#include "toolkit/DropDownList.h"

#include "toolkit/ListCell.h"

#include <QSignalBlocker>

#include <algorithm>

DropDownList::DropDownList(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        m_changeReported = true;
        emit Click();
    });
    // A pick comes after the change it made, if any; a pick of the shown entry changes nothing but is still one.
    connect(this, &QComboBox::activated, this, [this] {
        if (!m_changeReported)
            emit Click();
        m_changeReported = false;
    });
}

// Each way the user can pick starts afresh, whatever changes code made before.
void DropDownList::showPopup()
{
    m_changeReported = false;
    QComboBox::showPopup();
}

void DropDownList::keyPressEvent(QKeyEvent *event)
{
    m_changeReported = false;
    QComboBox::keyPressEvent(event);
}

void DropDownList::wheelEvent(QWheelEvent *event)
{
    m_changeReported = false;
    QComboBox::wheelEvent(event);
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
    // An entry too long to draw shows its cut text and keeps the whole one beside it. The entries own their texts:
    // the list may outlive what the texts given view.
    if (std::none_of(texts.begin(), texts.end(), [](const QString &t) { return t.size() > ShownTextLimit; })) {
        QStringList owned;
        owned.reserve(texts.size());
        for (const QString &text : texts)
            owned.append(OwnedText(text));
        addItems(owned);
    } else {
        for (const QString &text : texts)
            addItem(ShownText(text), text.size() > ShownTextLimit ? QVariant(OwnedText(text)) : QVariant());
    }
    if (before == -1)
        setCurrentIndex(-1);
}

QString DropDownList::List(int index) const
{
    const QVariant whole = itemData(index, Qt::UserRole);
    return whole.isValid() ? whole.toString() : itemText(index);
}

void DropDownList::setListIndex(int index)
{
    if (index < -1 || index >= count())
        return;
    setCurrentIndex(index);
}

void DropDownList::Pick(int index)
{
    if (index < 0 || index >= count())
        return;
    if (index == currentIndex())
        emit Click();
    else
        setCurrentIndex(index);
}
