#include "TestSupport.h"
#include "toolkit/DropDownList.h"
#include "ui/frmLine.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QtTest>

#include <functional>

namespace {

template <typename T> T *Child(QWidget *w, const char *name)
{
    return w->findChild<T *>(QLatin1String(name));
}

QRadioButton *Option(QWidget *w, int n)
{
    return Child<QRadioButton>(w, QStringLiteral("optOption%1").arg(n).toLatin1().constData());
}

// Clicks the round indicator, which is inside the button's clickable area in every style.
void ClickOption(QRadioButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect indicator = button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
    QTest::mouseClick(button, Qt::LeftButton, {}, indicator.center());
}

void ClickOk(QWidget *dialog)
{
    QTest::mouseClick(Child<QPushButton>(dialog, "cmdOk"), Qt::LeftButton);
}

// Navigation keys first, then the typed characters.
QTestEventList Keys(std::initializer_list<QKeyCombination> keys, const QString &typed = {})
{
    QTestEventList events;
    for (const QKeyCombination k : keys)
        events.addKeyClick(k.key(), k.keyboardModifiers());
    if (!typed.isEmpty())
        events.addKeyClicks(typed);
    return events;
}

// Shows the dialog modally; `act` gets it as the active modal widget and has to end it. False when some other
// widget came up instead, or the dialog was never shown.
bool Run(frmLine &dialog, const std::function<void(QWidget *)> &act)
{
    bool ours = false;
    const auto seen = TestSupport::OnNextModal([&](QWidget *modal) {
        ours = modal == &dialog;
        if (ours)
            act(modal);
        else
            modal->close();
    });
    dialog.ShowModal();
    return seen->seen && ours && seen->title == QStringLiteral("Row Change");
}

QStringList Entries(DropDownList *list)
{
    QStringList entries;
    for (int i = 0; i < list->ListCount(); ++i)
        entries.append(list->List(i));
    return entries;
}

QStringList Numbered(int count)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out.append(QString::number(i));
    return out;
}

enum Change
{
    NoChange,
    TypeQuantity,
    PickRow,
    PickRemove
};
enum Dismissal
{
    ByCancel,
    ByEscape,
    ByCloseBox,
    ByEnterOnCancel
};

} // namespace

