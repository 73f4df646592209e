#include "TestSupport.h"
#include "chosen/ChosenGearOps.h"
#include "chosen/ChosenView.h"
#include "core/clsGearList.h"
#include "core/clsSubCategory.h"
#include "toolkit/MsgBox.h"

#include <QXmlStreamReader>
#include <QtTest>

#include <cstdint>
#include <deque>
#include <limits>

namespace {

// One purchase of a hand-made item.
struct Purchase
{
    QString name;
    QString sub;
    QString reference;
    int bp = 0;
    int gp = 0;
    int dollar = 0;
    double weight = 0;
    int quantity = 1;
    bool dollars = false;
    bool noParent = false;
};

// Catalogue items and sub-categories owned by the test.
struct Shelf
{
    std::deque<clsSubCategory> subs;
    std::deque<clsItem> items;

    clsItem *Make(const Purchase &p)
    {
        clsItem &item = items.emplace_back();
        item.setName(p.name);
        item.setReference(p.reference);
        item.Cost_BP = std::int16_t(p.bp);
        item.Cost_GP = std::int16_t(p.gp);
        item.Cost_Dollar = std::int16_t(p.dollar);
        item.Weight_lb = p.weight;
        if (!p.noParent) {
            clsSubCategory &sub = subs.emplace_back();
            sub.Name = p.sub;
            item.Parent = &sub;
        }
        return &item;
    }
};

void Buy(clsGearList &gear, Shelf &shelf, const QList<Purchase> &purchases)
{
    for (const Purchase &p : purchases)
        gear.AddChosenItem(shelf.Make(p), p.quantity, p.dollars);
}

QStringList RowTexts(const ListRows &rows, int row)
{
    QStringList cells;
    for (int c = 0; c < rows.Columns; ++c)
        cells << CellText(rows.At(row, c));
    return cells;
}

const QStringList HeaderCells = {QStringLiteral("Item"),   QStringLiteral("Type"),         QStringLiteral("Reference"),
                                 QStringLiteral("Qty"),    QStringLiteral("GP Cost"),      QStringLiteral("BP Cost"),
                                 QStringLiteral("$ Cost"), QStringLiteral("Weight (lbs.)")};

// The HTML table read back: each <tr> with the unescaped texts of its cells, and whether they were <th>.
struct ParsedTable
{
    QList<QStringList> rows;
    QList<bool> headings;
    QString error;
};

ParsedTable ParseTable(const QString &html)
{
    ParsedTable table;
    QXmlStreamReader xml(html);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("table")) {
        table.error = QStringLiteral("no <table> element");
        return table;
    }
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("tr")) {
            table.error = QStringLiteral("unexpected <%1> in the table").arg(xml.name());
            return table;
        }
        QStringList cells;
        bool allHeadings = true, anyHeading = false;
        while (xml.readNextStartElement()) {
            const bool heading = xml.name() == QLatin1String("th");
            if (!heading && xml.name() != QLatin1String("td")) {
                table.error = QStringLiteral("unexpected <%1> in a row").arg(xml.name());
                return table;
            }
            allHeadings = allHeadings && heading;
            anyHeading = anyHeading || heading;
            cells << xml.readElementText();
        }
        if (anyHeading != allHeadings) {
            table.error = QStringLiteral("a row mixes <th> and <td>");
            return table;
        }
        table.rows << cells;
        table.headings << allHeadings;
    }
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        table.error = xml.errorString();
    return table;
}

} // namespace

Q_DECLARE_METATYPE(Purchase)

