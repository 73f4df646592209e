#include "TestSupport.h"
#include "toolkit/DropDownList.h"
#include "toolkit/MultiColumnList.h"
#include "toolkit/TabStrip.h"
#include "ui/frmChooser.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTextDocument>
#include <QTextTable>
#include <QtTest>

#include <functional>

namespace {

template <typename T> T *Child(QWidget *w, const char *name)
{
    return w->findChild<T *>(QLatin1String(name));
}

struct Purchase
{
    const char *category;
    const char *subCategory;
    const char *item;
    bool dollars;
    QStringList line; // the chosen-list row for one of it
};

// Purchases from the sample catalogue, with the row each one makes at quantity 1. Points buys show the item's
// cost under GP for a gadget category and under BP otherwise; a dollar buy shows only the dollar cost.
const QList<Purchase> &Purchases()
{
    static const QList<Purchase> purchases = {
        {"Weapons",
         "Pistols",
         "Service Pistol",
         false,
         {"Service Pistol", "Pistols", "QCR 88", "1", "0", "3", "0", "2.1"}},
        {"Gadgets",
         "Escape Gadgets",
         "Exploding Cufflinks",
         false,
         {"Exploding Cufflinks", "Escape Gadgets", "GAL 14", "1", "3", "0", "0", "0.0"}},
        {"Weapons", "Rifles", "Hunting Rifle", true, {"Hunting Rifle", "Rifles", "FM 12", "1", "0", "0", "900", "7.5"}},
        {"Weapons",
         "Pistols",
         "Pocket Derringer",
         false,
         {"Pocket Derringer", "Pistols", "QCR 90", "1", "0", "1", "0", "0.5"}},
        {"Weapons",
         "Pistols",
         "Pocket Derringer",
         true,
         {"Pocket Derringer", "Pistols", "QCR 90", "1", "0", "0", "95", "0.5"}},
        {"Weapons",
         "Pistols",
         "Pistol, Silenced",
         false,
         {"Pistol, Silenced", "Pistols", "BLK 53/54", "1", "0", "4", "0", "2.6"}},
    };
    return purchases;
}

enum
{
    ServicePistol,
    Cufflinks,
    RifleInDollars,
    Derringer,
    DerringerInDollars,
    SilencedPistol
};

const QStringList Separator = {"------", "", "", "", "", "", "", ""};

QStringList Totals(const char *gp, const char *bp, const char *dollars, const char *weight)
{
    return {"Totals", "", "", "", gp, bp, dollars, weight};
}

QStringList RowTexts(const MultiColumnList *list, int row)
{
    QStringList texts;
    for (int c = 0; c < list->Model()->columnCount(); ++c)
        texts.append(list->ListText(row, c));
    return texts;
}

QRect RowRect(const MultiColumnList *list, int row)
{
    return list->visualRect(list->Model()->index(row, 0));
}

void DoubleClickRow(MultiColumnList *list, int row)
{
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, RowRect(list, row).center());
}

void ClickOption(QWidget *dialog, int n)
{
    auto *button = Child<QRadioButton>(dialog, QStringLiteral("optOption%1").arg(n).toLatin1().constData());
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect indicator = button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
    QTest::mouseClick(button, Qt::LeftButton, {}, indicator.center());
}

void TypeQuantity(QWidget *dialog, const QString &digits)
{
    auto *box = Child<QLineEdit>(dialog, "txtQuantity");
    QTest::mouseDClick(box, Qt::LeftButton); // selects the whole number
    QTest::keyClicks(box, digits);
}

void ClickButton(QWidget *dialog, const char *name)
{
    QTest::mouseClick(Child<QPushButton>(dialog, name), Qt::LeftButton);
}

// The main window on its chosen-gear page, after buying the given purchases on the gear list page.
struct Page
{
    std::unique_ptr<TestSupport::Chooser> chooser;
    frmChooser *form = nullptr;
    MultiColumnList *list = nullptr;
    QPushButton *copy = nullptr;

    bool Open(const QByteArray &csv)
    {
        chooser = TestSupport::OpenChooser(csv);
        if (!chooser->loaded)
            return false;
        form = chooser->form;
        list = Child<MultiColumnList>(form, "lstChosen");
        copy = Child<QPushButton>(form, "cmdCopy");
        return list && copy && QTest::qWaitForWindowExposed(form);
    }

