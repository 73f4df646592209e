#include "TestSupport.h"
#include "toolkit/DropDownList.h"
#include "toolkit/HeldKeys.h"
#include "toolkit/MultiColumnList.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QtTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(ListCell)

namespace {

// A list whose model is checked by the model tester for as long as the list lives.
struct TestedList
{
    explicit TestedList(int columns)
        : list(columns), tester(list.Model(), QAbstractItemModelTester::FailureReportingMode::QtTest)
    {
    }
    MultiColumnList list;
    QAbstractItemModelTester tester;
};

ListRows Rows(int columns, int count)
{
    ListRows rows;
    rows.Columns = columns;
    for (int r = 0; r < count; ++r) {
        const int row = rows.AddRow();
        rows.At(row, 0) = QStringLiteral("Row %1").arg(r);
        if (columns > 1)
            rows.At(row, 1) = std::int64_t(r * 10);
    }
    return rows;
}

void Fill(MultiColumnList &list, int count)
{
    for (int r = 0; r < count; ++r)
        list.AddItem(QStringLiteral("Item %1").arg(r));
}

bool Shown(QWidget &w)
{
    w.resize(300, 200);
    w.show();
    return QTest::qWaitForWindowExposed(&w);
}

} // namespace

class tst_MultiColumnList : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        HeldKeys::Install(); // as the windows install it
    }
    void cleanup()
    {
        const QStringList left = TestSupport::CloseTopLevelWindows();
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char(' '))));
    }

    // Cells
    void addItem()
    {
        TestedList t(3);
        t.list.AddItem(QStringLiteral("First"));
        t.list.AddItem(QStringLiteral("Second"));
        QCOMPARE(t.list.ListCount(), 2);
        QCOMPARE(t.list.ListText(0, 0), QStringLiteral("First"));
        QCOMPARE(t.list.ListText(1, 0), QStringLiteral("Second"));
        QCOMPARE(t.list.Model()->rowCount(), 2);
        QCOMPARE(t.list.Model()->columnCount(), 3);
        for (int c = 1; c < 3; ++c) {
            QVERIFY(std::holds_alternative<std::monostate>(t.list.List(1, c)));
            QCOMPARE(t.list.ListText(1, c), QString());
            QCOMPARE(t.list.Model()->index(1, c).data().toString(), QString());
        }
        QCOMPARE(t.list.ListIndex(), -1);
    }

    void cellDisplay_data()
    {
        QTest::addColumn<ListCell>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");

        QTest::newRow("text") << ListCell(QStringLiteral("Rope Belt")) << QStringLiteral("Rope Belt") << false;
        QTest::newRow("digits as text") << ListCell(QStringLiteral("12")) << QStringLiteral("12") << false;
        QTest::newRow("empty text") << ListCell(QString()) << QString() << false;
        QTest::newRow("unset") << ListCell() << QString() << false;
        QTest::newRow("whole double") << ListCell(12.0) << QStringLiteral("12") << true;
        QTest::newRow("zero double") << ListCell(0.0) << QStringLiteral("0") << true;
        QTest::newRow("negative whole double") << ListCell(-3.0) << QStringLiteral("-3") << true;
        QTest::newRow("fraction") << ListCell(2.5) << QStringLiteral("2.5") << true;
        QTest::newRow("large whole double") << ListCell(70368744177664.0) << QStringLiteral("70368744177664") << true;
        QTest::newRow("whole double beyond 2^53") << ListCell(1e17) << QStringLiteral("100000000000000000") << true;
        QTest::newRow("int64 zero") << ListCell(std::int64_t(0)) << QStringLiteral("0") << true;
        QTest::newRow("int64 max") << ListCell(std::numeric_limits<std::int64_t>::max())
                                   << QStringLiteral("9223372036854775807") << true;
        QTest::newRow("int64 min") << ListCell(std::numeric_limits<std::int64_t>::min())
                                   << QStringLiteral("-9223372036854775808") << true;
    }
    void cellDisplay()
    {
        QFETCH(ListCell, value);
        QFETCH(QString, text);
        QFETCH(bool, number);

        TestedList t(2);
        t.list.AddItem(QStringLiteral("Name"));
        QSignalSpy changed(t.list.Model(), &QAbstractItemModel::dataChanged);
        t.list.SetList(0, 1, value);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(t.list.List(0, 1), value);
        QCOMPARE(t.list.ListText(0, 1), text);
        const QModelIndex index = t.list.Model()->index(0, 1);
        QCOMPARE(index.data(Qt::DisplayRole).toString(), text);
        const auto alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
        QCOMPARE(bool(alignment & Qt::AlignRight), number);
        QCOMPARE(bool(alignment & Qt::AlignLeft), !number);
    }

    void outOfRangeCells_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("row past the end") << 2 << 0;
        QTest::newRow("negative row") << -1 << 0;
        QTest::newRow("column past the end") << 0 << 2;
        QTest::newRow("negative column") << 0 << -1;
    }
    void outOfRangeCells()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        TestedList t(2);
        Fill(t.list, 2);
        QSignalSpy changed(t.list.Model(), &QAbstractItemModel::dataChanged);
        t.list.SetList(row, column, QStringLiteral("stray"));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(t.list.ListCount(), 2);
        QCOMPARE(t.list.ListText(row, column), QString());
        QCOMPARE(t.list.ListText(0, 0), QStringLiteral("Item 0"));
        QCOMPARE(t.list.ListText(1, 0), QStringLiteral("Item 1"));
    }

    // Rows as a whole
    void setRows()
    {
        TestedList t(2);
        Fill(t.list, 5);
        t.list.SetRows(Rows(2, 3));
        QCOMPARE(t.list.ListCount(), 3);
        QCOMPARE(t.list.ListText(2, 0), QStringLiteral("Row 2"));
        QCOMPARE(t.list.ListText(2, 1), QStringLiteral("20"));
        QCOMPARE(t.list.ListIndex(), -1);
        t.list.SetRows(Rows(2, 0));
        QCOMPARE(t.list.ListCount(), 0);
    }

    void clear()
    {
        TestedList t(2);
        Fill(t.list, 3);
        t.list.setListIndex(1);
        t.list.Clear();
        QCOMPARE(t.list.ListCount(), 0);
        QCOMPARE(t.list.ListIndex(), -1);
        QCOMPARE(t.list.ListText(0, 0), QString());
        t.list.Clear();
        QCOMPARE(t.list.ListCount(), 0);
    }

    // A selection made before the rows were replaced must not hide the next one.
    void clickAfterReplacingRows_data()
    {
        QTest::addColumn<bool>("useSetRows");
        QTest::newRow("Clear then AddItem") << false;
        QTest::newRow("SetRows") << true;
    }
    void clickAfterReplacingRows()
    {
        QFETCH(bool, useSetRows);
        TestedList t(2);
        Fill(t.list, 3);
        t.list.setListIndex(0);
        if (useSetRows) {
            t.list.SetRows(Rows(2, 3));
        } else {
            t.list.Clear();
            Fill(t.list, 3);
        }
        QCOMPARE(t.list.ListIndex(), -1);
        QSignalSpy click(&t.list, &MultiColumnList::Click);
        t.list.setListIndex(0);
        QCOMPARE(click.count(), 1);
        QCOMPARE(t.list.ListIndex(), 0);
    }

    // Selection
    void setListIndex_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("clicks");

        QTest::newRow("first selection") << 3 << -1 << 0 << 0 << 1;
        QTest::newRow("last row") << 3 << -1 << 2 << 2 << 1;
        QTest::newRow("another row") << 3 << 0 << 2 << 2 << 1;
        QTest::newRow("same row again") << 3 << 1 << 1 << 1 << 0;
        QTest::newRow("empty list") << 0 << -1 << 0 << -1 << 0;
        QTest::newRow("one past the end") << 3 << 1 << 3 << 1 << 0;
        QTest::newRow("far past the end") << 3 << 1 << 1000 << 1 << 0;
        QTest::newRow("below minus one") << 3 << 1 << -2 << 1 << 0;
        QTest::newRow("past the end with none selected") << 3 << -1 << 3 << -1 << 0;
    }
    void setListIndex()
    {
        QFETCH(int, count);
        QFETCH(int, start);
        QFETCH(int, target);
        QFETCH(int, expected);
        QFETCH(int, clicks);

        TestedList t(2);
        Fill(t.list, count);
        QCOMPARE(t.list.ListIndex(), -1);
        if (start >= 0)
            t.list.setListIndex(start);
        QCOMPARE(t.list.ListIndex(), start);
        QSignalSpy click(&t.list, &MultiColumnList::Click);
        QSignalSpy dblClick(&t.list, &MultiColumnList::DblClick);
        t.list.setListIndex(target);
        // Counted at once, without running the event loop: the event is raised synchronously.
        QCOMPARE(click.count(), clicks);
        QCOMPARE(t.list.ListIndex(), expected);
        QCOMPARE(dblClick.count(), 0);
    }

    void clickSeesNewIndex()
    {
        TestedList t(2);
        Fill(t.list, 4);
        QList<int> seen;
        connect(&t.list, &MultiColumnList::Click, this, [&] { seen.append(t.list.ListIndex()); });
        t.list.setListIndex(3);
        t.list.setListIndex(1);
        QCOMPARE(seen, (QList<int>{3, 1}));
    }

    // The user's own selection. A list with rows keeps a selected row: SingleSelection alone lets Ctrl deselect it.
    void userSelection_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("clicks");

        QTest::newRow("click a row") << 0 << "click" << 2 << 1;
        QTest::newRow("Ctrl+click the selected row") << 2 << "ctrl-click" << 2 << 0;
        QTest::newRow("Ctrl+Space on the selected row") << 2 << "ctrl-space" << 2 << 0;
    }
    void userSelection()
    {
        QFETCH(int, start);
        QFETCH(QString, action);
        QFETCH(int, expected);
        QFETCH(int, clicks);

        TestedList t(2);
        Fill(t.list, 4);
        QVERIFY(Shown(t.list));
        t.list.setListIndex(start);
        QSignalSpy click(&t.list, &MultiColumnList::Click);
        const QRect rect = t.list.visualRect(t.list.Model()->index(2, 0));
        QVERIFY(rect.isValid());
        if (action == QLatin1String("ctrl-space"))
            QTest::keyClick(&t.list, Qt::Key_Space, Qt::ControlModifier);
        else
            QTest::mouseClick(t.list.viewport(), Qt::LeftButton,
                              action == QLatin1String("ctrl-click") ? Qt::ControlModifier : Qt::NoModifier,
                              rect.center());
        QCOMPARE(t.list.ListIndex(), expected);
        QCOMPARE(click.count(), clicks);
    }

    // Double-click and Enter
    void doubleClick_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("dblClicks");
        QTest::newRow("first row") << 0 << int(Qt::LeftButton) << 1;
        QTest::newRow("last row") << 3 << int(Qt::LeftButton) << 1;
        // Only the primary button's double-click buys or edits.
        QTest::newRow("right button") << 3 << int(Qt::RightButton) << 0;
    }
    void doubleClick()
    {
        QFETCH(int, row);
        QFETCH(int, button);
        QFETCH(int, dblClicks);
        TestedList t(2);
        Fill(t.list, 4);
        QVERIFY(Shown(t.list));
        QSignalSpy dblClick(&t.list, &MultiColumnList::DblClick);
        const QRect rect = t.list.visualRect(t.list.Model()->index(row, 0));
        QVERIFY(rect.isValid());
        QTest::mouseDClick(t.list.viewport(), Qt::MouseButton(button), {}, rect.center());
        QCOMPARE(dblClick.count(), dblClicks);
        QCOMPARE(t.list.ListIndex(), row);
    }

    void enterKey_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("held"); // 0: a press; 1: a repeat flagged; 2: unflagged, its release at its time
        QTest::addColumn<int>("dblClicks");

        QTest::newRow("return on a selected row") << 3 << 1 << int(Qt::Key_Return) << 0 << 1;
        QTest::newRow("keypad enter on a selected row") << 3 << 0 << int(Qt::Key_Enter) << 0 << 1;
        QTest::newRow("return without a selection") << 3 << -1 << int(Qt::Key_Return) << 0 << 0;
        QTest::newRow("return on an empty list") << 0 << -1 << int(Qt::Key_Return) << 0 << 0;
        // A held key repeats its press; one press is one action. X11 under load sends some repeats unflagged.
        QTest::newRow("repeat of a held return") << 3 << 1 << int(Qt::Key_Return) << 1 << 0;
        QTest::newRow("repeat of a held keypad enter") << 3 << 1 << int(Qt::Key_Enter) << 1 << 0;
        QTest::newRow("unflagged repeat of a held return") << 3 << 1 << int(Qt::Key_Return) << 2 << 0;
    }
    void enterKey()
    {
        QFETCH(int, count);
        QFETCH(int, selected);
        QFETCH(int, key);
        QFETCH(int, held);
        QFETCH(int, dblClicks);

        TestedList t(2);
        Fill(t.list, count);
        QVERIFY(Shown(t.list));
        t.list.setListIndex(selected);
        QCOMPARE(t.list.ListIndex(), selected);
        QSignalSpy dblClick(&t.list, &MultiColumnList::DblClick);
        if (held) {
            const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
            QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), held == 1);
            release.setTimestamp(4242);
            QApplication::sendEvent(&t.list, &release);
            QKeyEvent repeat(QEvent::KeyPress, key, modifiers, QString(), held == 1);
            repeat.setTimestamp(4242);
            QApplication::sendEvent(&t.list, &repeat);
        } else {
            QTest::keyClick(&t.list, Qt::Key(key));
        }
        QCOMPARE(dblClick.count(), dblClicks);
        QCOMPARE(t.list.ListIndex(), selected);
    }

    // Appearance
    void columnWidths_data()
    {
        QTest::addColumn<QList<double>>("points");
        QTest::newRow("whole points") << QList<double>{120, 90, 60};
        QTest::newRow("fractions") << QList<double>{20.5, 33.3, 150.9};
    }
    void columnWidths()
    {
        QFETCH(QList<double>, points);
        TestedList t(3);
        t.list.SetColumnWidths({points[0], points[1], points[2]});
        const int dpi = t.list.logicalDpiX();
        auto check = [&] {
            for (int c = 0; c < 3; ++c) {
                if (t.list.columnWidth(c) != int(std::lround(points[c] * dpi / 72.0)))
                    return false;
            }
            return true;
        };
        QVERIFY(check());
        QVERIFY(Shown(t.list));
        QVERIFY(check());
        t.list.SetRows(Rows(3, 4));
        QVERIFY(check());
        t.list.Clear();
        Fill(t.list, 2);
        QVERIFY(check());
        t.list.resize(600, 100);
        QVERIFY(check());
    }

    void noHeader()
    {
        TestedList t(2);
        Fill(t.list, 2);
        QVERIFY(Shown(t.list));
        QVERIFY(t.list.isHeaderHidden());
        QVERIFY(!t.list.header()->isVisible());
    }

    // DropDownList
    void dropDownAddNeverSelects()
    {
        DropDownList list;
        QSignalSpy click(&list, &DropDownList::Click);
        list.AddItem(QStringLiteral("BP/GP"));
        list.AddItem(QStringLiteral("$"));
        list.AddItems({QStringLiteral("three"), QStringLiteral("four")});
        QCOMPARE(list.ListCount(), 4);
        QCOMPARE(list.ListIndex(), -1);
        QCOMPARE(click.count(), 0);
        QCOMPARE(list.List(1), QStringLiteral("$"));

        list.setListIndex(1);
        click.clear();
        list.AddItem(QStringLiteral("five"));
        QCOMPARE(list.ListIndex(), 1);
        QCOMPARE(click.count(), 0);
    }

    void dropDownSetListIndex_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("clicks");

        QTest::newRow("first selection") << 3 << -1 << 0 << 0 << 1;
        QTest::newRow("another entry") << 3 << 0 << 2 << 2 << 1;
        QTest::newRow("one past the end") << 3 << 1 << 3 << 1 << 0;
        QTest::newRow("far past the end") << 3 << 1 << 50 << 1 << 0;
        QTest::newRow("below minus one") << 3 << 1 << -5 << 1 << 0;
        QTest::newRow("empty list") << 0 << -1 << 0 << -1 << 0;
    }
    void dropDownSetListIndex()
    {
        QFETCH(int, count);
        QFETCH(int, start);
        QFETCH(int, target);
        QFETCH(int, expected);
        QFETCH(int, clicks);

        DropDownList list;
        for (int i = 0; i < count; ++i)
            list.AddItem(QString::number(i + 1));
        if (start >= 0)
            list.setListIndex(start);
        QCOMPARE(list.ListIndex(), start);
        QList<int> seen;
        connect(&list, &DropDownList::Click, this, [&] { seen.append(list.ListIndex()); });
        list.setListIndex(target);
        QCOMPARE(seen.count(), clicks);
        if (clicks)
            QCOMPARE(seen.constLast(), expected);
        QCOMPARE(list.ListIndex(), expected);
    }
};

QTEST_MAIN(tst_MultiColumnList)
#include "tst_MultiColumnList.moc"
