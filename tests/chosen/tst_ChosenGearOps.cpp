#include "chosen/ChosenGearOps.h"
#include "core/clsGearList.h"
#include "core/clsSubCategory.h"

#include <QtTest>

#include <cstdint>
#include <deque>
#include <limits>
#include <random>
#include <vector>

namespace {

QString Key(qsizetype n)
{
    return QLatin1Char('k') + QString::number(n);
}

// Catalogue items owned by the test; the chosen lines only point at them.
struct Shelf
{
    clsSubCategory sub;
    std::deque<clsItem> items;

    clsItem *Make(const QString &name, std::int16_t bp = 1, std::int16_t gp = 0, std::int16_t dollar = 10,
                  double weight = 1.0)
    {
        clsItem &item = items.emplace_back();
        item.setName(name);
        item.Cost_BP = bp;
        item.Cost_GP = gp;
        item.Cost_Dollar = dollar;
        item.Weight_lb = weight;
        item.setReference(QStringLiteral("QV 1"));
        item.Parent = &sub;
        return &item;
    }
};

// What one line should be, remembered by the identity of the line object.
struct ExpectedLine
{
    const clsChosenItem *line = nullptr;
    const clsItem *item = nullptr;
    std::int32_t quantity = 0;
    bool dollars = false;
};

// Appends a line and returns what it should stay: the new line is the one under the next key.
ExpectedLine Append(clsGearList &gear, clsItem *item, std::int32_t quantity, bool dollars)
{
    const qsizetype before = gear.ChosenGear()->Count();
    gear.AddChosenItem(item, quantity, dollars);
    return {gear.ChosenGear()->Find(Key(before + 1)), item, quantity, dollars};
}

// Empty when the list matches: same line objects in the same order, keys k1..kN in order, values, count.
QString Mismatch(const clsGearList &gear, const std::vector<ExpectedLine> &expected)
{
    const KeyedCollection<clsChosenItem> &chosen = *gear.ChosenGear();
    if (chosen.Count() != qsizetype(expected.size()))
        return QStringLiteral("count %1, expected %2").arg(chosen.Count()).arg(expected.size());
    std::size_t i = 0;
    for (auto it = chosen.begin(); it != chosen.end(); ++it, ++i) {
        if (i >= expected.size())
            return QStringLiteral("more lines enumerated than counted");
        const ExpectedLine &e = expected[i];
        const clsChosenItem *line = *it;
        const QString key = Key(qsizetype(i) + 1);
        if (line != e.line)
            return QStringLiteral("row %1 holds another line object").arg(i + 1);
        if (it.key() != key)
            return QStringLiteral("row %1 is keyed %2").arg(i + 1).arg(it.key());
        try {
            if (&chosen.Item(key) != e.line)
                return QStringLiteral("%1 gives another line than row %2").arg(key).arg(i + 1);
        } catch (const clsError &) {
            return QStringLiteral("%1 is missing").arg(key);
        }
        if (line->Item() != e.item)
            return QStringLiteral("row %1 points at another item").arg(i + 1);
        if (line->Quantity() != e.quantity)
            return QStringLiteral("row %1 quantity %2, expected %3").arg(i + 1).arg(line->Quantity()).arg(e.quantity);
        if (line->PaidInDollars() != e.dollars)
            return QStringLiteral("row %1 has the wrong currency").arg(i + 1);
    }
    if (i != expected.size())
        return QStringLiteral("fewer lines enumerated than expected");
    if (chosen.Find(Key(qsizetype(expected.size()) + 1)) || chosen.Find(Key(0)))
        return QStringLiteral("a key outside k1..kN is present");
    return {};
}

// The rule itself: the line ends at row t, the others keep their order.
void ModelMove(std::vector<ExpectedLine> &lines, std::int32_t n, std::int32_t t)
{
    const ExpectedLine moved = lines[std::size_t(n - 1)];
    lines.erase(lines.begin() + (n - 1));
    lines.insert(lines.begin() + (t - 1), moved);
}

} // namespace

class tst_ChosenGearOps : public QObject
{
    Q_OBJECT