class tst_ChosenView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // Rows
    void emptyListHasNoRows()
    {
        clsGearList gear;
        const ListRows rows = ChosenView::Rows(*gear.ChosenGear());
        QCOMPARE(rows.RowCount(), 0);
        QCOMPARE(ChosenView::Text(rows), ChosenView::HeaderLine());
    }

    void oneLineGivesLineSeparatorAndTotals()
    {
        Shelf shelf;
        clsGearList gear;
        Buy(gear, shelf, {{"Pocket Torch", "Lights", "QV 12", 2, 0, 40, 1.5, 3, false}});
        const ListRows rows = ChosenView::Rows(*gear.ChosenGear());
        QCOMPARE(rows.Columns, 8);
        QCOMPARE(rows.RowCount(), 3);

        QCOMPARE(CellText(rows.At(0, 0)), QStringLiteral("Pocket Torch"));

        QCOMPARE(CellText(rows.At(1, 0)), QStringLiteral("------"));
        for (int c = 1; c < 8; ++c)
            QVERIFY2(std::holds_alternative<std::monostate>(rows.At(1, c)), qPrintable(QString::number(c)));

        QCOMPARE(CellText(rows.At(2, 0)), QStringLiteral("Totals"));
        for (int c = 1; c <= 3; ++c) {
            QVERIFY2(!IsNumber(rows.At(2, c)), qPrintable(QString::number(c)));
            QVERIFY2(CellText(rows.At(2, c)).isEmpty(), qPrintable(QString::number(c)));
        }
        QCOMPARE(RowTexts(rows, 2).mid(4), (QStringList{"0", "6", "0", "4.5"}));
    }

    void columnContents_data()
    {
        QTest::addColumn<Purchase>("purchase");
        QTest::addColumn<QStringList>("cells");

        QTest::newRow("points line") << Purchase{"Pocket Torch", "Lights", "QV 12", 2, 0, 40, 1.5, 3, false}
                                     << QStringList{"Pocket Torch", "Lights", "QV 12", "3", "0", "6", "0", "4.5"};
        QTest::newRow("dollar line") << Purchase{"Pocket Torch", "Lights", "QV 12", 2, 0, 40, 1.5, 3, true}
                                     << QStringList{"Pocket Torch", "Lights", "QV 12", "3", "0", "0", "120", "4.5"};
        QTest::newRow("gadget in points")
            << Purchase{"Smoke Pen", "Escape Gadgets", "GAL 14/15", 0, 3, 0, 0.5, 4, false}
            << QStringList{"Smoke Pen", "Escape Gadgets", "GAL 14/15", "4", "12", "0", "0", "2.0"};
        QTest::newRow("gadget in dollars")
            << Purchase{"Smoke Pen", "Escape Gadgets", "GAL 14/15", 0, 3, 15, 0.5, 4, true}
            << QStringList{"Smoke Pen", "Escape Gadgets", "GAL 14/15", "4", "0", "0", "60", "2.0"};
        QTest::newRow("weightless") << Purchase{"Code Book", "Papers", "", 1, 0, 5, 0.0, 2, false}
                                    << QStringList{"Code Book", "Papers", "", "2", "0", "2", "0", "0.0"};
        QTest::newRow("weight to one decimal") << Purchase{"Chalk", "Marking", "QCR 3", 1, 0, 1, 0.33, 3, false}
                                               << QStringList{"Chalk", "Marking", "QCR 3", "3", "0", "3", "0", "1.0"};
        Purchase orphan{"Loose Part", "", "X 1", 4, 0, 2, 2.0, 1, false};
        orphan.noParent = true;
        QTest::newRow("item without sub-category")
            << orphan << QStringList{"Loose Part", "", "X 1", "1", "0", "4", "0", "2.0"};
    }
    void columnContents()
    {
        QFETCH(Purchase, purchase);
        QFETCH(QStringList, cells);
        Shelf shelf;
        clsGearList gear;
        Buy(gear, shelf, {purchase});
        const ListRows rows = ChosenView::Rows(*gear.ChosenGear());
        QCOMPARE(RowTexts(rows, 0), cells);
        for (int c = 3; c <= 6; ++c)
            QVERIFY2(IsNumber(rows.At(0, c)), qPrintable(QString::number(c)));
        // A single line totals to itself.
        QCOMPARE(RowTexts(rows, 2).mid(4), cells.mid(4));
    }

    void totals_data()
    {
        QTest::addColumn<QList<Purchase>>("purchases");
        QTest::addColumn<QStringList>("totals");

        QTest::newRow("mixed currencies") << QList<Purchase>{{"A", "S", "R", 2, 0, 40, 1.5, 3, false},
                                                             {"B", "S", "R", 0, 5, 7, 0.5, 4, true},
                                                             {"C", "S", "R", 10, 0, 3, 0.0, 1, false}}
                                          << QStringList{"0", "16", "28", "6.5"};
        QTest::newRow("weightless lines")
            << QList<Purchase>{{"A", "S", "R", 1, 0, 5, 0.0, 2, false}, {"B", "S", "R", 0, 2, 0, 0.0, 7, true}}
            << QStringList{"0", "2", "0", "0.0"};
        QTest::newRow("gadgets in points")
            << QList<Purchase>{{"A", "S", "R", 0, 3, 9, 0.25, 4, false}, {"B", "S", "R", 0, 1, 1, 0.25, 2, false}}
            << QStringList{"14", "0", "0", "1.5"};
        QTest::newRow("dollars only") << QList<Purchase>{{"A", "S", "R", 5, 0, 100, 2.0, 1, true},
                                                         {"B", "S", "R", 5, 0, 250, 1.0, 2, true}}
                                      << QStringList{"0", "0", "600", "4.0"};
        QTest::newRow("same item twice") << QList<Purchase>{{"A", "S", "R", 3, 0, 10, 0.5, 1, false},
                                                            {"A", "S", "R", 3, 0, 10, 0.5, 2, true}}
                                         << QStringList{"0", "3", "20", "1.5"};
    }
    void totals()
    {
        QFETCH(QList<Purchase>, purchases);
        QFETCH(QStringList, totals);
        Shelf shelf;
        clsGearList gear;
        Buy(gear, shelf, purchases);
        const ListRows rows = ChosenView::Rows(*gear.ChosenGear());
        QCOMPARE(rows.RowCount(), int(purchases.size()) + 2);
        const int t = rows.RowCount() - 1;
        QCOMPARE(CellText(rows.At(t, 0)), QStringLiteral("Totals"));
        QCOMPARE(RowTexts(rows, t).mid(4), totals);
    }

    void totalsFollowQuantityChange()
    {
        Shelf shelf;
        clsGearList gear;
        Buy(gear, shelf, {{"Rope Belt", "Escape", "GAL 9", 7, 2, 11, 1.5, 1, false}});
        QCOMPARE(RowTexts(ChosenView::Rows(*gear.ChosenGear()), 2).mid(4), (QStringList{"2", "7", "0", "1.5"}));

        ChosenGearOps::ChangeQuantity(gear, 1, 3);
        const ListRows rows = ChosenView::Rows(*gear.ChosenGear());
        QCOMPARE(CellText(rows.At(0, 3)), QStringLiteral("3"));
        QCOMPARE(RowTexts(rows, 0).mid(4), (QStringList{"6", "21", "0", "4.5"}));
        QCOMPARE(RowTexts(rows, 2).mid(4), (QStringList{"6", "21", "0", "4.5"}));
    }

    void releasedLineCountsNothing()
    {
        Shelf shelf;
        clsGearList gear;
        Buy(gear, shelf, {{"Gone", "S", "R", 9, 9, 9, 9.0, 2, false}, {"Kept", "S", "R", 2, 0, 40, 1.5, 3, false}});
        gear.ChosenGear()->Item(QStringLiteral("k1")).Dispose();
        const ListRows rows = ChosenView::Rows(*gear.ChosenGear());
        QCOMPARE(rows.RowCount(), 4);
        QCOMPARE(CellText(rows.At(0, 0)), QString());
        QCOMPARE(RowTexts(rows, 0).mid(4), (QStringList{"0", "0", "0", "0.0"}));
        QCOMPARE(RowTexts(rows, 3).mid(4), (QStringList{"0", "6", "0", "4.5"}));
    }

    void totalsBeyond32Bits()
    {
        constexpr int lines = 3000;
        constexpr std::int16_t cost = 32767;
        Shelf shelf;
        clsGearList gear;
        clsItem *dear = shelf.Make({"Dear", "S", "R", cost, cost, cost, 0.0, 1, false});
        std::int64_t gp = 0, bp = 0, dollar = 0;
        for (int i = 0; i < lines; ++i) {
            const bool inDollars = i % 3 == 0;
            gear.AddChosenItem(dear, 32767, inDollars);
            (inDollars ? dollar : bp) += std::int64_t(cost) * 32767;
            if (!inDollars)
                gp += std::int64_t(cost) * 32767;
        }
        const std::int32_t most = std::numeric_limits<std::int32_t>::max();
        gear.AddChosenItem(dear, most, false);
        gp += std::int64_t(cost) * most;
        bp += std::int64_t(cost) * most;
        gear.AddChosenItem(dear, most, true);
        dollar += std::int64_t(cost) * most;
        QVERIFY(dollar > std::int64_t(std::numeric_limits<std::uint32_t>::max()));

        const ListRows rows = ChosenView::Rows(*gear.ChosenGear());
        QCOMPARE(rows.RowCount(), lines + 4);
        QCOMPARE(CellText(rows.At(lines, 5)), QString::number(std::int64_t(cost) * most));
        QCOMPARE(CellText(rows.At(lines + 1, 6)), QString::number(std::int64_t(cost) * most));
        const int t = rows.RowCount() - 1;
        QCOMPARE(RowTexts(rows, t).mid(4), (QStringList{QString::number(gp), QString::number(bp),
                                                        QString::number(dollar), QStringLiteral("0.0")}));
    }

    // Clipboard text
    void headerLine()
    {
        QCOMPARE(ChosenView::HeaderLine(),
                 QStringLiteral("Item\tType\tReference\tQty\tGP Cost\tBP Cost\t$ Cost\tWeight (lbs.)\r\n"));
    }

    void textOfOneLine()
    {
        Shelf shelf;
        clsGearList gear;
        Buy(gear, shelf, {{"Pocket Torch", "Lights", "QV 12", 2, 0, 40, 1.5, 3, false}});
        const ListRows rows = ChosenView::Rows(*gear.ChosenGear());
        const QString expected =
            QStringLiteral("Item\tType\tReference\tQty\tGP Cost\tBP Cost\t$ Cost\tWeight (lbs.)\r\n"
                           "Pocket Torch\tLights\tQV 12\t3\t0\t6\t0\t4.5\r\n"
                           "------\t\t\t\t\t\t\t\r\n"
                           "Totals\t\t\t\t0\t6\t0\t4.5\r\n");
        QCOMPARE(ChosenView::Text(rows), expected);
        QCOMPARE(ChosenView::Line(rows, 1), QStringLiteral("------\t\t\t\t\t\t\t\r\n"));
    }

    void textOfLoadedCatalogue()
    {
        const TestSupport::CatalogueDir dir(TestSupport::Csv({
            "CATEGORY,Sub,Item,Cost,Weight,Dollars,Source,Ref 1,Ref 2",
            "Weapons,Knives,Throwing Knife,2,0.5,35,QCR,41,",
            "Gadgets,Escape Gadgets,Smoke Pen,3,0.1,0,GAL,14,15",
        }));
        // A failed load reports in a box; record it instead of waiting on it.
        QStringList boxes;
        MsgBox::SetInterceptor([&boxes](const QString &text, const QString &, MsgBox::Icon) { boxes << text; });
        clsGearList gear;
        const bool loaded = gear.LoadGearFile(dir.Path());
        MsgBox::SetInterceptor({});
        QCOMPARE(boxes, QStringList());
        QVERIFY(loaded);
        clsItem &knife = gear.Categories()
                             ->Item(QStringLiteral("Weapons"))
                             .SubCategories->Item(QStringLiteral("Knives"))
                             .Items->Item(QStringLiteral("Throwing Knife"));
        clsItem &pen = gear.Categories()
                           ->Item(QStringLiteral("Gadgets"))
                           .SubCategories->Item(QStringLiteral("Escape Gadgets"))
                           .Items->Item(QStringLiteral("Smoke Pen"));
        gear.AddChosenItem(&knife, 4, true);
        gear.AddChosenItem(&pen, 2, false);
        const QString expected =
            QStringLiteral("Item\tType\tReference\tQty\tGP Cost\tBP Cost\t$ Cost\tWeight (lbs.)\r\n"
                           "Throwing Knife\tKnives\tQCR 41\t4\t0\t0\t140\t2.0\r\n"
                           "Smoke Pen\tEscape Gadgets\tGAL 14/15\t2\t6\t0\t0\t0.2\r\n"
                           "------\t\t\t\t\t\t\t\r\n"
                           "Totals\t\t\t\t6\t0\t140\t2.2\r\n");
        QCOMPARE(ChosenView::Text(ChosenView::Rows(*gear.ChosenGear())), expected);
    }

    void everyLineHasSevenTabs()
    {
        Shelf shelf;
        clsGearList gear;
        Buy(gear, shelf,
            {{"Pocket Torch", "Lights", "QV 12", 2, 0, 40, 1.5, 3, false},
             {"Smoke Pen", "Escape Gadgets", "GAL 14/15", 0, 3, 15, 0.5, 4, true},
             {"Code Book", "Papers", "", 1, 0, 5, 0.0, 2, false}});
        Purchase orphan{"Loose Part", "", "", 4, 0, 2, 2.0, 1, false};
        orphan.noParent = true;
        Buy(gear, shelf, {orphan});
        gear.AddChosenItem(shelf.Make({"Gone", "S", "R", 1, 1, 1, 1.0, 1, false}), 1, false);
        gear.ChosenGear()->Item(QStringLiteral("k5")).Dispose();
        const ListRows rows = ChosenView::Rows(*gear.ChosenGear());
        QCOMPARE(rows.RowCount(), 7);

        const QString text = ChosenView::Text(rows);
        QVERIFY(text.endsWith(QLatin1String("\r\n")));
        QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.takeLast(), QString());
        QCOMPARE(lines.size(), rows.RowCount() + 1);
        QCOMPARE(lines.first() + QLatin1String("\r\n"), ChosenView::HeaderLine());
        for (int i = 0; i < lines.size(); ++i) {
            const QString &line = lines[i];
            QVERIFY2(line.count(QLatin1Char('\t')) == 7, qPrintable(line));
            QVERIFY2(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')), qPrintable(line));
            if (i > 0) {
                QCOMPARE(ChosenView::Line(rows, i - 1), line + QLatin1String("\r\n"));
                QCOMPARE(line.split(QLatin1Char('\t')), RowTexts(rows, i - 1));
            }
        }
    }

    void lineOutsideRowsIsEmpty_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("row");

        QTest::newRow("just past the totals") << 1 << 3;
        QTest::newRow("far past the totals") << 2 << 100;
        QTest::newRow("before the first row") << 1 << -1;
        QTest::newRow("row 0 of an empty list") << 0 << 0;
    }
    void lineOutsideRowsIsEmpty()
    {
        QFETCH(int, count);
        QFETCH(int, row);
        Shelf shelf;
        clsGearList gear;
        for (int i = 0; i < count; ++i)
            Buy(gear, shelf, {{"A", "S", "R", 1, 0, 1, 1.0, 1, false}});
        const ListRows rows = ChosenView::Rows(*gear.ChosenGear());
        QCOMPARE(ChosenView::Line(rows, row), QString());
    }

    void controlCharactersPassThrough_data()
    {
        QTest::addColumn<QString>("name");

        QTest::newRow("tab") << QStringLiteral("Tab\there");
        QTest::newRow("CR LF") << QStringLiteral("Two\r\nlines");
        QTest::newRow("lone LF") << QStringLiteral("Lone\nfeed");
        QTest::newRow("lone CR") << QStringLiteral("Lone\rreturn");
        QTest::newRow("trailing tab") << QStringLiteral("Ends\t");
    }
    void controlCharactersPassThrough()
    {
        QFETCH(QString, name);
        Shelf shelf;
        clsGearList gear;
        Buy(gear, shelf, {{name, "Kit", "QV 1", 1, 0, 1, 1.0, 1, false}});
        const ListRows rows = ChosenView::Rows(*gear.ChosenGear());
        QCOMPARE(ChosenView::Line(rows, 0), name + QStringLiteral("\tKit\tQV 1\t1\t0\t1\t0\t1.0\r\n"));
        QVERIFY(ChosenView::Text(rows).contains(name + QLatin1String("\tKit")));
    }

    // Clipboard HTML
    void htmlMatchesText_data()
    {
        QTest::addColumn<QList<Purchase>>("purchases");

        QTest::newRow("empty list") << QList<Purchase>{};
        QTest::newRow("one line") << QList<Purchase>{{"Pocket Torch", "Lights", "QV 12", 2, 0, 40, 1.5, 3, false}};
        QTest::newRow("markup characters")
            << QList<Purchase>{{"Knife <Folding>", "Tools & <Kits>", "QV \"7\"", 2, 0, 40, 1.5, 3, false},
                               {"Salt & Pepper Shaker", "Kitchen", "A&B 2", 0, 3, 15, 0.5, 4, true},
                               {"\"Quiet\" Shoes", "Clothing", "O'Neil 4", 1, 0, 5, 0.0, 2, false},
                               {"O'Hara's <b>Lockpick</b> &amp;", "Tools & <Kits>", "<i>", 3, 0, 9, 0.25, 1, true}};
        QTest::newRow("several lines") << QList<Purchase>{{"A", "S", "R 1", 2, 0, 40, 1.5, 3, false},
                                                          {"B", "S", "R 2", 0, 5, 7, 0.5, 4, true},
                                                          {"C", "T", "", 10, 0, 3, 0.0, 1, false}};
    }
    void htmlMatchesText()
    {
        QFETCH(QList<Purchase>, purchases);
        Shelf shelf;
        clsGearList gear;
        Buy(gear, shelf, purchases);
        const ListRows rows = ChosenView::Rows(*gear.ChosenGear());
        const QString html = ChosenView::Html(rows);

        QStringList lines = ChosenView::Text(rows).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.takeLast(), QString());
        QCOMPARE(html.count(QLatin1String("<tr>")), lines.size());

        const ParsedTable table = ParseTable(html);
        QVERIFY2(table.error.isEmpty(), qPrintable(table.error));
        QCOMPARE(table.rows.size(), lines.size());
        QCOMPARE(table.headings.value(0), true);
        QCOMPARE(table.rows.value(0), HeaderCells);
        for (int i = 0; i < lines.size(); ++i) {
            QCOMPARE(table.rows[i], lines[i].split(QLatin1Char('\t')));
            if (i > 0)
                QCOMPARE(table.headings[i], false);
        }
        for (int i = 0; i < purchases.size(); ++i) {
            QCOMPARE(table.rows[i + 1].value(0), purchases[i].name);
            QCOMPARE(table.rows[i + 1].value(1), purchases[i].sub);
            QCOMPARE(table.rows[i + 1].value(2), purchases[i].reference);
        }
    }
};

QTEST_GUILESS_MAIN(tst_ChosenView)
#include "tst_ChosenView.moc"
