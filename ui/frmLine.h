#pragma once

#include <QDialog>

#include <cstdint>

class QLineEdit;
class QPushButton;
class QRadioButton;
class DropDownList;

// "Row Change": collects a new quantity, a target row or a removal for one chosen line. It changes nothing
// itself; the caller reads Action, Quantity and Row after the modal show returns.
class frmLine final : public QDialog
{
    Q_OBJECT
public:
    enum ActionCode : std::int16_t
    {
        NoAction = 0,
        ChangeQuantity = 1,
        MoveToRow = 2,
        RemoveLine = 3
    };

    explicit frmLine(QWidget *parent = nullptr);

    // Row and row count are not cut to 16 bits, so every line of a long list can be edited.
    void SetLine(std::int16_t quantity, std::int32_t row, std::int32_t rowCount);
    std::int16_t Action() const { return m_action; }
    // The stored quantity when it is 1 or more; otherwise 1.
    std::int16_t Quantity() const { return m_quantity >= 1 ? m_quantity : 1; }
    std::int32_t Row() const { return m_row; }

    // Shows the dialog modally with the first option selected and focused.
    int ShowModal();

    // The close box and Escape cancel, like the Cancel button.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void optOption_Click(std::int16_t action);
    void cboRow_Click();
    void txtQuantity_KeyDown();
    void txtQuantity_KeyUp();
    void cmdOk_Click();

    QRadioButton *optOption1;
    QLineEdit *txtQuantity;
    QRadioButton *optOption2;
    DropDownList *cboRow;
    QRadioButton *optOption3;
    QPushButton *cmdOk;
    QPushButton *cmdCancel;

    std::int16_t m_action = ChangeQuantity;
    std::int16_t m_quantity = -1; // -1: the box is empty
    std::int32_t m_row = 1;
};
