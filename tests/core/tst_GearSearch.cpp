#include "TestSupport.h"
#include "core/GearSearch.h"

#include <QtTest>

#include <memory>

namespace {

// Widget i of the large group: the records go round three categories, so catalogue order is not file order.
QString Widget(int i)
{
    return QStringLiteral("Widget %1").arg(i, 3, 10, QLatin1Char('0'));
}

// Records out of catalogue order, an item without a reference, accented names, a reference shared by two
// categories, 600 widgets and a name longer than a list shows, its last word past the part shown.
QByteArray Catalogue()
{
    QByteArray csv = TestSupport::Csv({
        "Category,Sub Category,Item,Cost,Weight,Cost $,Source,Ref 1,Ref 2",
        "Disguise,Wigs,Grey Wig,1,0.2,40,,,",
        "Weapons,Rifles,Hunting Rifle,5,7.5,900,FM,12,",
        "Gadgets,Pens,Café Pen,1,0.1,0,GAL,9,",
        "Weapons,Pistols,Service Pistol,3,2.1,320,QCR,88,",
        "Gadgets,Pens,ÉCLAIR Signal Pen,2,0.1,0,GAL,10,",
        "Weapons,Pistols,Compact Pistol,2,1.2,280,QCR,121,",
        "Weapons,Rifles,Sniper Rifle,5,8,1200,QCR,121,122",
        "Weapons,Pistols,Dart Pistol,2,1,150,BLK,12,",
    });
    for (int i = 0; i < 600; ++i)
        csv += QStringLiteral("Crate %1,Boxes,%2,1,1,1,WS,1,\r\n").arg(QChar(u'A' + i % 3)).arg(Widget(i)).toUtf8();
    csv += "Surveillance,Recorders," + QByteArray("Listening Device ").repeated(300) + "Zephyrtail,3,1,250,QCR,45,\r\n";
    return csv;
}

} // namespace

class tst_GearSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        m_dir = std::make_unique<TestSupport::CatalogueDir>(Catalogue());
        m_app = std::make_unique<clsGearList>();
        QVERIFY(m_app->LoadGearFile(m_dir->Path()));
        m_search = std::make_unique<GearSearch>(*m_app->Categories());
    }

    void find_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("count");

        QTest::newRow("letter case ignored") << "sERVICE" << QStringList{"Service Pistol"} << "1 item";
        QTest::newRow("accented capital finds small") << "CAFÉ" << QStringList{"Café Pen"} << "1 item";
        QTest::newRow("accented small finds capital") << "éclair" << QStringList{"ÉCLAIR Signal Pen"} << "1 item";
        QTest::newRow("e does not find é") << "cafe" << QStringList{} << "No items match";
        QTest::newRow("words in any order") << "pistol comp" << QStringList{"Compact Pistol"} << "1 item";
        QTest::newRow("reference, in catalogue order")
            << "121 qcr" << QStringList{"Sniper Rifle", "Compact Pistol"} << "2 items";
        QTest::newRow("one word in the name, one in the reference")
            << "qcr pistol" << QStringList{"Service Pistol", "Compact Pistol"} << "2 items";
        QTest::newRow("reference, none for an item without one") << "fm" << QStringList{"Hunting Rifle"} << "1 item";
        QTest::newRow("word across name and reference") << "pistolqcr" << QStringList{} << "No items match";
        QTest::newRow("no match") << "zq" << QStringList{} << "No items match";
        QTest::newRow("empty text") << "" << QStringList{} << "";
        QTest::newRow("only spaces") << "   " << QStringList{} << "";
        QTest::newRow("last word of a long name")
            << "zephyrTAIL"
            << QStringList{QStringLiteral("Listening Device ").repeated(300) + QStringLiteral("Zephyrtail")}
            << "1 item";
        QStringList first500;
        for (int crate = 0; crate < 3; ++crate) {
            for (int i = crate; i < 600 && first500.size() < 500; i += 3)
                first500 << Widget(i);
        }
        QTest::newRow("more than 500") << "widget" << first500 << "600 items; the first 500 are listed";
    }

    void find()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, listed);
        QFETCH(QString, count);
        const std::optional<GearSearch::Result> result = m_search->Find(text, 500);
        QVERIFY(result);
        QStringList names;
        for (const GearSearch::Found &found : result->Listed) {
            // Where the browser shows it.
            const clsCategory *category = *std::next(m_app->Categories()->begin(), found.CategoryIndex);
            const clsSubCategory *sub = *std::next(category->SubCategories->begin(), found.SubCategoryIndex);
            QCOMPARE(sub->Items->At(found.Row), found.Item);
            names << found.Item->Name();
        }
        QCOMPARE(names, listed);
        QCOMPARE(GearSearch::CountText(*result), count);
    }

private:
    std::unique_ptr<TestSupport::CatalogueDir> m_dir;
    std::unique_ptr<clsGearList> m_app;
    std::unique_ptr<GearSearch> m_search;
};

QTEST_MAIN(tst_GearSearch)
#include "tst_GearSearch.moc"
