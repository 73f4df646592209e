#include "TestSupport.h"
#include "chosen/ChosenHistory.h"
#include "chosen/ChosenPaste.h"
#include "chosen/ChosenView.h"
#include "core/clsGearList.h"

#include <QtTest>

#include <map>
#include <random>
#include <vector>

namespace {

QString Path(const clsItem *item)
{
    const clsSubCategory *sub = item->Parent;
    return sub->Parent->Name + QLatin1Char('/') + sub->Name + QLatin1Char('/') + item->Name();
}

// A line as "Category/Sub/Item x3 $" or "... x3 points": comparable between two programs' catalogues.
QStringList Describe(const std::vector<ChosenLine> &lines)
{
    QStringList out;
    for (const ChosenLine &line : lines)
        out << QStringLiteral("%1 x%2 %3")
                   .arg(Path(line.Item))
                   .arg(line.Quantity)
                   .arg(line.PaidInDollars ? "$" : "points");
    return out;
}

// The lines as an export reads back: one of an item that costs nothing shows the same cells in either currency,
// and reads as points.
std::vector<ChosenLine> AsReadBack(std::vector<ChosenLine> lines)
{
    for (ChosenLine &line : lines) {
        const clsItem *item = line.Item;
        if (item->Cost_BP == 0 && item->Cost_GP == 0 && item->Cost_Dollar == 0)
            line.PaidInDollars = false;
    }
    return lines;
}

QString ExportText(const clsGearList &gear)
{
    return ChosenView::Text(ChosenView::Rows(*gear.ChosenGear()));
}

// Empty when the list holds exactly these lines, in order, under the keys k1..kN.
QString Mismatch(const clsGearList &gear, const std::vector<ChosenLine> &expected)
{
    const KeyedCollection<clsChosenItem> &chosen = *gear.ChosenGear();
    if (ChosenLines(chosen) != expected)
        return QStringLiteral("lines [%1], expected [%2]")
            .arg(Describe(ChosenLines(chosen)).join(QStringLiteral(", ")),
                 Describe(expected).join(QStringLiteral(", ")));
    qsizetype i = 0;
    for (auto it = chosen.begin(); it != chosen.end(); ++it) {
        const QString key = QLatin1Char('k') + QString::number(++i);
        if (it.key() != key || chosen.Find(key) != *it)
            return QStringLiteral("line %1 is not under %2").arg(i).arg(key);
    }
    return {};
}

// A catalogue where names recur: the same sub-category name in several categories, the same item name in several
// sub-categories, some of them told apart only by their Reference.
QByteArray RandomCsv(std::mt19937 &rng)
{
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const char *categories[] = {"Weapons", "Gadgets", "Medical", "Gadget Kit", "Vehicles"};
    const char *subs[] = {"Pistols", "Tools", "Optics"};
    const char *items[] = {"Compact Pistol", "Rope Belt", "Lock Pick", "Night Scope", "Smoke Pen", "Totals", "------"};
    const char *sources[] = {"QCR", "GAL"};
    QByteArray csv = "Category,Sub Category,Item,Cost,Weight,Cost $,Source,Ref 1,Ref 2\r\n";
    for (const char *category : categories) {
        for (int s = pick(1, 3); s > 0; --s) {
            const char *sub = subs[pick(0, 2)];
            for (int i = pick(1, 4); i > 0; --i) {
                const int page = pick(0, 3);
                csv += QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,\r\n")
                           .arg(category, sub, items[pick(0, 6)])
                           .arg(pick(0, 3) == 0 ? 0 : pick(1, 40))
                           .arg(pick(0, 30) / 4.0)
                           .arg(pick(0, 2) == 0 ? 0 : pick(1, 3000))
                           .arg(sources[pick(0, 1)])
                           .arg(page ? QString::number(page) : QString())
                           .toUtf8();
            }
        }
    }
    return csv;
}

// The items an export carries back unchanged: no other category has one of the same name, sub-category name and
// Reference.
std::vector<clsItem *> Exportable(const clsGearList &gear)
{
    std::map<QString, std::vector<clsItem *>> byExportedName;
    for (const clsCategory *category : *gear.Categories()) {
        for (const clsSubCategory *sub : *category->SubCategories) {
            for (clsItem *item : *sub->Items)
                byExportedName[item->Name().toCaseFolded() + QLatin1Char('\t') + sub->Name.toCaseFolded() +
                               QLatin1Char('\t') + item->Reference()]
                    .push_back(item);
        }
    }
    std::vector<clsItem *> items;
    for (const auto &[name, found] : byExportedName) {
        if (found.size() == 1)
            items.push_back(found.front());
    }
    return items;
}

// A catalogue with a sub-category name in two categories, and an item name in both of them.
QByteArray TableCsv()
{
    return TestSupport::Csv({
        "Category,Sub Category,Item,Cost,Weight,Cost $,Source,Ref 1,Ref 2",
        "Weapons,Pistols,Compact Pistol,2,1.5,300,QCR,45,",
        "Weapons,Pistols,Service Pistol,3,2.1,320,QCR,88,",
        "Gadgets,Escape Gadgets,Exploding Cufflinks,3,0,0,GAL,14,",
        "Gadgets,Pistols,Compact Pistol,4,1.5,0,GAL,12,",
        "Medical,First Aid,Field Dressing,1,0.25,5,QCR,140,",
        "Gear,Odd Names,Totals,2,1,0,QCR,7,",
        "Gear,Odd Names,------,0,0.5,10,QCR,8,",
    });
}

} // namespace