    bool Buy(const QString &category, const QString &subCategory, const QString &item, bool dollars)
    {
        auto *cat = Child<DropDownList>(form, "cboCat");
        auto *sub = Child<DropDownList>(form, "cboSubCat");
        auto *currency = Child<DropDownList>(form, "cboCurrency");
        auto *gear = Child<MultiColumnList>(form, "lstGear");
        auto *choose = Child<QPushButton>(form, "cmdChoose");
        cat->setListIndex(cat->findText(category));
        sub->setListIndex(sub->findText(subCategory));
        currency->setListIndex(dollars ? 1 : 0);
        if (cat->currentText() != category || sub->currentText() != subCategory)
            return false;
        int row = -1;
        for (int r = 0; r < gear->ListCount(); ++r) {
            if (gear->ListText(r, 0) == item)
                row = r;
        }
        if (row < 0)
            return false;
        QTest::mouseClick(gear->viewport(), Qt::LeftButton, {}, RowRect(gear, row).center());
        if (gear->ListIndex() != row || !choose->isEnabled())
            return false;
        QTest::mouseClick(choose, Qt::LeftButton);
        return true;
    }

    bool Buy(const QList<int> &purchases)
    {
        for (int p : purchases) {
            const Purchase &purchase = Purchases().at(p);
            if (!Buy(QString::fromUtf8(purchase.category), QString::fromUtf8(purchase.subCategory),
                     QString::fromUtf8(purchase.item), purchase.dollars))
                return false;
        }
        return true;
    }

    void ShowTab(int index)
    {
        QTabBar *bar = Child<TabStrip>(form, "tabMain")->Bar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }

    bool OpenWith(const QList<int> &purchases)
    {
        if (!Open(TestSupport::SampleCsv()) || !Buy(purchases))
            return false;
        ShowTab(1);
        return Child<TabStrip>(form, "tabMain")->SelectedIndex() == 1 && list->isVisible();
    }

    QList<QStringList> Rows() const
    {
        QList<QStringList> rows;
        for (int r = 0; r < list->ListCount(); ++r)
            rows.append(RowTexts(list, r));
        return rows;
    }
};

QList<QStringList> LinesOf(const QList<int> &purchases)
{
    QList<QStringList> lines;
    for (int p : purchases)
        lines.append(Purchases().at(p).line);
    return lines;
}

// Double-clicks a row with `act` armed for the dialog. The dialog's title and whether one came up at all are
// reported through `seen`.
std::shared_ptr<TestSupport::SeenBox> DoubleClickWith(MultiColumnList *list, int row,
                                                      const std::function<void(QWidget *)> &act)
{
    auto seen = TestSupport::OnNextModal(act);
    DoubleClickRow(list, row);
    return seen;
}

} // namespace

