#include "TestSupport.h"
#include "core/clsGearList.h"
#include "toolkit/MsgBox.h"
#include "toolkit/OwnedText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMessageBox>
#include <QtTest>

#if !defined(Q_OS_WIN)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <new>

using TestSupport::Csv;

namespace {
// While not negative: how many more allocations succeed before every one fails.
long g_allocationsLeft = -1;
} // namespace

void *operator new(std::size_t size)
{
    if (g_allocationsLeft == 0)
        throw std::bad_alloc();
    if (g_allocationsLeft > 0)
        --g_allocationsLeft;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

const char *const Header = "Category,Sub Category,Item,Cost,Weight,Cost $,Source,Ref 1,Ref 2";

// What one load did: its result and the message box it showed, if any.
struct Outcome
{
    bool result = false;
    TestSupport::SeenBox box;
};

// Every load runs with a box watcher armed, so that an unexpected box is recorded and accepted instead of
// blocking the test. When no box came, a throwaway modal box takes the watcher's turn, so that the watcher
// cannot catch a box of a later test.
Outcome Load(clsGearList &list, const QString &folder)
{
    auto seen = TestSupport::OnNextModal();
    Outcome out;
    out.result = list.LoadGearFile(folder);
    if (seen->seen) {
        out.box = *seen;
        return out;
    }
    QMessageBox decoy;
    decoy.setWindowModality(Qt::ApplicationModal);
    decoy.show();
    if (!QTest::qWaitFor([&] { return seen->seen; }))
        qFatal("the message box watcher was not released");
    decoy.hide();
    return out;
}

// Categories as "Name", sub-categories as "Name/Sub", items as "Name/Sub/Item [Reference]", in enumeration order;
// a wrong parent link is marked.
QStringList Outline(const clsGearList &list)
{
    QStringList lines;
    for (clsCategory *c : *list.Categories()) {
        lines << c->Name;
        for (clsSubCategory *s : *c->SubCategories) {
            const QString sub = c->Name + u'/' + s->Name;
            lines << sub + (s->Parent == c ? QString() : QStringLiteral(" (wrong parent)"));
            for (clsItem *i : *s->Items)
                lines << sub + u'/' + i->Name() + QStringLiteral(" [") + i->Reference() + u']' +
                             (i->Parent == s ? QString() : QStringLiteral(" (wrong parent)"));
        }
    }
    return lines;
}

QString ReadError(const TestSupport::CatalogueDir &dir, int line)
{
    return QStringLiteral("An error occured reading the data file ") + dir.FilePath() + QStringLiteral(" on line ") +
           QString::number(line) + QStringLiteral(".  Ensure the data is in the correct format.");
}

QString OpenError(const TestSupport::CatalogueDir &dir)
{
    return QStringLiteral("The data file ") + dir.FilePath() +
           QStringLiteral(" could not be opened.  Ensure the file exists and is not being used by any other "
                          "applications or programs.");
}

QByteArray EveryByteOnce()
{
    QByteArray bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    return bytes;
}

} // namespace