class tst_ChosenPaste : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // Random lists exported and pasted back, and every step undone and redone, against a plain model.
    void roundTripAndHistory()
    {
        constexpr std::uint32_t baseSeed = 20250312;
        constexpr int sequences = 150;
        for (int s = 0; s < sequences; ++s) {
            const std::uint32_t seed = baseSeed + std::uint32_t(s);
            std::mt19937 rng(seed);
            auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
            const TestSupport::CatalogueDir dir(RandomCsv(rng));
            clsGearList gear;
            QVERIFY(gear.LoadGearFile(dir.Path()));
            const std::vector<clsItem *> items = Exportable(gear);
            QVERIFY(!items.empty());
            auto randomLine = [&](int quantity) {
                clsItem *item = items[std::size_t(pick(0, int(items.size()) - 1))];
                return ChosenLine{item, quantity, pick(0, 1) == 1};
            };

            ChosenHistory history(gear);
            std::vector<ChosenLine> model;
            std::vector<std::vector<ChosenLine>> states{model};
            QString failure;
            const int steps = pick(1, 30);
            for (int step = 1; step <= steps && failure.isEmpty(); ++step) {
                const int count = int(model.size());
                const int op = count == 0 ? pick(0, 1) * 4 : pick(0, 4);
                QString done;
                bool changed = false, reported = false;
                if (op == 0) {
                    const ChosenLine line = randomLine(1);
                    done = QStringLiteral("purchase of %1").arg(Path(line.Item));
                    reported = history.Purchase(line.Item, line.PaidInDollars);
                    model.push_back(line);
                    changed = true;
                } else if (op == 1) {
                    const int n = pick(1, count), q = pick(1, 99);
                    done = QStringLiteral("quantity of %1 to %2").arg(n).arg(q);
                    changed = model[std::size_t(n - 1)].Quantity != q;
                    reported = history.ChangeQuantity(n, q);
                    model[std::size_t(n - 1)].Quantity = q;
                } else if (op == 2) {
                    const int n = pick(1, count), t = pick(1, count);
                    done = QStringLiteral("move %1 to %2").arg(n).arg(t);
                    changed = n != t;
                    reported = history.MoveLine(n, t);
                    const ChosenLine moved = model[std::size_t(n - 1)];
                    model.erase(model.begin() + (n - 1));
                    model.insert(model.begin() + (t - 1), moved);
                } else if (op == 3) {
                    const int n = pick(1, count);
                    done = QStringLiteral("remove %1").arg(n);
                    changed = true;
                    reported = history.RemoveLine(n);
                    model.erase(model.begin() + (n - 1));
                } else {
                    // The export of another list, pasted; an empty one adds nothing.
                    clsGearList other;
                    std::vector<ChosenLine> lines;
                    for (int k = pick(0, 4); k > 0; --k) {
                        lines.push_back(randomLine(pick(1, 99)));
                        other.AddChosenItem(lines.back().Item, lines.back().Quantity, lines.back().PaidInDollars);
                    }
                    done = QStringLiteral("paste of %1 lines").arg(lines.size());
                    const auto pasted = ChosenPaste::Parse(ExportText(other), *gear.Categories());
                    lines = AsReadBack(lines);
                    if (!pasted || Describe(pasted->Lines) != Describe(lines) || !pasted->NotAdded.isEmpty()) {
                        failure = done + QStringLiteral(": read back as [%1]")
                                             .arg(pasted ? Describe(pasted->Lines).join(QStringLiteral(", "))
                                                         : QStringLiteral("no export"));
                        break;
                    }
                    changed = !lines.empty();
                    reported = history.AddLines(pasted->Lines);
                    model.insert(model.end(), lines.begin(), lines.end());
                }
                if (reported != changed)
                    failure = done + QStringLiteral(": a step was %1").arg(reported ? "made" : "not made");
                else if (const QString why = Mismatch(gear, model); !why.isEmpty())
                    failure = done + QStringLiteral(": ") + why;
                else if (changed)
                    states.push_back(model);
                if (!failure.isEmpty())
                    failure = QStringLiteral("step %1, ").arg(step) + failure;
            }

            // Back to the empty list, then forward to the end, through the same states.
            for (std::size_t i = states.size() - 1; i > 0 && failure.isEmpty(); --i) {
                if (!history.Undo())
                    failure = QStringLiteral("undo %1 found no step").arg(states.size() - i);
                else if (const QString why = Mismatch(gear, states[i - 1]); !why.isEmpty())
                    failure = QStringLiteral("undo %1: ").arg(states.size() - i) + why;
            }
            if (failure.isEmpty() && history.Undo())
                failure = QStringLiteral("an undo past the first step");
            for (std::size_t i = 1; i < states.size() && failure.isEmpty(); ++i) {
                if (!history.Redo())
                    failure = QStringLiteral("redo %1 found no step").arg(i);
                else if (const QString why = Mismatch(gear, states[i]); !why.isEmpty())
                    failure = QStringLiteral("redo %1: ").arg(i) + why;
            }
            if (failure.isEmpty() && history.Redo())
                failure = QStringLiteral("a redo past the last step");

            // The export pasted into a fresh program gives the same lines, order and totals.
            if (failure.isEmpty()) {
                clsGearList fresh;
                QVERIFY(fresh.LoadGearFile(dir.Path()));
                const QString text = ExportText(gear);
                const auto pasted = ChosenPaste::Parse(text, *fresh.Categories());
                ChosenHistory freshHistory(fresh);
                if (!pasted)
                    failure = QStringLiteral("the export is not read as one");
                else if (!pasted->NotAdded.isEmpty())
                    failure = QStringLiteral("not added: ") + pasted->NotAdded.join(QStringLiteral(", "));
                else if (freshHistory.AddLines(pasted->Lines) != !model.empty())
                    failure = QStringLiteral("the paste into a fresh program made no step");
                else if (Describe(ChosenLines(*fresh.ChosenGear())) != Describe(AsReadBack(model)))
                    failure = QStringLiteral("pasted into a fresh program as [%1]")
                                  .arg(Describe(ChosenLines(*fresh.ChosenGear())).join(QStringLiteral(", ")));
                else if (ExportText(fresh) != text)
                    failure = QStringLiteral("the fresh program exports:\n%1\nnot:\n%2").arg(ExportText(fresh), text);
            }
            QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("seed %1: ").arg(seed) + failure));
        }
    }

    // Pasted text read against a fixed catalogue
    void paste_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isExport");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("message");

        const QString header = QStringLiteral("Item\tType\tReference\tQty\tGP Cost\tBP Cost\t$ Cost\tWeight (lbs.)");
        const QString end = QStringLiteral("------\t\t\t\t\t\t\t\r\nTotals\t\t\t\t0\t0\t0\t0.0\r\n");
        auto crlf = [&](const QStringList &lines) {
            return header + QStringLiteral("\r\n") + lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n") + end;
        };

        QTest::newRow("LibreOffice Calc copy")
            << QStringLiteral("Item\tType\tReference\tQty\tGP Cost\tBP Cost\t$ Cost\tWeight (lbs.)\n"
                              "Compact Pistol\tPistols\tQCR 45\t1\t0\t2\t0\t1.5\n"
                              "Exploding Cufflinks\tEscape Gadgets\tGAL 14\t2\t6\t0\t0\t0\n"
                              "Field Dressing\tFirst Aid\tQCR 140\t4\t0\t0\t20\t1\n"
                              "------\t\t\t\t\t\t\t\n"
                              "Totals\t\t\t\t6\t2\t20\t2.5\n")
            << true
            << QStringList{"Weapons/Pistols/Compact Pistol x1 points",
                           "Gadgets/Escape Gadgets/Exploding Cufflinks x2 points",
                           "Medical/First Aid/Field Dressing x4 $"}
            << "3 rows were added from the clipboard.";
        QTest::newRow("points item bought in dollars at a dollar price of 0")
            << crlf({"Exploding Cufflinks\tEscape Gadgets\tGAL 14\t2\t0\t0\t0\t0"}) << true
            << QStringList{"Gadgets/Escape Gadgets/Exploding Cufflinks x2 $"}
            << "1 rows were added from the clipboard.";
        QTest::newRow("items named Totals and ------, then the end as a spreadsheet copies it")
            << header + QStringLiteral("\nTotals\tOdd Names\tQCR 7\t1\t0\t2\t0\t1.0\n"
                                       "------\tOdd Names\tQCR 8\t2\t0\t0\t20\t1.0\n"
                                       "Field Dressing\tFirst Aid\tQCR 140\t1\t0\t1\t0\t0.3\n"
                                       "------\n"
                                       "Totals\t\t\t\t0\t3\t20\t2.3\n")
            << true
            << QStringList{"Gear/Odd Names/Totals x1 points", "Gear/Odd Names/------ x2 $",
                           "Medical/First Aid/Field Dressing x1 points"}
            << "3 rows were added from the clipboard.";
        // Items named "Totals" and three tabs, and "------", a line end and "Rope": lines that look like the tail.
        QTest::newRow("lines like the separator and totals lines before others")
            << crlf({"Totals\t\t\t\tOdd Names\tQCR 9\t1\t0\t2\t0\t1.0",
                     "Field Dressing\tFirst Aid\tQCR 140\t1\t0\t1\t0\t0.3", "------",
                     "Rope\tOdd Names\tQCR 8\t1\t0\t0\t10\t0.5"})
            << true << QStringList{"Medical/First Aid/Field Dressing x1 points"}
            << "1 rows were added from the clipboard.\nNot added:\nTotals\n------\nRope";
        QTest::newRow("shared sub-category told apart by Reference")
            << crlf({"Compact Pistol\tPistols\tGAL 12\t3\t12\t0\t0\t4.5"}) << true
            << QStringList{"Gadgets/Pistols/Compact Pistol x3 points"} << "1 rows were added from the clipboard.";
        QTest::newRow("shared sub-category, no Reference equal")
            << crlf({"Compact Pistol\tPistols\tQCR 46\t1\t0\t2\t0\t1.5"}) << true << QStringList{}
            << "0 rows were added from the clipboard.\nNot added:\nCompact Pistol";
        QTest::newRow("one candidate, its page changed, other letter case")
            << crlf({"service PISTOL\tpistols\tQCR 90\t2\t0\t6\t0\t4.2"}) << true
            << QStringList{"Weapons/Pistols/Service Pistol x2 points"} << "1 rows were added from the clipboard.";
        QTest::newRow("unknown item and quantities 0 and 100 between good lines")
            << crlf({"Service Pistol\tPistols\tQCR 88\t99\t0\t0\t31680\t207.9",
                     "Laser Watch\tGadgets\tGAL 3\t1\t5\t0\t0\t0.1",
                     "Field Dressing\tFirst Aid\tQCR 140\t0\t0\t0\t0\t0.0",
                     "Field Dressing\tFirst Aid\tQCR 140\t100\t0\t100\t0\t25.0",
                     "Field Dressing\tFirst Aid\tQCR 140\t1\t0\t1\t0\t0.3"})
            << true << QStringList{"Weapons/Pistols/Service Pistol x99 $", "Medical/First Aid/Field Dressing x1 points"}
            << "2 rows were added from the clipboard.\nNot added:\nLaser Watch\nField Dressing\nField Dressing";
        QStringList unknown;
        QString names;
        for (int i = 1; i <= 22; ++i) {
            unknown << QStringLiteral("Gone %1\tPistols\tQCR 1\t1\t0\t1\t0\t1.0").arg(i);
            if (i <= 20)
                names += QStringLiteral("\nGone %1").arg(i);
        }
        QTest::newRow("more than twenty not added")
            << crlf(unknown) << true << QStringList{}
            << "0 rows were added from the clipboard.\nNot added:" + names + "\nand 2 more.";
        QTest::newRow("no header line") << QStringLiteral("Compact Pistol\tPistols\tQCR 45\t1\t0\t2\t0\t1.5\r\n")
                                        << false << QStringList{} << QString();
    }
    void paste()
    {
        QFETCH(QString, text);
        QFETCH(bool, isExport);
        QFETCH(QStringList, added);
        QFETCH(QString, message);

        const TestSupport::CatalogueDir dir(TableCsv());
        clsGearList gear;
        QVERIFY(gear.LoadGearFile(dir.Path()));
        const auto pasted = ChosenPaste::Parse(text, *gear.Categories());
        QCOMPARE(pasted.has_value(), isExport);
        if (!pasted)
            return;
        QCOMPARE(Describe(pasted->Lines), added);
        QCOMPARE(ChosenPaste::Message(*pasted), message);
    }
};

QTEST_GUILESS_MAIN(tst_ChosenPaste)
#include "tst_ChosenPaste.moc"
