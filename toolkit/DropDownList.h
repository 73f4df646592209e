#pragma once

#include <QComboBox>

// A drop-down list that accepts no typed text. Adding entries never selects one; a change of the selected
// entry, by the user or by code, raises Click at once, and so does the user's pick of the entry already shown.
class DropDownList final : public QComboBox
{
    Q_OBJECT
public:
    explicit DropDownList(QWidget *parent = nullptr);

    void Clear();
    void AddItem(const QString &text);
    void AddItems(const QStringList &texts);
    // The entry's whole text; the list draws and announces it as ShownText cuts it.
    QString List(int index) const;
    int ListCount() const { return count(); }
    int ListIndex() const { return currentIndex(); }
    // An index that does not exist is ignored.
    void setListIndex(int index);
    // Selects the entry as the user's pick does: Click comes even when it is the entry already shown.
    void Pick(int index);

    void showPopup() override;

signals:
    void Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    // Whether the change of entry that the user's pick caused has been reported already.
    bool m_changeReported = false;
};