class tst_LoadGearFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->metaObject()->className()));
    }

    // Loads that succeed without a message
    void cleanLoad_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("outline");

        const QByteArray h = Csv({Header});
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("header only") << h << QStringList{};
        QTest::newRow("header without a line end")
            << QByteArray("category,sub category,item,cost,weight,cost $,source,ref 1,ref 2") << QStringList{};
        QTest::newRow("header in upper case") << Csv({"CATEGORY,SUB,ITEM,COST,WT,$,SRC,R1,R2", "W,P,A,1,1,1,QCR,,"})
                                              << QStringList{"W", "W/P", "W/P/A [QCR]"};
        QTest::newRow("quoted header and a repeated header")
            << Csv({"\"Category\",x,y,1,1,1,z,,", "W,P,A,1,1,1,QCR,,", Header, "W,P,B,1,1,1,QCR,,"})
            << QStringList{"W", "W/P", "W/P/A [QCR]", "W/P/B [QCR]"};
        QTest::newRow("Categories is data")
            << Csv({"Categories,P,A,1,1,1,QCR,,"}) << QStringList{"Categories", "Categories/P", "Categories/P/A [QCR]"};
        QTest::newRow("blank first fields skipped") << Csv({",P,A,1,1,1,QCR,,", "   ,P,B,1,1,1,QCR,,",
                                                            "\"   \",P,C,1,1,1,QCR,,", ",,,,,,,,", "W,P,D,1,1,1,QCR,,"})
                                                    << QStringList{"W", "W/P", "W/P/D [QCR]"};
        QTest::newRow("order of first appearance")
            << Csv({"Medical,Kits,M1,1,1,1,QCR,,", "Weapons,Pistols,W1,1,1,1,QCR,,", "Medical,Drugs,M2,1,1,1,QCR,,",
                    "Weapons,Pistols,W2,1,1,1,QCR,,", "Medical,Kits,M3,1,1,1,QCR,,"})
            << QStringList{"Medical",
                           "Medical/Kits",
                           "Medical/Kits/M1 [QCR]",
                           "Medical/Kits/M3 [QCR]",
                           "Medical/Drugs",
                           "Medical/Drugs/M2 [QCR]",
                           "Weapons",
                           "Weapons/Pistols",
                           "Weapons/Pistols/W1 [QCR]",
                           "Weapons/Pistols/W2 [QCR]"};
        QTest::newRow("names merge across letter case, first spelling kept")
            << Csv({"Weapons,Pistols,A,1,1,1,QCR,,", "WEAPONS,Rifles,B,1,1,1,QCR,,", "weapons,PISTOLS,C,1,1,1,QCR,,"})
            << QStringList{
                   "Weapons",        "Weapons/Pistols",       "Weapons/Pistols/A [QCR]", "Weapons/Pistols/C [QCR]",
                   "Weapons/Rifles", "Weapons/Rifles/B [QCR]"};
        QTest::newRow("duplicate item in other case keeps the first")
            << Csv({"W,P,Knife,1,1,1,QCR,10,", "W,P,KNIFE,2,2,2,QCR,20,"})
            << QStringList{"W", "W/P", "W/P/Knife [QCR 10]"};
        QTest::newRow("duplicate item after another category keeps the first")
            << Csv({"W,P,Knife,1,1,1,QCR,10,", "M,K,Bandage,1,1,1,QCR,,", "w,p,Knife,2,2,2,QCR,20,"})
            << QStringList{"W", "W/P", "W/P/Knife [QCR 10]", "M", "M/K", "M/K/Bandage [QCR]"};
        QTest::newRow("same item name elsewhere is filed")
            << Csv({"W,P,Knife,1,1,1,QCR,10,", "W,Melee,Knife,1,1,1,QCR,11,", "M,K,Knife,1,1,1,QCR,12,"})
            << QStringList{"W", "W/P", "W/P/Knife [QCR 10]", "W/Melee", "W/Melee/Knife [QCR 11]",
                           "M", "M/K", "M/K/Knife [QCR 12]"};
        QTest::newRow("empty item name leaves its sub-category empty")
            << Csv({"W,Holsters,,1,1,1,QCR,,", "W,P,A,1,1,1,QCR,,"})
            << QStringList{"W", "W/Holsters", "W/P", "W/P/A [QCR]"};
        QTest::newRow("quoted names keep commas and quotes")
            << Csv({"\"Weapons, Assorted\",Pistols,\"Pistol, \"\"Silent\"\" Model\",1,1,1,BLK,53,54"})
            << QStringList{"Weapons, Assorted", "Weapons, Assorted/Pistols",
                           "Weapons, Assorted/Pistols/Pistol, \"Silent\" Model [BLK 53/54]"};
        QTest::newRow("doubled quotes in two category names")
            << Csv({"\"Say \"\"A\"\"\",Sub,One,1,1,1,QCR,,", "\"Say \"\"B\"\"\",Sub,Two,1,1,1,QCR,,"})
            << QStringList{"Say \"A\"", "Say \"A\"/Sub", "Say \"A\"/Sub/One [QCR]",
                           "Say \"B\"", "Say \"B\"/Sub", "Say \"B\"/Sub/Two [QCR]"};
        QTest::newRow("doubled quotes in two sub-category names")
            << Csv({"W,\"Type \"\"1\"\"\",One,1,1,1,QCR,,", "W,\"Type \"\"2\"\"\",Two,1,1,1,QCR,,"})
            << QStringList{"W", "W/Type \"1\"", "W/Type \"1\"/One [QCR]", "W/Type \"2\"", "W/Type \"2\"/Two [QCR]"};
        QTest::newRow("a record over two lines")
            << Csv({"W,P,A,1", "1,1,QCR,88,"}) << QStringList{"W", "W/P", "W/P/A [QCR 88]"};
        // The tenth field starts the next record, which takes the eight fields of line 3 to make nine.
        QTest::newRow("ten fields on a line, eight on the next")
            << Csv({Header, "W,P,A,1,1,1,QCR,88,,EXTRA", "Medical,First Aid,Dressing,1,0.25,5,QCR,140"})
            << QStringList{"W", "W/P", "W/P/A [QCR 88]", "EXTRA", "EXTRA/Medical", "EXTRA/Medical/First Aid [5]"};
        QTest::newRow("blank lines at the end") << h + Csv({"W,P,A,1,1,1,QCR,,"}) + "\r\n\r\n\r\n"
                                                << QStringList{"W", "W/P", "W/P/A [QCR]"};
        QTest::newRow("space-only lines at the end")
            << h + Csv({"W,P,A,1,1,1,QCR,,"}) + "   \r\n \r\n  " << QStringList{"W", "W/P", "W/P/A [QCR]"};
        QTest::newRow("lone CRs and LFs at the end") << h + Csv({"W,P,A,1,1,1,QCR,,"}) + "\n\r\r\n\n"
                                                     << QStringList{"W", "W/P", "W/P/A [QCR]"};
        QTest::newRow("LF line ends") << QByteArray("Category,a,b,c,d,e,f,g,h\nW,P,A,1,1,1,QCR,,\nW,P,B,1,1,1,QCR,,\n")
                                      << QStringList{"W", "W/P", "W/P/A [QCR]", "W/P/B [QCR]"};
        QTest::newRow("CR line ends") << QByteArray("Category,a,b,c,d,e,f,g,h\rW,P,A,1,1,1,QCR,,\rW,P,B,1,1,1,QCR,,\r")
                                      << QStringList{"W", "W/P", "W/P/A [QCR]", "W/P/B [QCR]"};
        QTest::newRow("UTF-8 names") << Csv({"M\303\251dical,Kits,\xC3\x86rosol \xF0\x90\x90\x80,1,1,1,QCR,,"})
                                     << QStringList{"Médical", "Médical/Kits",
                                                    QString::fromUcs4(U"Médical/Kits/Ærosol \U00010400 [QCR]")};
        QTest::newRow("invalid UTF-8 read as Windows-1252")
            << Csv({"M\351dical,Kits,\x80 Token,1,1,1,QCR,,"})
            << QStringList{"Médical", "Médical/Kits", "Médical/Kits/€ Token [QCR]"};
        QTest::newRow("one invalid byte makes the whole file Windows-1252")
            << Csv({"Caf\xC3\xA9,K,A,1,1,1,QCR,,", "W,P,Na\xEFve,1,1,1,QCR,,"})
            << QStringList{"CafÃ©", "CafÃ©/K", "CafÃ©/K/A [QCR]", "W", "W/P", "W/P/Naïve [QCR]"};
        QTest::newRow("UTF-8 BOM before the header")
            << QByteArray("\xEF\xBB\xBF") + Csv({Header, "Caf\xC3\xA9,K,A,1,1,1,QCR,,"})
            << QStringList{"Café", "Café/K", "Café/K/A [QCR]"};
        QTest::newRow("UTF-8 BOM before a data record")
            << QByteArray("\xEF\xBB\xBF") + Csv({"W,P,A,1,1,1,QCR,,"}) << QStringList{"W", "W/P", "W/P/A [QCR]"};
        QTest::newRow("NUL byte in a name") << QByteArrayLiteral("W,P,A\0B,1,1,1,QCR,,\r\n")
                                            << QStringList{"W", "W/P", QStringLiteral("W/P/A") + QChar(0) + "B [QCR]"};
        QTest::newRow("sample catalogue") << TestSupport::SampleCsv()
                                          << QStringList{"Weapons",
                                                         "Weapons/Pistols",
                                                         "Weapons/Pistols/Service Pistol [QCR 88]",
                                                         "Weapons/Pistols/Pistol, Silenced [BLK 53/54]",
                                                         "Weapons/Pistols/Pocket Derringer [QCR 90]",
                                                         "Weapons/Rifles",
                                                         "Weapons/Rifles/Hunting Rifle [FM 12]",
                                                         "Gadgets",
                                                         "Gadgets/Escape Gadgets",
                                                         "Gadgets/Escape Gadgets/Exploding Cufflinks [GAL 14]",
                                                         "Gadgets/Escape Gadgets/Rope Belt [GAL]",
                                                         "Medical",
                                                         "Medical/First Aid",
                                                         "Medical/First Aid/Field Dressing [QCR 140]"};
    }
    void cleanLoad()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, outline);

        TestSupport::CatalogueDir dir(csv);
        clsGearList list;
        const Outcome out = Load(list, dir.Path());
        QVERIFY2(!out.box.seen, qPrintable(out.box.text));
        QVERIFY(out.result);
        QCOMPARE(Outline(list).join(u'\n'), outline.join(u'\n'));
    }

    // Item members
    void itemValues_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<int>("bp");
        QTest::addColumn<int>("gp");
        QTest::addColumn<int>("dollar");
        QTest::addColumn<double>("weight");
        QTest::addColumn<QString>("reference");

        QTest::newRow("plain") << QByteArray("Weapons,Pistols,Gun,3,2.1,320,QCR,88,") << 3 << 0 << 320 << 2.1
                               << "QCR 88";
        QTest::newRow("references absent") << QByteArray("W,P,Gun,1,1,1,QCR,,") << 1 << 0 << 1 << 1.0 << "QCR";
        QTest::newRow("second reference only, first empty")
            << QByteArray("W,P,Gun,1,1,1,QCR,,54") << 1 << 0 << 1 << 1.0 << "QCR 54";
        QTest::newRow("second reference only, first 0")
            << QByteArray("W,P,Gun,1,1,1,QCR,0,54") << 1 << 0 << 1 << 1.0 << "QCR 54";
        QTest::newRow("second reference only, first 0.0")
            << QByteArray("W,P,Gun,1,1,1,QCR,0.0,54") << 1 << 0 << 1 << 1.0 << "QCR 54";
        QTest::newRow("both references") << QByteArray("W,P,Gun,1,1,1,BLK,53,54") << 1 << 0 << 1 << 1.0 << "BLK 53/54";
        QTest::newRow("second reference 0") << QByteArray("W,P,Gun,1,1,1,BLK,53,0") << 1 << 0 << 1 << 1.0 << "BLK 53";
        QTest::newRow("both references 0") << QByteArray("W,P,Gun,1,1,1,BLK,0,0") << 1 << 0 << 1 << 1.0 << "BLK";
        QTest::newRow("first reference not a number")
            << QByteArray("W,P,Gun,1,1,1,FM,p.12,54") << 1 << 0 << 1 << 1.0 << "FM";
        QTest::newRow("second reference not a number")
            << QByteArray("W,P,Gun,1,1,1,FM,12,see text") << 1 << 0 << 1 << 1.0 << "FM";
        QTest::newRow("reference 00 is absent")
            << QByteArray("W,P,Gun,1,1,1,QCR,00,54") << 1 << 0 << 1 << 1.0 << "QCR 54";
        QTest::newRow("UTF-8 source") << QByteArray("W,P,Gun,1,1,1,R\303\251f,12,") << 1 << 0 << 1 << 1.0
                                      << "R\u00E9f 12";
        QTest::newRow("Windows-1252 source")
            << QByteArray("W,P,Gun,1,1,1,R\351f,12,") << 1 << 0 << 1 << 1.0 << "R\u00E9f 12";
        QTest::newRow("cost 2.5 rounds to 2") << QByteArray("W,P,Gun,2.5,1,2.5,QCR,,") << 2 << 0 << 2 << 1.0 << "QCR";
        QTest::newRow("cost 3.5 rounds to 4") << QByteArray("W,P,Gun,3.5,1,3.5,QCR,,") << 4 << 0 << 4 << 1.0 << "QCR";
        QTest::newRow("cost 0.5 rounds to 0") << QByteArray("W,P,Gun,0.5,1,0.5,QCR,,") << 0 << 0 << 0 << 1.0 << "QCR";
        QTest::newRow("cost with exponent")
            << QByteArray("W,P,Gun,1e1,1,2.5e2,QCR,,") << 10 << 0 << 250 << 1.0 << "QCR";
        QTest::newRow("costs without a digit before or after the point")
            << QByteArray("W,P,Gun,.5,1,7.,QCR,,") << 0 << 0 << 7 << 1.0 << "QCR";
        QTest::newRow("quoted costs with spaces")
            << QByteArray("W,P,Gun,\" 7 \",1,\"  8\",QCR,,") << 7 << 0 << 8 << 1.0 << "QCR";
        QTest::newRow("cost of fifteen digits")
            << QByteArray("W,P,Gun,000000000000012,1,1,QCR,,") << 12 << 0 << 1 << 1.0 << "QCR";
        QTest::newRow("cost of sixteen digits")
            << QByteArray("W,P,Gun,0000000000000012,1,1,QCR,,") << 12 << 0 << 1 << 1.0 << "QCR";
        QTest::newRow("cost 32767") << QByteArray("W,P,Gun,32767,1,32767,QCR,,") << 32767 << 0 << 32767 << 1.0 << "QCR";
        QTest::newRow("cost 32768 gives 0") << QByteArray("W,P,Gun,32768,1,32768,QCR,,") << 0 << 0 << 0 << 1.0 << "QCR";
        QTest::newRow("cost 32767.5 gives 0")
            << QByteArray("W,P,Gun,32767.5,1,32767.5,QCR,,") << 0 << 0 << 0 << 1.0 << "QCR";
        QTest::newRow("cost -32768") << QByteArray("W,P,Gun,-32768,1,-32768,QCR,,") << -32768 << 0 << -32768 << 1.0
                                     << "QCR";
        QTest::newRow("cost -32769 gives 0")
            << QByteArray("W,P,Gun,-32769,1,-32769,QCR,,") << 0 << 0 << 0 << 1.0 << "QCR";
        QTest::newRow("cost a word gives 0") << QByteArray("W,P,Gun,three,1,lots,QCR,,") << 0 << 0 << 0 << 1.0 << "QCR";
        QTest::newRow("cost empty gives 0") << QByteArray("W,P,Gun,,1,,QCR,,") << 0 << 0 << 0 << 1.0 << "QCR";
        QTest::newRow("Gadget") << QByteArray("Gadget,P,Toy,3,1,5,GAL,,") << 0 << 3 << 5 << 1.0 << "GAL";
        QTest::newRow("gadgets") << QByteArray("gadgets,P,Toy,3,1,5,GAL,,") << 0 << 3 << 5 << 1.0 << "GAL";
        QTest::newRow("quoted spaces then GADGETRY")
            << QByteArray("\"  GADGETRY \",P,Toy,3,1,5,GAL,,") << 0 << 3 << 5 << 1.0 << "GAL";
        QTest::newRow("gadget cost 32768 gives 0")
            << QByteArray("Gadgets,P,Toy,32768,1,5,GAL,,") << 0 << 0 << 5 << 1.0 << "GAL";
        QTest::newRow("Gadge is not a gadget") << QByteArray("Gadge,P,Toy,3,1,5,GAL,,") << 3 << 0 << 5 << 1.0 << "GAL";
        QTest::newRow("Field Gadgets is not a gadget")
            << QByteArray("Field Gadgets,P,Toy,3,1,5,GAL,,") << 3 << 0 << 5 << 1.0 << "GAL";
        QTest::newRow("weight 1.5") << QByteArray("W,P,Gun,1,1.5,1,QCR,,") << 1 << 0 << 1 << 1.5 << "QCR";
        QTest::newRow("weight a word gives 0") << QByteArray("W,P,Gun,1,heavy,1,QCR,,") << 1 << 0 << 1 << 0.0 << "QCR";
        QTest::newRow("weight without a leading digit")
            << QByteArray("W,P,Gun,1,.25,1,QCR,,") << 1 << 0 << 1 << 0.25 << "QCR";
        QTest::newRow("weight with many decimals")
            << QByteArray("W,P,Gun,1,0.1234567890123,1,QCR,,") << 1 << 0 << 1 << 0.1234567890123 << "QCR";
        QTest::newRow("weight a point only gives 0")
            << QByteArray("W,P,Gun,1,.,1,QCR,,") << 1 << 0 << 1 << 0.0 << "QCR";
        QTest::newRow("weight empty gives 0") << QByteArray("W,P,Gun,1,,1,QCR,,") << 1 << 0 << 1 << 0.0 << "QCR";
    }
    void itemValues()
    {
        QFETCH(QByteArray, record);
        QFETCH(int, bp);
        QFETCH(int, gp);
        QFETCH(int, dollar);
        QFETCH(double, weight);
        QFETCH(QString, reference);

        TestSupport::CatalogueDir dir(Csv({Header, record.constData()}));
        clsGearList list;
        const Outcome out = Load(list, dir.Path());
        QVERIFY2(!out.box.seen, qPrintable(out.box.text));
        QVERIFY(out.result);
        QCOMPARE(list.Categories()->Count(), 1);
        clsSubCategory *sub = *(*list.Categories()->begin())->SubCategories->begin();
        QCOMPARE(sub->Items->Count(), 1);
        const clsItem *item = *sub->Items->begin();
        QCOMPARE(int(item->Cost_BP), bp);
        QCOMPARE(int(item->Cost_GP), gp);
        QCOMPARE(int(item->Cost_Dollar), dollar);
        QCOMPARE(item->Weight_lb, weight);
        // Copied as a list cell copies it: under AddressSanitizer, a text the catalogue does not keep is a
        // use-after-free here (Qt's own comparison is not watched).
        QCOMPARE(OwnedText(item->Reference()), reference);
    }

    // A record filed on its own is found at once, as one filed by a load is; a second of one name is not filed.
    void recordFiledOnItsOwn()
    {
        clsGearList list;
        GearFile::GearRecord record;
        record.Fields = {"Weapons", "Pistols", "Compact Pistol", "2", "1.5", "300", "QCR", "45", ""};
        list.AddGearRecord(record);
        record.Fields[2] = "COMPACT PISTOL";
        list.AddGearRecord(record);
        const NamedCollection<clsItem> &items =
            *list.Categories()->Item(u"weapons").SubCategories->Item(u"pistols").Items;
        QCOMPARE(items.Count(), 1);
        const clsItem *item = items.Find(u"compact pistol");
        QVERIFY(item);
        QCOMPARE(item->Name(), u"Compact Pistol");
        QCOMPARE(item->Reference(), u"QCR 45");
    }

    // A load that runs out of memory, at whatever point, leaves every item it filed findable.
    void memoryRunningOut()
    {
        QByteArray csv = Csv({Header});
        for (int r = 0; r < 60; ++r)
            csv += "C" + QByteArray::number(r % 3) + ",S" + QByteArray::number(r % 4) + ",I" +
                   QByteArray::number(r % 17) + ",1,1,1,QCR,1,\r\n";
        TestSupport::CatalogueDir dir(csv);
        MsgBox::SetInterceptor([](const QString &, const QString &, MsgBox::Icon) {});
        bool loaded = false;
        for (long n = 0; !loaded; ++n) {
            clsGearList list;
            g_allocationsLeft = n;
            loaded = list.LoadGearFile(dir.Path());
            g_allocationsLeft = -1;
            for (const clsCategory *category : *list.Categories()) {
                for (const clsSubCategory *sub : *category->SubCategories) {
                    for (clsItem *item : *sub->Items)
                        QVERIFY2(sub->Items->Find(item->NameView()) == item, qPrintable(QString::number(n)));
                }
            }
        }
        MsgBox::SetInterceptor({});
    }

    // Records that cannot be read
    void readError_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<int>("line");
        QTest::addColumn<QStringList>("outline");

        const QByteArray h = Csv({Header});
        const QStringList ab{"W", "W/P", "W/P/A [QCR 88]", "W/P/B [QCR 89]"};
        QTest::newRow("last record of eight fields after three good lines")
            << Csv({Header, "W,P,A,1,1,1,QCR,88,", "W,P,B,1,1,1,QCR,89,", "W,P,C,1,1,1,QCR,90"}) << 4 << ab;
        QTest::newRow("last record of eight fields without a line end")
            << Csv({Header, "W,P,A,1,1,1,QCR,88,", "W,P,B,1,1,1,QCR,89,"}) + "W,P,C,1,1,1,QCR,90" << 4 << ab;
        // The short line takes the first field of the next one, which is then short.
        QTest::newRow("a middle line of eight fields") << Csv({Header, "W,P,A,1,1,1,QCR,88", "W,P,B,1,1,1,QCR,89,"})
                                                       << 3 << QStringList{"W", "W/P", "W/P/A [QCR]"};
        QTest::newRow("ten fields on a line, last field filled")
            << Csv({Header, "W,P,A,1,1,1,QCR,88,,EXTRA", "M,K,B,1,1,1,QCR,140,141"}) << 4
            << QStringList{"W", "W/P", "W/P/A [QCR 88]", "EXTRA", "EXTRA/M", "EXTRA/M/K [1]"};
        // The empty line is one empty field: the next record begins there and is not filed.
        QTest::newRow("an empty line in the middle")
            << Csv({Header, "W,P,A,1,1,1,QCR,88,", "", "W,P,B,1,1,1,QCR,89,90"}) << 4
            << QStringList{"W", "W/P", "W/P/A [QCR 88]"};
        QTest::newRow("unterminated quote in the fourth record")
            << Csv({Header, "W,P,A,1,1,1,QCR,88,", "W,P,B,1,1,1,QCR,89,", "W,P,\"Broken,1,1,1,QCR,,"}) << 4 << ab;
        QTest::newRow("unterminated quote in the first record")
            << Csv({"\"Weapons,P,A,1,1,1,QCR,,", "W,P,B,1,1,1,QCR,,"}) << 1 << QStringList{};
        // 0x00..0xFF hold one LF, one CR and one comma: four fields, so the first record runs into the end.
        QTest::newRow("every byte value once") << EveryByteOnce() << 1 << QStringList{};
        QTest::newRow("every byte value after a good record")
            << Csv({Header, "W,P,A,1,1,1,QCR,88,"}) + EveryByteOnce() << 3 << QStringList{"W", "W/P", "W/P/A [QCR 88]"};
        QTest::newRow("NUL bytes only") << QByteArray(1000, '\0') << 1 << QStringList{};
    }
    void readError()
    {
        QFETCH(QByteArray, csv);
        QFETCH(int, line);
        QFETCH(QStringList, outline);

        TestSupport::CatalogueDir dir(csv);
        clsGearList list;
        const Outcome out = Load(list, dir.Path());
        QVERIFY(!out.result);
        QVERIFY(out.box.seen);
        QCOMPARE(out.box.title, QStringLiteral("Quellvane Gear Chooser [v1.01]"));
        QCOMPARE(out.box.icon, QMessageBox::Critical);
        QCOMPARE(out.box.text, ReadError(dir, line));
        QCOMPARE(Outline(list).join(u'\n'), outline.join(u'\n'));
    }

    // Files that are not there or not readable
    void fileKinds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("opens");

        QTest::newRow("missing file") << "missing" << false;
        QTest::newRow("a folder of that name") << "folder" << false;
        QTest::newRow("dangling symbolic link") << "dangling" << false;
        QTest::newRow("a pipe of that name") << "pipe" << false;
        QTest::newRow("unreadable file") << "unreadable" << false;
        QTest::newRow("symbolic link to a data file") << "link" << true;
    }
    void fileKinds()
    {
        QFETCH(QString, kind);
        QFETCH(bool, opens);

        const QByteArray csv = Csv({Header, "W,P,A,1,1,1,QCR,88,"});
        TestSupport::CatalogueDir dir(csv);
        const QString path = dir.FilePath();
        QTemporaryDir elsewhere;
        if (kind != QLatin1String("unreadable"))
            QVERIFY(QFile::remove(path));
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(path));
#if defined(Q_OS_WIN)
        } else if (kind == QLatin1String("pipe") || kind == QLatin1String("unreadable")) {
            QSKIP("named pipes in the file system and permission bits that stop reading are POSIX facilities");
        } else if (kind == QLatin1String("dangling") || kind == QLatin1String("link")) {
            QSKIP("QFile::link makes a shortcut on Windows, a file of its own, not a symbolic link");
        }