    // N lines of distinct items, quantities 1..N, alternating currency.
    static std::vector<ExpectedLine> Fill(clsGearList &gear, Shelf &shelf, int count)
    {
        std::vector<ExpectedLine> lines;
        for (int i = 1; i <= count; ++i)
            lines.push_back(Append(gear, shelf.Make(QStringLiteral("Item %1").arg(i)), i, i % 2 == 0));
        return lines;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // Appending
    void appendKeysByCount()
    {
        Shelf shelf;
        clsGearList gear;
        clsItem *torch = shelf.Make(QStringLiteral("Pocket Torch"));
        std::vector<ExpectedLine> expected;
        expected.push_back(Append(gear, torch, 2, false));
        expected.push_back(Append(gear, torch, 5, true));
        QVERIFY(expected[0].line);
        QVERIFY(expected[1].line);
        QVERIFY(expected[0].line != expected[1].line);
        const QString why = Mismatch(gear, expected);
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    // Moving
    void moveLine_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("t");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("order");

        QTest::newRow("3 of 5 to row 1") << 3 << 1 << 5 << QList<int>{3, 1, 2, 4, 5};
        QTest::newRow("2 of 5 to row 4") << 2 << 4 << 5 << QList<int>{1, 3, 4, 2, 5};
        QTest::newRow("3 of 5 to its own row") << 3 << 3 << 5 << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("1 of 5 to row 1") << 1 << 1 << 5 << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("5 of 5 to row 5") << 5 << 5 << 5 << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("only line to row 1") << 1 << 1 << 1 << QList<int>{1};
        QTest::newRow("last to first") << 5 << 1 << 5 << QList<int>{5, 1, 2, 3, 4};
        QTest::newRow("first to last") << 1 << 5 << 5 << QList<int>{2, 3, 4, 5, 1};
        QTest::newRow("one row down") << 2 << 3 << 5 << QList<int>{1, 3, 2, 4, 5};
        QTest::newRow("one row up") << 3 << 2 << 5 << QList<int>{1, 3, 2, 4, 5};
        QTest::newRow("4 of 5 to row 2") << 4 << 2 << 5 << QList<int>{1, 4, 2, 3, 5};
        QTest::newRow("1 of 5 to row 3") << 1 << 3 << 5 << QList<int>{2, 3, 1, 4, 5};
        QTest::newRow("2 of 2 to row 1") << 2 << 1 << 2 << QList<int>{2, 1};
        QTest::newRow("1 of 2 to row 2") << 1 << 2 << 2 << QList<int>{2, 1};
        QTest::newRow("9 of 10 to row 10") << 9 << 10 << 10 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 10, 9};
        QTest::newRow("10 of 10 to row 9") << 10 << 9 << 10 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 10, 9};
    }
    void moveLine()
    {
        QFETCH(int, n);
        QFETCH(int, t);
        QFETCH(int, count);
        QFETCH(QList<int>, order);
        Shelf shelf;
        clsGearList gear;
        const std::vector<ExpectedLine> original = Fill(gear, shelf, count);

        ChosenGearOps::MoveLine(gear, n, t);

        std::vector<ExpectedLine> expected;
        for (int former : order)
            expected.push_back(original[std::size_t(former - 1)]);
        const QString why = Mismatch(gear, expected);
        QVERIFY2(why.isEmpty(), qPrintable(why));

        // The next purchase follows the renumbered lines.
        expected.push_back(Append(gear, shelf.Make(QStringLiteral("Later")), 1, false));
        QVERIFY(expected.back().line);
        const QString after = Mismatch(gear, expected);
        QVERIFY2(after.isEmpty(), qPrintable(after));
    }

    // Removing
    void removeLine_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("remaining");

        QTest::newRow("2 of 3") << 2 << 3 << QList<int>{1, 3};
        QTest::newRow("1 of 3") << 1 << 3 << QList<int>{2, 3};
        QTest::newRow("3 of 3") << 3 << 3 << QList<int>{1, 2};
        QTest::newRow("only line") << 1 << 1 << QList<int>{};
        QTest::newRow("4 of 6") << 4 << 6 << QList<int>{1, 2, 3, 5, 6};
    }
    void removeLine()
    {
        QFETCH(int, n);
        QFETCH(int, count);
        QFETCH(QList<int>, remaining);
        Shelf shelf;
        clsGearList gear;
        const std::vector<ExpectedLine> original = Fill(gear, shelf, count);
        const clsItem *removedItem = original[std::size_t(n - 1)].item;

        ChosenGearOps::RemoveLine(gear, n);

        std::vector<ExpectedLine> expected;
        for (int former : remaining)
            expected.push_back(original[std::size_t(former - 1)]);
        const QString why = Mismatch(gear, expected);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        // Only the line goes; the catalogue item stays as it was.
        QCOMPARE(removedItem->Parent, &shelf.sub);
        QCOMPARE(removedItem->Name(), QStringLiteral("Item %1").arg(n));

        expected.push_back(Append(gear, shelf.Make(QStringLiteral("Later")), 1, true));
        QVERIFY(expected.back().line);
        const QString after = Mismatch(gear, expected);
        QVERIFY2(after.isEmpty(), qPrintable(after));
    }

    // Quantities
    void changeQuantity_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("quantity");

        QTest::newRow("first of 3 to 7") << 1 << 3 << 7;
        QTest::newRow("middle of 3 to 1") << 2 << 3 << 1;
        QTest::newRow("last of 3 to 32767") << 3 << 3 << 32767;
        QTest::newRow("only line to 40000") << 1 << 1 << 40000;
        QTest::newRow("to the largest quantity") << 2 << 4 << std::numeric_limits<std::int32_t>::max();
    }
    void changeQuantity()
    {
        QFETCH(int, n);
        QFETCH(int, count);
        QFETCH(int, quantity);
        Shelf shelf;
        clsGearList gear;
        std::vector<ExpectedLine> expected = Fill(gear, shelf, count);

        ChosenGearOps::ChangeQuantity(gear, n, quantity);

        expected[std::size_t(n - 1)].quantity = quantity;
        const QString why = Mismatch(gear, expected);
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    // Keys through a run of edits
    void keysAfterMixedOperations()
    {
        Shelf shelf;
        clsGearList gear;
        auto check = [&](const std::vector<ExpectedLine> &expected, const char *step) {
            const QString why = Mismatch(gear, expected);
            return why.isEmpty() ? QString() : QLatin1String(step) + QLatin1String(": ") + why;
        };
        clsItem *rope = shelf.Make(QStringLiteral("Rope Belt"));
        clsItem *torch = shelf.Make(QStringLiteral("Pocket Torch"));
        const ExpectedLine a = Append(gear, rope, 1, false);
        const ExpectedLine b = Append(gear, torch, 2, true);
        const ExpectedLine c = Append(gear, rope, 3, true);
        const ExpectedLine d = Append(gear, torch, 4, false);
        QString why = check({a, b, c, d}, "four purchases");
        QVERIFY2(why.isEmpty(), qPrintable(why));

        ChosenGearOps::MoveLine(gear, 4, 1);
        why = check({d, a, b, c}, "move 4 to 1");
        QVERIFY2(why.isEmpty(), qPrintable(why));

        ChosenGearOps::RemoveLine(gear, 2);
        why = check({d, b, c}, "remove 2");
        QVERIFY2(why.isEmpty(), qPrintable(why));

        const ExpectedLine e = Append(gear, rope, 5, false);
        why = check({d, b, c, e}, "append after removal");
        QVERIFY2(why.isEmpty(), qPrintable(why));

        ChosenGearOps::MoveLine(gear, 1, 4);
        why = check({b, c, e, d}, "move 1 to 4");
        QVERIFY2(why.isEmpty(), qPrintable(why));

        ChosenGearOps::ChangeQuantity(gear, 2, 9);
        ExpectedLine c9 = c;
        c9.quantity = 9;
        why = check({b, c9, e, d}, "quantity of 2");
        QVERIFY2(why.isEmpty(), qPrintable(why));

        ChosenGearOps::RemoveLine(gear, 4);
        why = check({b, c9, e}, "remove last");
        QVERIFY2(why.isEmpty(), qPrintable(why));

        const ExpectedLine f = Append(gear, torch, 6, true);
        why = check({b, c9, e, f}, "append at the end");
        QVERIFY2(why.isEmpty(), qPrintable(why));

        for (int i = 0; i < 4; ++i)
            ChosenGearOps::RemoveLine(gear, 1);
        why = check({}, "all removed");
        QVERIFY2(why.isEmpty(), qPrintable(why));

        const ExpectedLine g = Append(gear, rope, 7, false);
        why = check({g}, "append to the emptied list");
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    // Line values
    void lineValues_data()
    {
        QTest::addColumn<int>("bp");
        QTest::addColumn<int>("gp");
        QTest::addColumn<int>("dollar");
        QTest::addColumn<double>("weight");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<bool>("dollars");
        QTest::addColumn<double>("lineGP");
        QTest::addColumn<double>("lineBP");
        QTest::addColumn<double>("lineDollar");
        QTest::addColumn<double>("lineWeight");

        QTest::newRow("points, 3 x 1.5 lb") << 2 << 0 << 40 << 1.5 << 3 << false << 0.0 << 6.0 << 0.0 << 4.5;
        QTest::newRow("dollars, 3 x 1.5 lb") << 2 << 0 << 40 << 1.5 << 3 << true << 0.0 << 0.0 << 120.0 << 4.5;
        QTest::newRow("gadget points") << 0 << 5 << 7 << 0.25 << 4 << false << 20.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("gadget dollars") << 0 << 5 << 7 << 0.25 << 4 << true << 0.0 << 0.0 << 28.0 << 1.0;
        QTest::newRow("both point costs") << 3 << 4 << 9 << 0.0 << 2 << false << 8.0 << 6.0 << 0.0 << 0.0;
        QTest::newRow("quantity 0") << 3 << 4 << 9 << 2.0 << 0 << false << 0.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("largest cost and quantity in points")
            << 32767 << 32767 << 32767 << 1.0 << std::numeric_limits<std::int32_t>::max() << false
            << double(std::int64_t(32767) * 2147483647) << double(std::int64_t(32767) * 2147483647) << 0.0
            << 2147483647.0;
        QTest::newRow("largest cost and quantity in dollars")
            << 32767 << 32767 << 32767 << 0.5 << std::numeric_limits<std::int32_t>::max() << true << 0.0 << 0.0
            << double(std::int64_t(32767) * 2147483647) << 1073741823.5;
        QTest::newRow("most negative dollar cost")
            << 0 << 0 << -32768 << 0.0 << 100000 << true << 0.0 << 0.0 << -3276800000.0 << 0.0;
    }
    void lineValues()
    {
        QFETCH(int, bp);
        QFETCH(int, gp);
        QFETCH(int, dollar);
        QFETCH(double, weight);
        QFETCH(int, quantity);
        QFETCH(bool, dollars);
        QFETCH(double, lineGP);
        QFETCH(double, lineBP);
        QFETCH(double, lineDollar);
        QFETCH(double, lineWeight);
        Shelf shelf;
        clsGearList gear;
        gear.AddChosenItem(
            shelf.Make(QStringLiteral("Gear"), std::int16_t(bp), std::int16_t(gp), std::int16_t(dollar), weight),
            quantity, dollars);
        const clsChosenItem &line = gear.ChosenGear()->Item(QStringLiteral("k1"));
        QCOMPARE(line.LineCost_GP(), lineGP);
        QCOMPARE(line.LineCost_BP(), lineBP);
        QCOMPARE(line.LineCost_Dollar(), lineDollar);
        QCOMPARE(line.LineWeight_lb(), lineWeight);
    }

    void releasedItemGivesZeros_data()
    {
        QTest::addColumn<bool>("dollars");
        QTest::newRow("paid in points") << false;
        QTest::newRow("paid in dollars") << true;
    }
    void releasedItemGivesZeros()
    {
        QFETCH(bool, dollars);
        Shelf shelf;
        clsGearList gear;
        gear.AddChosenItem(shelf.Make(QStringLiteral("Gear"), 5, 6, 7, 2.5), 3, dollars);
        clsChosenItem &line = gear.ChosenGear()->Item(QStringLiteral("k1"));
        QVERIFY(line.LineWeight_lb() != 0.0);
        line.Dispose();
        QCOMPARE(line.Item(), nullptr);
        QCOMPARE(line.LineCost_GP(), 0.0);
        QCOMPARE(line.LineCost_BP(), 0.0);
        QCOMPARE(line.LineCost_Dollar(), 0.0);
        QCOMPARE(line.LineWeight_lb(), 0.0);
    }

    void weightThreeTimesOneAndAHalf()
    {
        Shelf shelf;
        clsGearList gear;
        gear.AddChosenItem(shelf.Make(QStringLiteral("Rope Belt"), 2, 0, 0, 1.5), 3, true);
        QCOMPARE(gear.ChosenGear()->Item(QStringLiteral("k1")).LineWeight_lb(), 4.5);
    }

    // Random runs against a plain model
    void randomSequencesMatchModel()
    {
        constexpr std::uint32_t baseSeed = 20240611;
        constexpr int sequences = 10000;
        for (int s = 0; s < sequences; ++s) {
            const std::uint32_t seed = baseSeed + std::uint32_t(s);
            std::mt19937 rng(seed);
            auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
            Shelf shelf;
            // A few items, so that the same item is often bought on several lines.
            std::vector<clsItem *> items;
            for (int i = 0; i < 4; ++i)
                items.push_back(shelf.Make(QStringLiteral("Item %1").arg(i)));
            clsGearList gear;
            std::vector<ExpectedLine> model;
            const int steps = pick(1, 40);
            for (int step = 1; step <= steps; ++step) {
                const int count = int(model.size());
                const int op = count == 0 ? 0 : pick(0, 3);
                QString done, why;
                try {
                    if (op == 0) {
                        clsItem *item = items[std::size_t(pick(0, int(items.size()) - 1))];
                        const std::int32_t quantity = pick(1, 1000);
                        const bool dollars = pick(0, 1) == 1;
                        done = QStringLiteral("append");
                        gear.AddChosenItem(item, quantity, dollars);
                        model.push_back({gear.ChosenGear()->Find(Key(count + 1)), item, quantity, dollars});
                    } else if (op == 1) {
                        const int n = pick(1, count);
                        const std::int32_t quantity = pick(0, 100000);
                        done = QStringLiteral("quantity of %1 to %2").arg(n).arg(quantity);
                        ChosenGearOps::ChangeQuantity(gear, n, quantity);
                        model[std::size_t(n - 1)].quantity = quantity;
                    } else if (op == 2) {
                        const int n = pick(1, count);
                        const int t = pick(1, count);
                        done = QStringLiteral("move %1 to %2").arg(n).arg(t);
                        ChosenGearOps::MoveLine(gear, n, t);
                        ModelMove(model, n, t);
                    } else {
                        const int n = pick(1, count);
                        done = QStringLiteral("remove %1").arg(n);
                        ChosenGearOps::RemoveLine(gear, n);
                        model.erase(model.begin() + (n - 1));
                    }
                    why = Mismatch(gear, model);
                } catch (const clsError &error) {
                    why = error.Description();
                }
                if (!why.isEmpty()) {
                    const QString message = QStringLiteral("seed %1, step %2 (%3 of %4 lines): %5")
                                                .arg(seed)
                                                .arg(step)
                                                .arg(done)
                                                .arg(count)
                                                .arg(why);
                    QVERIFY2(false, qPrintable(message));
                }
            }
        }
    }

    // Line numbers beyond 16 bits
    void longListBeyond32767()
    {
        constexpr int count = 40000;
        Shelf shelf;
        std::vector<clsItem *> items;
        for (int i = 0; i < 3; ++i)
            items.push_back(shelf.Make(QStringLiteral("Item %1").arg(i)));
        clsGearList gear;
        std::vector<ExpectedLine> model;
        model.reserve(count);
        for (int i = 1; i <= count; ++i)
            model.push_back(Append(gear, items[std::size_t(i % 3)], i, i % 2 == 0));
        QString why = Mismatch(gear, model);
        QVERIFY2(why.isEmpty(), qPrintable(why));

        struct Step
        {
            char op;
            int n;
            int t;
        };
        const Step steps[] = {
            {'m', 39999, 32768}, {'m', 32768, 40000}, {'m', 40000, 1},     {'m', 1, 32769}, {'m', 32767, 32769},
            {'m', 32769, 32767}, {'q', 35000, 12},    {'q', 32768, 32768}, {'r', 32768, 0}, {'r', 39999, 0},
            {'r', 1, 0},         {'m', 32770, 32769}, {'q', 39997, 5},     {'m', 39997, 2},
        };
        for (const Step &step : steps) {
            QString done;
            try {
                if (step.op == 'm') {
                    done = QStringLiteral("move %1 to %2").arg(step.n).arg(step.t);
                    ChosenGearOps::MoveLine(gear, step.n, step.t);
                    ModelMove(model, step.n, step.t);
                } else if (step.op == 'q') {
                    done = QStringLiteral("quantity of %1 to %2").arg(step.n).arg(step.t);
                    ChosenGearOps::ChangeQuantity(gear, step.n, step.t);
                    model[std::size_t(step.n - 1)].quantity = step.t;
                } else {
                    done = QStringLiteral("remove %1").arg(step.n);
                    ChosenGearOps::RemoveLine(gear, step.n);
                    model.erase(model.begin() + (step.n - 1));
                }
                why = Mismatch(gear, model);
            } catch (const clsError &error) {
                why = error.Description();
            }
            QVERIFY2(why.isEmpty(), qPrintable(done + QStringLiteral(": ") + why));
        }
        QCOMPARE(gear.ChosenGear()->Count(), qsizetype(count - 3));
    }
};

QTEST_GUILESS_MAIN(tst_ChosenGearOps)
#include "tst_ChosenGearOps.moc"