class tst_frmLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup()
    {
        const QStringList left = TestSupport::CloseTopLevelWindows();
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char(' '))));
    }

    // Filling the dialog
    void setLine_data()
    {
        QTest::addColumn<int>("quantity");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("reused");

        QTest::newRow("middle row") << 7 << 2 << 4 << false;
        QTest::newRow("one-line list") << 1 << 1 << 1 << false;
        QTest::newRow("last of twelve") << 99 << 12 << 12 << false;
        QTest::newRow("refilled with fewer rows") << 3 << 1 << 2 << true;
        QTest::newRow("refilled with more rows") << 5 << 9 << 9 << true;
    }
    void setLine()
    {
        QFETCH(int, quantity);
        QFETCH(int, row);
        QFETCH(int, count);
        QFETCH(bool, reused);

        frmLine dialog;
        auto *box = Child<QLineEdit>(&dialog, "txtQuantity");
        auto *rows = Child<DropDownList>(&dialog, "cboRow");
        QVERIFY(box && rows);
        if (reused) {
            dialog.SetLine(4, 3, 5);
            QVERIFY(Run(dialog, [](QWidget *d) {
                ClickOption(Option(d, 3));
                ClickOk(d);
            }));
            QCOMPARE(dialog.Action(), frmLine::RemoveLine);
        }
        dialog.SetLine(std::int16_t(quantity), row, count);
        QCOMPARE(box->text(), QString::number(quantity));
        QCOMPARE(box->maxLength(), 2);
        QCOMPARE(Entries(rows), Numbered(count));
        QCOMPARE(rows->ListIndex(), row - 1);
        QCOMPARE(rows->currentText(), QString::number(row));
        QCOMPARE(dialog.Action(), frmLine::ChangeQuantity);
        QCOMPARE(dialog.Quantity(), quantity);
        QCOMPARE(dialog.Row(), row);
        QVERIFY(box->isEnabled());
        QVERIFY(!rows->isEnabled());
    }

    void startsWithFirstOption_data()
    {
        QTest::addColumn<int>("previous");
        QTest::newRow("after change quantity") << 1;
        QTest::newRow("after move") << 2;
        QTest::newRow("after remove") << 3;
    }
    void startsWithFirstOption()
    {
        QFETCH(int, previous);
        frmLine dialog;
        dialog.SetLine(6, 2, 3);
        QVERIFY(Run(dialog, [&](QWidget *d) {
            ClickOption(Option(d, previous));
            ClickOk(d);
        }));
        QCOMPARE(int(dialog.Action()), previous);

        bool firstChecked = false, firstFocused = false, boxOn = false, listOn = true;
        int action = -1;
        QVERIFY(Run(dialog, [&](QWidget *d) {
            firstChecked = Option(d, 1)->isChecked();
            firstFocused = d->focusWidget() == Option(d, 1);
            boxOn = Child<QLineEdit>(d, "txtQuantity")->isEnabled();
            listOn = Child<DropDownList>(d, "cboRow")->isEnabled();
            action = dialog.Action();
            ClickOk(d);
        }));
        QVERIFY(firstChecked);
        QVERIFY(firstFocused);
        QVERIFY(boxOn);
        QVERIFY(!listOn);
        QCOMPARE(action, int(frmLine::ChangeQuantity));
        QCOMPARE(dialog.Action(), frmLine::ChangeQuantity);
    }

    // Options
    void options_data()
    {
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("boxOn");
        QTest::addColumn<bool>("listOn");

        QTest::newRow("change quantity") << QList<int>{1} << 1 << true << false;
        QTest::newRow("move") << QList<int>{2} << 2 << false << true;
        QTest::newRow("remove") << QList<int>{3} << 3 << false << false;
        QTest::newRow("move then remove") << QList<int>{2, 3} << 3 << false << false;
        QTest::newRow("remove then change quantity") << QList<int>{3, 1} << 1 << true << false;
        QTest::newRow("move then change quantity") << QList<int>{2, 1} << 1 << true << false;
        QTest::newRow("remove then move") << QList<int>{3, 2} << 2 << false << true;
    }
    void options()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(int, action);
        QFETCH(bool, boxOn);
        QFETCH(bool, listOn);

        frmLine dialog;
        dialog.SetLine(6, 2, 5);
        bool seenBoxOn = !boxOn, seenListOn = !listOn;
        int seenAction = -1;
        QString text;
        int index = -1;
        QVERIFY(Run(dialog, [&](QWidget *d) {
            for (int n : clicks)
                ClickOption(Option(d, n));
            seenAction = dialog.Action();
            seenBoxOn = Child<QLineEdit>(d, "txtQuantity")->isEnabled();
            seenListOn = Child<DropDownList>(d, "cboRow")->isEnabled();
            text = Child<QLineEdit>(d, "txtQuantity")->text();
            index = Child<DropDownList>(d, "cboRow")->ListIndex();
            ClickOk(d);
        }));
        QCOMPARE(seenAction, action);
        QCOMPARE(seenBoxOn, boxOn);
        QCOMPARE(seenListOn, listOn);
        // Switching options keeps what was entered.
        QCOMPARE(text, QStringLiteral("6"));
        QCOMPARE(index, 1);
        QCOMPARE(int(dialog.Action()), action);
        QCOMPARE(dialog.Quantity(), 6);
        QCOMPARE(dialog.Row(), 2);
    }

    // Target row
    void row_data()
    {
        QTest::addColumn<int>("ownRow");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("pickMove");
        QTest::addColumn<QTestEventList>("keys");
        QTest::addColumn<bool>("backToFirst");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("row");

        QTest::newRow("move without picking a row") << 3 << 5 << true << Keys({}) << false << 2 << 3;
        QTest::newRow("move one row down") << 2 << 4 << true << Keys({Qt::Key_Down}) << false << 2 << 3;
        QTest::newRow("move to the first row") << 4 << 4 << true << Keys({Qt::Key_Home}) << false << 2 << 1;
        QTest::newRow("move to the last row") << 1 << 5 << true << Keys({Qt::Key_End}) << false << 2 << 5;
        QTest::newRow("move in a one-line list") << 1 << 1 << true << Keys({}) << false << 2 << 1;
        QTest::newRow("row 3 picked, then change quantity") << 2 << 4 << true << Keys({Qt::Key_Down}) << true << 1 << 3;
        QTest::newRow("list ignores keys while off") << 2 << 4 << false << Keys({Qt::Key_Down}) << false << 1 << 2;
    }
    void row()
    {
        QFETCH(int, ownRow);
        QFETCH(int, count);
        QFETCH(bool, pickMove);
        QFETCH(QTestEventList, keys);
        QFETCH(bool, backToFirst);
        QFETCH(int, action);
        QFETCH(int, row);

        frmLine dialog;
        dialog.SetLine(4, ownRow, count);
        QString shown;
        QStringList entries;
        QVERIFY(Run(dialog, [&](QWidget *d) {
            auto *rows = Child<DropDownList>(d, "cboRow");
            entries = Entries(rows);
            if (pickMove)
                ClickOption(Option(d, 2));
            keys.simulate(rows);
            shown = rows->currentText();
            if (backToFirst)
                ClickOption(Option(d, 1));
            ClickOk(d);
        }));
        QCOMPARE(entries, Numbered(count));
        QCOMPARE(shown, QString::number(row));
        QCOMPARE(int(dialog.Action()), action);
        QCOMPARE(dialog.Row(), row);
        QCOMPARE(dialog.Quantity(), 4);
    }

    // Quantity box
    void quantityKeys_data()
    {
        QTest::addColumn<int>("quantity");
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QTestEventList>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("result");

        // The mouse selects and places the caret; the keyboard does the same in the rows further down.
        QTestEventList wordSelected;
        wordSelected.addMouseDClick(Qt::LeftButton);
        QTestEventList caretAtStart;
        caretAtStart.addMouseClick(Qt::LeftButton, {}, QPoint(1, 5));
        auto then = [](QTestEventList events, const QString &typed) {
            events.addKeyClicks(typed);
            return events;
        };
        const QKeyCombination selectAll = Qt::ControlModifier | Qt::Key_A;

        QTest::newRow("untouched") << 7 << QString() << Keys({}) << "7" << 7;
        QTest::newRow("emptied box") << 7 << QString() << Keys({Qt::Key_End, Qt::Key_Backspace}) << "" << 1;
        QTest::newRow("select all and type zero") << 7 << QString() << then(wordSelected, "0") << "7" << 7;
        QTest::newRow("zero into the emptied box")
            << 7 << QString() << Keys({Qt::Key_End, Qt::Key_Backspace}, "0") << "" << 1;
        QTest::newRow("letter after the quantity") << 7 << QString() << Keys({Qt::Key_End}, "x") << "7" << 7;
        QTest::newRow("letter into the emptied box")
            << 7 << QString() << Keys({Qt::Key_End, Qt::Key_Backspace}, "x") << "" << 1;
        QTest::newRow("minus before the quantity") << 7 << QString() << then(caretAtStart, "-") << "7" << 7;
        QTest::newRow("leading zero") << 5 << QString() << then(caretAtStart, "0") << "5" << 5;
        QTest::newRow("select all and retype") << 7 << QString() << then(wordSelected, "38") << "38" << 38;
        QTest::newRow("keyboard: Ctrl+A and type zero") << 7 << QString() << Keys({selectAll}, "0") << "7" << 7;
        QTest::newRow("keyboard: Ctrl+A and retype") << 7 << QString() << Keys({selectAll}, "38") << "38" << 38;
        QTest::newRow("keyboard: Home and leading zero") << 5 << QString() << Keys({Qt::Key_Home}, "0") << "5" << 5;
        QTest::newRow("keyboard: Left and digit before") << 5 << QString() << Keys({Qt::Key_Left}, "1") << "15" << 15;
        QTest::newRow("second digit") << 1 << QString() << Keys({Qt::Key_End}, "2") << "12" << 12;
        QTest::newRow("third digit refused") << 12 << QString() << Keys({Qt::Key_End}, "5") << "12" << 12;
        QTest::newRow("type into the emptied box")
            << 7 << QString() << Keys({Qt::Key_End, Qt::Key_Backspace}, "4") << "4" << 4;
        QTest::newRow("one of two digits deleted")
            << 34 << QString() << Keys({Qt::Key_End, Qt::Key_Backspace}) << "3" << 3;
        QTest::newRow("space after the quantity") << 7 << QString() << Keys({Qt::Key_End}, " ") << "7" << 7;
        QTest::newRow("space into the emptied box")
            << 7 << QString() << Keys({Qt::Key_End, Qt::Key_Backspace}, " ") << "" << 1;
        QTest::newRow("pasted number not read without a key") << 7 << "9" << Keys({}) << "9" << 7;
        QTest::newRow("pasted number read by the next key") << 7 << "9" << Keys({Qt::Key_End}) << "9" << 9;
        QTest::newRow("pasted fraction rounded by the next key") << 7 << ".6" << Keys({Qt::Key_End}) << "1" << 1;
        QTest::newRow("pasted letters undone by the next key") << 7 << "ab" << Keys({Qt::Key_End}) << "7" << 7;
        QTest::newRow("pasted blanks emptied by the next key") << 7 << "  " << Keys({Qt::Key_End}) << "" << 1;
        QTest::newRow("pasted zero stored by the next key") << 7 << "0" << Keys({Qt::Key_End}) << "0" << 1;
    }
    void quantityKeys()
    {
        QFETCH(int, quantity);
        QFETCH(QString, preset);
        QFETCH(QTestEventList, keys);
        QFETCH(QString, shown);
        QFETCH(int, result);

        frmLine dialog;
        dialog.SetLine(std::int16_t(quantity), 2, 4);
        QString text;
        QVERIFY(Run(dialog, [&](QWidget *d) {
            auto *box = Child<QLineEdit>(d, "txtQuantity");
            if (!preset.isNull())
                box->setText(preset);
            keys.simulate(box);
            text = box->text();
            ClickOk(d);
        }));
        QCOMPARE(text, shown);
        QCOMPARE(dialog.Action(), frmLine::ChangeQuantity);
        QCOMPARE(int(dialog.Quantity()), result);
        QCOMPARE(dialog.Row(), 2);
    }

    // Dismissing without OK
    void dismissed_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<int>("dismissal");

        QTest::newRow("cancel, unchanged") << int(NoChange) << int(ByCancel);
        QTest::newRow("cancel after typing") << int(TypeQuantity) << int(ByCancel);
        QTest::newRow("cancel after picking a row") << int(PickRow) << int(ByCancel);
        QTest::newRow("cancel after remove") << int(PickRemove) << int(ByCancel);
        QTest::newRow("escape, unchanged") << int(NoChange) << int(ByEscape);
        QTest::newRow("escape after typing") << int(TypeQuantity) << int(ByEscape);
        QTest::newRow("escape after remove") << int(PickRemove) << int(ByEscape);
        QTest::newRow("close box, unchanged") << int(NoChange) << int(ByCloseBox);
        QTest::newRow("close box after picking a row") << int(PickRow) << int(ByCloseBox);
        QTest::newRow("close box after remove") << int(PickRemove) << int(ByCloseBox);
        // A focused button takes Enter; OK is the default only while the focus is elsewhere.
        QTest::newRow("Enter on the focused Cancel after remove") << int(PickRemove) << int(ByEnterOnCancel);
    }
    void dismissed()
    {
        QFETCH(int, change);
        QFETCH(int, dismissal);

        frmLine dialog;
        dialog.SetLine(2, 1, 3);
        QVERIFY(Run(dialog, [&](QWidget *d) {
            switch (change) {
            case TypeQuantity:
                QTest::keyClicks(Child<QLineEdit>(d, "txtQuantity"), QStringLiteral("5"));
                break;
            case PickRow:
                ClickOption(Option(d, 2));
                QTest::keyClick(Child<DropDownList>(d, "cboRow"), Qt::Key_End);
                break;
            case PickRemove:
                ClickOption(Option(d, 3));
                break;
            default:
                break;
            }
            switch (dismissal) {
            case ByCancel:
                QTest::mouseClick(Child<QPushButton>(d, "cmdCancel"), Qt::LeftButton);
                break;
            case ByEscape:
                QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key_Escape);
                break;
            case ByEnterOnCancel: {
                auto *cancel = Child<QPushButton>(d, "cmdCancel");
                cancel->setFocus(Qt::TabFocusReason);
                QTest::keyClick(cancel, Qt::Key_Return);
                break;
            }
            default:
                d->close();
                break;
            }
        }));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.Action(), frmLine::NoAction);
    }
};

TARNWICK_TEST_MAIN(tst_frmLine)
#include "tst_frmLine.moc"