#else
        } else if (kind == QLatin1String("dangling")) {
            QVERIFY(QFile::link(elsewhere.filePath("nowhere.csv"), path));
        } else if (kind == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("unreadable")) {
            if (::geteuid() == 0)
                QSKIP("root reads a file whatever its permissions");
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        } else if (kind == QLatin1String("link")) {
            QFile real(elsewhere.filePath("real.csv"));
            QVERIFY(real.open(QIODevice::WriteOnly));
            QCOMPARE(real.write(csv), qint64(csv.size()));
            real.close();
            QVERIFY(QFile::link(real.fileName(), path));
        }
#endif

        clsGearList list;
        const Outcome out = Load(list, dir.Path());
        QCOMPARE(out.result, opens);
        if (opens) {
            QVERIFY2(!out.box.seen, qPrintable(out.box.text));
            QCOMPARE(Outline(list), (QStringList{"W", "W/P", "W/P/A [QCR 88]"}));
            return;
        }
        QVERIFY(out.box.seen);
        QCOMPARE(out.box.title, QStringLiteral("Quellvane Gear Chooser [v1.01]"));
        QCOMPARE(out.box.icon, QMessageBox::Critical);
        QCOMPARE(out.box.text, OpenError(dir));
        QVERIFY(list.Categories()->IsEmpty());
    }

    // Size
    void tenMegabyteField()
    {
        const QByteArray name(10 * 1024 * 1024, 'N');
        TestSupport::CatalogueDir dir(Csv({Header}) + "W,P," + name + ",1,1,1,QCR,,\r\n");
        clsGearList list;
        const Outcome out = Load(list, dir.Path());
        QVERIFY(!out.box.seen);
        QVERIFY(out.result);
        const clsSubCategory *sub = *(*list.Categories()->begin())->SubCategories->begin();
        QCOMPARE(sub->Items->Count(), 1);
        const clsItem *item = *sub->Items->begin();
        QCOMPARE(item->Name().size(), name.size());
        QVERIFY(item->Name() == QString::fromLatin1(name));
        QCOMPARE(item->Reference(), QStringLiteral("QCR"));
    }

    void millionRecords()
    {
        // 10 categories x 10 sub-categories x 10,000 items; the last category is costed in gadget points.
        TestSupport::CatalogueDir dir{QByteArray()};
        QFile file(dir.FilePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QByteArray chunk = Csv({Header});
        for (int c = 0; c < 10; ++c) {
            const QByteArray category = c == 9 ? QByteArray("Gadgets") : "Cat" + QByteArray::number(c);
            for (int s = 0; s < 10; ++s) {
                const QByteArray prefix = category + ",Sub" + QByteArray::number(s) + ",I";
                for (int i = 0; i < 10000; ++i) {
                    chunk += prefix;
                    chunk += QByteArray::number(i);
                    chunk += ",3,1.5,250,QCR,";
                    chunk += QByteArray::number(i % 500);
                    chunk += ",\r\n";
                }
                QCOMPARE(file.write(chunk), qint64(chunk.size()));
                chunk.clear();
            }
        }
        file.close();

        clsGearList list;
        const Outcome out = Load(list, dir.Path());
        QVERIFY(!out.box.seen);
        QVERIFY(out.result);
        QCOMPARE(list.Categories()->Count(), 10);
        qsizetype items = 0;
        bool allCosted = true;
        for (clsCategory *c : *list.Categories()) {
            QCOMPARE(c->SubCategories->Count(), 10);
            const bool gadget = c->Name == QLatin1String("Gadgets");
            for (clsSubCategory *s : *c->SubCategories) {
                items += s->Items->Count();
                for (clsItem *i : *s->Items)
                    allCosted = allCosted && i->Cost_BP == (gadget ? 0 : 3) && i->Cost_GP == (gadget ? 3 : 0) &&
                                i->Cost_Dollar == 250 && i->Weight_lb == 1.5;
            }
        }
        QCOMPARE(items, 1000000);
        QVERIFY(allCosted);
        const clsItem &last = list.Categories()->Item(u"gadgets").SubCategories->Item(u"SUB9").Items->Item(u"i9999");
        QCOMPARE(last.Name(), QStringLiteral("I9999"));
        QCOMPARE(last.Reference(), QStringLiteral("QCR 499"));
        const clsItem &first = list.Categories()->Item(u"Cat0").SubCategories->Item(u"Sub0").Items->Item(u"I0");
        QCOMPARE(first.Reference(), QStringLiteral("QCR"));
    }
};

QTEST_MAIN(tst_LoadGearFile)
#include "tst_LoadGearFile.moc"