class tst_ChosenPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup()
    {
        const QStringList left = TestSupport::CloseTopLevelWindows();
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char(' '))));
    }

    // The rows
    void rows_data()
    {
        QTest::addColumn<QList<int>>("purchases");
        QTest::addColumn<QStringList>("totals");

        QTest::newRow("three mixed lines")
            << QList<int>{ServicePistol, Cufflinks, RifleInDollars} << Totals("3", "3", "900", "9.6");
        QTest::newRow("one line paid in dollars") << QList<int>{DerringerInDollars} << Totals("0", "0", "95", "0.5");
        QTest::newRow("same item twice") << QList<int>{ServicePistol, ServicePistol} << Totals("0", "6", "0", "4.2");
        QTest::newRow("one item in points and in dollars")
            << QList<int>{Derringer, DerringerInDollars} << Totals("0", "1", "95", "1.0");
        QTest::newRow("name with a comma") << QList<int>{SilencedPistol, Cufflinks} << Totals("3", "4", "0", "2.6");
    }
    void rows()
    {
        QFETCH(QList<int>, purchases);
        QFETCH(QStringList, totals);

        Page page;
        QVERIFY(page.OpenWith(purchases));
        QList<QStringList> expected = LinesOf(purchases);
        expected << Separator << totals;
        const QList<QStringList> rows = page.Rows();
        QCOMPARE(rows.count(), expected.count());
        for (int r = 0; r < rows.count(); ++r)
            QCOMPARE(rows[r], expected[r]);
        QCOMPARE(page.list->ListIndex(), 0);
        QVERIFY(page.copy->isEnabled());
    }

    void emptyList()
    {
        Page page;
        QVERIFY(page.OpenWith({}));
        QCOMPARE(page.list->ListCount(), 0);
        QCOMPARE(page.list->ListIndex(), -1);
        QVERIFY(!page.copy->isEnabled());
    }

    void rebuildSelectsFirstLine()
    {
        Page page;
        QVERIFY(page.OpenWith({ServicePistol, Cufflinks}));
        QTest::mouseClick(page.list->viewport(), Qt::LeftButton, {}, RowRect(page.list, 1).center());
        QCOMPARE(page.list->ListIndex(), 1);
        page.ShowTab(0);
        QVERIFY(page.Buy({RifleInDollars}));
        page.ShowTab(1);
        QList<QStringList> expected = LinesOf({ServicePistol, Cufflinks, RifleInDollars});
        expected << Separator << Totals("3", "3", "900", "9.6");
        QCOMPARE(page.Rows(), expected);
        QCOMPARE(page.list->ListIndex(), 0);
    }

    // Opening the Row Change dialog
    void dialogShowsLine_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("double-click first line") << 0 << false;
        QTest::newRow("double-click last line") << 2 << false;
        QTest::newRow("enter on second line") << 1 << true;
    }
    void dialogShowsLine()
    {
        QFETCH(int, row);
        QFETCH(bool, byEnter);

        Page page;
        QVERIFY(page.OpenWith({ServicePistol, Cufflinks, RifleInDollars}));
        // Give the line a quantity of its own first, so that the dialog's box has something to show.
        auto changed = DoubleClickWith(page.list, row, [](QWidget *d) {
            TypeQuantity(d, QStringLiteral("12"));
            ClickButton(d, "cmdOk");
        });
        QVERIFY(changed->seen);
        QCOMPARE(page.list->ListText(row, 3), QStringLiteral("12"));

        QString quantity;
        QStringList entries;
        int index = -1;
        bool firstOption = false;
        auto act = [&](QWidget *d) {
            quantity = Child<QLineEdit>(d, "txtQuantity")->text();
            auto *rows = Child<DropDownList>(d, "cboRow");
            for (int i = 0; i < rows->ListCount(); ++i)
                entries.append(rows->List(i));
            index = rows->ListIndex();
            firstOption = Child<QRadioButton>(d, "optOption1")->isChecked();
            ClickButton(d, "cmdCancel");
        };
        std::shared_ptr<TestSupport::SeenBox> seen;
        if (byEnter) {
            QTest::mouseClick(page.list->viewport(), Qt::LeftButton, {}, RowRect(page.list, row).center());
            QCOMPARE(page.list->ListIndex(), row);
            seen = TestSupport::OnNextModal(act);
            QTest::keyClick(page.list, Qt::Key_Return);
        } else {
            seen = DoubleClickWith(page.list, row, act);
        }
        QVERIFY(seen->seen);
        QCOMPARE(seen->title, QStringLiteral("Row Change"));
        QCOMPARE(quantity, QStringLiteral("12"));
        QCOMPARE(entries, (QStringList{"1", "2", "3"}));
        QCOMPARE(index, row);
        QVERIFY(firstOption);
    }

    // Each double-click builds its dialog anew: nothing chosen last time is carried over.
    void freshDialogEachTime()
    {
        Page page;
        QVERIFY(page.OpenWith({ServicePistol, Cufflinks, RifleInDollars}));
        auto first = DoubleClickWith(page.list, 1, [](QWidget *d) {
            ClickOption(d, 2);
            QTest::keyClick(Child<DropDownList>(d, "cboRow"), Qt::Key_End);
            TypeQuantity(d, QStringLiteral("9"));
            ClickButton(d, "cmdCancel");
        });
        QVERIFY(first->seen);

        bool firstOption = false, boxOn = false, listOn = true;
        int index = -1;
        QString quantity;
        auto second = DoubleClickWith(page.list, 1, [&](QWidget *d) {
            firstOption = Child<QRadioButton>(d, "optOption1")->isChecked();
            boxOn = Child<QLineEdit>(d, "txtQuantity")->isEnabled();
            listOn = Child<DropDownList>(d, "cboRow")->isEnabled();
            index = Child<DropDownList>(d, "cboRow")->ListIndex();
            quantity = Child<QLineEdit>(d, "txtQuantity")->text();
            ClickButton(d, "cmdCancel");
        });
        QVERIFY(second->seen);
        QVERIFY(firstOption);
        QVERIFY(boxOn);
        QVERIFY(!listOn);
        QCOMPARE(index, 1);
        QCOMPARE(quantity, QStringLiteral("1"));
    }

    // Edits through the dialog
    void changeQuantity_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("line");
        QTest::addColumn<QStringList>("totals");

        QTest::newRow("pistol times three")
            << 0 << "3" << QStringList{"Service Pistol", "Pistols", "QCR 88", "3", "0", "9", "0", "6.3"}
            << Totals("3", "9", "900", "13.8");
        QTest::newRow("cufflinks times twelve")
            << 1 << "12" << QStringList{"Exploding Cufflinks", "Escape Gadgets", "GAL 14", "12", "36", "0", "0", "0.0"}
            << Totals("36", "3", "900", "9.6");
        QTest::newRow("rifle in dollars times three")
            << 2 << "3" << QStringList{"Hunting Rifle", "Rifles", "FM 12", "3", "0", "0", "2700", "22.5"}
            << Totals("3", "3", "2700", "24.6");
        QTest::newRow("zero typed keeps one")
            << 0 << "0" << QStringList{"Service Pistol", "Pistols", "QCR 88", "1", "0", "3", "0", "2.1"}
            << Totals("3", "3", "900", "9.6");
    }
    void changeQuantity()
    {
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QStringList, line);
        QFETCH(QStringList, totals);

        Page page;
        const QList<int> bought = {ServicePistol, Cufflinks, RifleInDollars};
        QVERIFY(page.OpenWith(bought));
        auto seen = DoubleClickWith(page.list, row, [&](QWidget *d) {
            TypeQuantity(d, typed);
            ClickButton(d, "cmdOk");
        });
        QVERIFY(seen->seen);
        QList<QStringList> expected = LinesOf(bought);
        expected[row] = line;
        expected << Separator << totals;
        const QList<QStringList> rows = page.Rows();
        QCOMPARE(rows.count(), expected.count());
        for (int r = 0; r < rows.count(); ++r)
            QCOMPARE(rows[r], expected[r]);
        QCOMPARE(page.list->ListIndex(), 0);
    }

    void moveLine_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QList<int>>("order");

        QTest::newRow("line 4 of 4 to row 1")
            << 4 << 1 << QList<int>{Derringer, ServicePistol, Cufflinks, RifleInDollars};
        QTest::newRow("line 1 to row 4") << 1 << 4 << QList<int>{Cufflinks, RifleInDollars, Derringer, ServicePistol};
        QTest::newRow("line 2 to row 3") << 2 << 3 << QList<int>{ServicePistol, RifleInDollars, Cufflinks, Derringer};
        QTest::newRow("line 3 to row 2") << 3 << 2 << QList<int>{ServicePistol, RifleInDollars, Cufflinks, Derringer};
        QTest::newRow("line 1 to row 3") << 1 << 3 << QList<int>{Cufflinks, RifleInDollars, ServicePistol, Derringer};
        QTest::newRow("line 2 to its own row")
            << 2 << 2 << QList<int>{ServicePistol, Cufflinks, RifleInDollars, Derringer};
    }
    void moveLine()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QList<int>, order);

        Page page;
        QVERIFY(page.OpenWith({ServicePistol, Cufflinks, RifleInDollars, Derringer}));
        QString picked;
        auto seen = DoubleClickWith(page.list, from - 1, [&](QWidget *d) {
            ClickOption(d, 2);
            auto *rows = Child<DropDownList>(d, "cboRow");
            for (int i = from; i < to; ++i)
                QTest::keyClick(rows, Qt::Key_Down);
            for (int i = from; i > to; --i)
                QTest::keyClick(rows, Qt::Key_Up);
            picked = rows->currentText();
            ClickButton(d, "cmdOk");
        });
        QVERIFY(seen->seen);
        QCOMPARE(picked, QString::number(to));
        QList<QStringList> expected = LinesOf(order);
        expected << Separator << Totals("3", "4", "900", "10.1");
        const QList<QStringList> rows = page.Rows();
        QCOMPARE(rows.count(), expected.count());
        for (int r = 0; r < rows.count(); ++r)
            QCOMPARE(rows[r], expected[r]);
        QCOMPARE(page.list->ListIndex(), 0);
    }

    void removeLine_data()
    {
        QTest::addColumn<QList<int>>("bought");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("left");
        QTest::addColumn<QStringList>("totals");

        QTest::newRow("the only line") << QList<int>{ServicePistol} << 0 << QList<int>{} << QStringList();
        QTest::newRow("middle of three") << QList<int>{ServicePistol, Cufflinks, RifleInDollars} << 1
                                         << QList<int>{ServicePistol, RifleInDollars} << Totals("0", "3", "900", "9.6");
        QTest::newRow("first of three") << QList<int>{ServicePistol, Cufflinks, RifleInDollars} << 0
                                        << QList<int>{Cufflinks, RifleInDollars} << Totals("3", "0", "900", "7.5");
        QTest::newRow("last of two") << QList<int>{Derringer, DerringerInDollars} << 1 << QList<int>{Derringer}
                                     << Totals("0", "1", "0", "0.5");
    }
    void removeLine()
    {
        QFETCH(QList<int>, bought);
        QFETCH(int, row);
        QFETCH(QList<int>, left);
        QFETCH(QStringList, totals);

        Page page;
        QVERIFY(page.OpenWith(bought));
        auto seen = DoubleClickWith(page.list, row, [](QWidget *d) {
            ClickOption(d, 3);
            ClickButton(d, "cmdOk");
        });
        QVERIFY(seen->seen);
        QList<QStringList> expected = LinesOf(left);
        if (!left.isEmpty())
            expected << Separator << totals;
        QCOMPARE(page.Rows(), expected);
        QCOMPARE(page.copy->isEnabled(), !left.isEmpty());
        QCOMPARE(page.list->ListIndex(), left.isEmpty() ? -1 : 0);
    }

    void cancelKeepsList_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("escape");

        QTest::newRow("quantity typed, cancel") << 1 << 1 << false;
        QTest::newRow("move picked, cancel") << 2 << 2 << false;
        QTest::newRow("remove picked, cancel") << 0 << 3 << false;
        QTest::newRow("remove picked, escape") << 2 << 3 << true;
    }
    void cancelKeepsList()
    {
        QFETCH(int, row);
        QFETCH(int, option);
        QFETCH(bool, escape);

        Page page;
        QVERIFY(page.OpenWith({ServicePistol, Cufflinks, RifleInDollars}));
        const QList<QStringList> before = page.Rows();
        auto seen = DoubleClickWith(page.list, row, [&](QWidget *d) {
            TypeQuantity(d, QStringLiteral("7"));
            ClickOption(d, option);
            if (option == 2)
                QTest::keyClick(Child<DropDownList>(d, "cboRow"), Qt::Key_Home);
            if (escape)
                QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key_Escape);
            else
                ClickButton(d, "cmdCancel");
        });
        QVERIFY(seen->seen);
        QCOMPARE(page.Rows(), before);
        QCOMPARE(page.list->ListIndex(), row);
        QVERIFY(page.copy->isEnabled());
    }

    // Only lines open the dialog, not the rows under them.
    void noDialogBelowLines_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("double-click on the separator") << 2 << false;
        QTest::newRow("double-click on the totals") << 3 << false;
        QTest::newRow("enter on the separator") << 2 << true;
        QTest::newRow("enter on the totals") << 3 << true;
    }
    void noDialogBelowLines()
    {
        QFETCH(int, row);
        QFETCH(bool, byEnter);

        Page page;
        QVERIFY(page.OpenWith({ServicePistol, Cufflinks}));
        const QList<QStringList> before = page.Rows();
        if (byEnter) {
            QTest::mouseClick(page.list->viewport(), Qt::LeftButton, {}, RowRect(page.list, row).center());
            QCOMPARE(page.list->ListIndex(), row);
        }
        auto seen = TestSupport::OnNextModal();
        if (byEnter)
            QTest::keyClick(page.list, Qt::Key_Return);
        else
            DoubleClickRow(page.list, row);
        // A dialog would have run its own event loop inside the event, and the armed timer with it.
        QVERIFY(!seen->seen);
        QCOMPARE(page.Rows(), before);
        QCOMPARE(page.list->ListIndex(), row);

        // Hand the armed timer a box of our own, so that it ends here and not in a later test.
        QMessageBox drain(QMessageBox::NoIcon, QStringLiteral("drain"), QStringLiteral("drain"));
        drain.exec();
        QVERIFY(seen->seen);
        QCOMPARE(seen->title, QStringLiteral("drain"));
    }

    // Undo and redo keys, on every page; the dialog keeps its own
    void undoRedoKeys_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("shiftZ");
        QTest::newRow("chosen gear page, Ctrl+Y") << 1 << "lstChosen" << false;
        QTest::newRow("gear list page, Ctrl+Shift+Z") << 0 << "lstGear" << true;
        QTest::newRow("help page, Ctrl+Y") << 2 << "txtInfo" << false;
    }
    void undoRedoKeys()
    {
        QFETCH(int, tab);
        QFETCH(QString, focus);
        QFETCH(bool, shiftZ);

        Page page;
        QVERIFY(page.OpenWith({ServicePistol, Cufflinks, RifleInDollars}));
        const QList<QStringList> three = page.Rows();
        bool dialogActive = false;
        QList<QStringList> duringDialog;
        auto removed = DoubleClickWith(page.list, 1, [&](QWidget *d) {
            dialogActive = TestSupport::WaitForActive(d);
            QTest::keyClick(Child<QLineEdit>(d, "txtQuantity"), Qt::Key_Z, Qt::ControlModifier);
            duringDialog = page.Rows();
            ClickOption(d, 3);
            ClickButton(d, "cmdOk");
        });
        QVERIFY(removed->seen);
        QVERIFY(dialogActive);
        QCOMPARE(duringDialog, three);
        const QList<QStringList> two = page.Rows();
        QCOMPARE(two.count(), 4);
        // Confirming an untouched dialog is no step: the next undo takes back the removal.
        auto untouched = DoubleClickWith(page.list, 0, [](QWidget *d) { ClickButton(d, "cmdOk"); });
        QVERIFY(untouched->seen);

        auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
            page.ShowTab(tab);
            page.form->activateWindow();
            QVERIFY(TestSupport::WaitForActive(page.form));
            QWidget *target = Child<QWidget>(page.form, focus.toLatin1().constData());
            target->setFocus();
            QTest::keyClick(target, key, modifiers);
        };
        press(Qt::Key_Z, Qt::ControlModifier);
        if (tab != 1) {
            QCOMPARE(page.Rows(), two); // the view follows when its page is next shown
            page.ShowTab(1);
        }
        QCOMPARE(page.Rows(), three);
        QCOMPARE(page.list->ListIndex(), 0);

        press(shiftZ ? Qt::Key_Z : Qt::Key_Y, shiftZ ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        page.ShowTab(1);
        QCOMPARE(page.Rows(), two);
        QCOMPARE(page.list->ListIndex(), 0);
    }

    // Pasting an export
    void pasteKey_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("message");

        const QString lines = QStringLiteral("Hunting Rifle\tRifles\tFM 12\t1\t0\t0\t900\t7.5\r\n"
                                             "Laser Watch\tWatches\tGAL 3\t1\t5\t0\t0\t0.1\r\n"
                                             "Pocket Derringer\tPistols\tQCR 90\t1\t0\t1\t0\t0.5\r\n");
        const QString exported =
            QStringLiteral("Item\tType\tReference\tQty\tGP Cost\tBP Cost\t$ Cost\tWeight (lbs.)\r\n") + lines +
            QStringLiteral("------\t\t\t\t\t\t\t\r\nTotals\t\t\t\t5\t1\t900\t8.1\r\n");
        const QString message = QStringLiteral("2 rows were added from the clipboard.\nNot added:\nLaser Watch");
        QTest::newRow("export, on the chosen gear page") << 1 << exported << message;
        QTest::newRow("export, on the gear list page") << 0 << exported << message;
        QTest::newRow("lines without the header") << 1 << lines << QString();
    }
    void pasteKey()
    {
        QFETCH(int, tab);
        QFETCH(QString, clipboard);
        QFETCH(QString, message);

        Page page;
        QVERIFY(page.OpenWith({ServicePistol}));
        const QList<QStringList> before = page.Rows();
        page.ShowTab(tab);
        page.form->activateWindow();
        QVERIFY(TestSupport::WaitForActive(page.form));
        QGuiApplication::clipboard()->setText(clipboard);
        // A Wayland compositor hands the text back to its own client only once it has taken the offer.
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), clipboard);
        auto seen = TestSupport::OnNextModal();
        QWidget *focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : page.form, Qt::Key_V, Qt::ControlModifier);
        if (message.isEmpty()) {
            QVERIFY(!seen->seen);
            page.ShowTab(1);
            QCOMPARE(page.Rows(), before);
            // Hand the armed timer a box of our own, so that it ends here and not in a later test.
            QMessageBox drain(QMessageBox::NoIcon, QStringLiteral("drain"), QStringLiteral("drain"));
            drain.exec();
            QCOMPARE(seen->title, QStringLiteral("drain"));
            return;
        }
        QVERIFY(seen->seen);
        QCOMPARE(seen->title, QStringLiteral("Quellvane Gear Chooser [v1.02]"));
        QCOMPARE(seen->icon, QMessageBox::Information);
        QCOMPARE(seen->text, message);
        if (tab != 1)
            page.ShowTab(1);
        QList<QStringList> expected = LinesOf({ServicePistol, RifleInDollars, Derringer});
        expected << Separator << Totals("0", "4", "900", "10.1");
        QCOMPARE(page.Rows(), expected);
        QCOMPARE(page.list->ListIndex(), 0);

        // The paste is one step.
        page.form->activateWindow();
        QVERIFY(TestSupport::WaitForActive(page.form));
        QTest::keyClick(page.list, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(page.Rows(), before);
    }

    // Twenty names the catalogue lacks, each of 200,000 characters: the box names each on one line and fits the
    // screen.
    void pasteOfLongUnknownNames()
    {
        Page page;
        QVERIFY(page.OpenWith({}));
        QString clipboard = QStringLiteral("Item\tType\tReference\tQty\tGP Cost\tBP Cost\t$ Cost\tWeight (lbs.)\r\n");
        for (int i = 0; i < 20; ++i)
            clipboard += QString::number(i) + QStringLiteral(" Listening Device Mk").repeated(10000) +
                         QStringLiteral("\tRecorders\tQCR 1\t1\t0\t1\t0\t1.0\r\n");
        page.form->activateWindow();
        QVERIFY(TestSupport::WaitForActive(page.form));
        QVERIFY(TestSupport::SetClipboardText(clipboard));
        QSize box;
        auto seen = TestSupport::OnNextModal([&box](QWidget *modal) {
            box = modal->frameGeometry().size();
            static_cast<QMessageBox *>(modal)->accept();
        });
        QTest::keyClick(page.form, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(seen->seen);
        const QStringList lines = seen->text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 22);
        for (int i = 0; i < 20; ++i) {
            QVERIFY2(lines[2 + i].startsWith(QString::number(i) + QStringLiteral(" Listening")),
                     qPrintable(lines[2 + i]));
            QVERIFY2(lines[2 + i].size() < 100, qPrintable(lines[2 + i]));
        }
        const QSize screen = page.form->screen()->availableGeometry().size();
        QVERIFY2(box.width() <= screen.width() && box.height() <= screen.height(),
                 qPrintable(QStringLiteral("%1 x %2").arg(box.width()).arg(box.height())));
    }

    // Copying
    void copy_data()
    {
        QTest::addColumn<QList<int>>("bought");
        QTest::addColumn<bool>("byShortcut");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rows");

        const QString header =
            QStringLiteral("Item\tType\tReference\tQty\tGP Cost\tBP Cost\t$ Cost\tWeight (lbs.)\r\n");
        const QString three = header + QStringLiteral("Service Pistol\tPistols\tQCR 88\t1\t0\t3\t0\t2.1\r\n"
                                                      "Exploding Cufflinks\tEscape Gadgets\tGAL 14\t1\t3\t0\t0\t0.0\r\n"
                                                      "Hunting Rifle\tRifles\tFM 12\t1\t0\t0\t900\t7.5\r\n"
                                                      "------\t\t\t\t\t\t\t\r\n"
                                                      "Totals\t\t\t\t3\t3\t900\t9.6\r\n");
        const QList<int> threeLines = {ServicePistol, Cufflinks, RifleInDollars};
        QTest::newRow("three lines, button") << threeLines << false << three << 5;
        QTest::newRow("three lines, Alt+C") << threeLines << true << three << 5;
        QTest::newRow("one line, button")
            << QList<int>{DerringerInDollars} << false
            << header + QStringLiteral("Pocket Derringer\tPistols\tQCR 90\t1\t0\t0\t95\t0.5\r\n"
                                       "------\t\t\t\t\t\t\t\r\n"
                                       "Totals\t\t\t\t0\t0\t95\t0.5\r\n")
            << 3;
    }
    void copy()
    {
        QFETCH(QList<int>, bought);
        QFETCH(bool, byShortcut);
        QFETCH(QString, text);
        QFETCH(int, rows);

        Page page;
        QVERIFY(page.OpenWith(bought));
        QCOMPARE(page.list->ListCount(), rows);
        QGuiApplication::clipboard()->setText(QStringLiteral("stale"));
        auto seen = TestSupport::OnNextModal();
        if (byShortcut) {
            page.form->activateWindow();
            QVERIFY(TestSupport::WaitForActive(page.form));
            QTest::keyClick(page.form, Qt::Key_C, Qt::AltModifier);
        } else {
            QTest::mouseClick(page.copy, Qt::LeftButton);
        }
        // A mnemonic clicks its button after a short animation, so the box comes up a little later.
        QTRY_VERIFY(seen->seen);
        QCOMPARE(seen->text, QStringLiteral("%1 rows were successfully copied to the clipboard.").arg(rows));
        QCOMPARE(seen->title, QStringLiteral("Quellvane Gear Chooser [v1.02]"));
        QCOMPARE(seen->icon, QMessageBox::Information);
        const QString copied = QGuiApplication::clipboard()->text();
        QCOMPARE(copied, text);
        const QStringList lines = copied.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.count(), rows + 2); // the header, the rows, and nothing after the last line end
        for (int i = 0; i <= rows; ++i)
            QCOMPARE(lines[i].count(QLatin1Char('\t')), 7);
    }

    void copyHtml()
    {
        const QByteArray csv = TestSupport::Csv({
            "Category,Sub Category,Item,Cost,Weight,Cost $,Source,Ref 1,Ref 2",
            "Tools & Kits,<Locks>,Pick <Set>,2,0.5,40,A&B,7,",
            "Tools & Kits,<Locks>,\"Key \"\"Master\"\" Ring\",1,1.2,15,Q'R,3,4",
            "Tools & Kits,<Locks>,Tom's & Jo's <b>Wire</b>,1,1,5,QCR,,",
        });
        Page page;
        QVERIFY(page.Open(csv));
        const QStringList items = {"Pick <Set>", "Key \"Master\" Ring", "Tom's & Jo's <b>Wire</b>"};
        for (const QString &item : items)
            QVERIFY2(page.Buy(QStringLiteral("Tools & Kits"), QStringLiteral("<Locks>"), item, false),
                     qPrintable(item));
        page.ShowTab(1);

        auto seen = TestSupport::OnNextModal();
        QTest::mouseClick(page.copy, Qt::LeftButton);
        QVERIFY(seen->seen);
        QCOMPARE(seen->text, QStringLiteral("5 rows were successfully copied to the clipboard."));

        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        const QString text = data->text();
        QCOMPARE(text, QStringLiteral("Item\tType\tReference\tQty\tGP Cost\tBP Cost\t$ Cost\tWeight (lbs.)\r\n"
                                      "Pick <Set>\t<Locks>\tA&B 7\t1\t0\t2\t0\t0.5\r\n"
                                      "Key \"Master\" Ring\t<Locks>\tQ'R 3/4\t1\t0\t1\t0\t1.2\r\n"
                                      "Tom's & Jo's <b>Wire</b>\t<Locks>\tQCR\t1\t0\t1\t0\t1.0\r\n"
                                      "------\t\t\t\t\t\t\t\r\n"
                                      "Totals\t\t\t\t0\t4\t0\t2.7\r\n"));

        QVERIFY(data->hasHtml());
        const QString html = data->html();
        QVERIFY(html.contains(QStringLiteral("<table")));
        QTextDocument document;
        document.setHtml(html);
        QTextTable *table = nullptr;
        for (auto it = document.rootFrame()->begin(); !it.atEnd() && !table; ++it)
            table = qobject_cast<QTextTable *>(it.currentFrame());
        QVERIFY(table);

        QStringList lines = text.split(QStringLiteral("\r\n"));
        lines.removeLast();
        QCOMPARE(table->rows(), lines.count());
        QCOMPARE(table->columns(), 8);
        for (int r = 0; r < table->rows(); ++r) {
            const QStringList fields = lines[r].split(QLatin1Char('\t'));
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                QTextCursor cursor = cell.firstCursorPosition();
                cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                QCOMPARE(cursor.selectedText(), fields[c]);
            }
        }
    }
};

TARNWICK_TEST_MAIN(tst_ChosenPage)
#include "tst_ChosenPage.moc"
