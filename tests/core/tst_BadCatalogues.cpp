#include "TestSupport.h"
#include "core/clsGearList.h"
#include "toolkit/MsgBox.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#if !defined(Q_OS_WIN)
#include <sys/wait.h>
#include <unistd.h>
#endif

// What the loader makes of data files that are not as they should be: whether it loads, the one box it shows,
// and what it has filed by then.
class tst_BadCatalogues : public QObject
{
    Q_OBJECT

    struct Box
    {
        int count = 0;
        QString text;
        QString title;
        MsgBox::Icon icon = MsgBox::Icon::Information;
    };

    // Loads the folder with boxes recorded instead of shown.
    static bool Load(clsGearList &app, const QString &folder, Box &box)
    {
        MsgBox::SetInterceptor([&box](const QString &text, const QString &title, MsgBox::Icon icon) {
            ++box.count;
            box.text = text;
            box.title = title;
            box.icon = icon;
        });
        const bool ok = app.LoadGearFile(folder);
        MsgBox::SetInterceptor({});
        return ok;
    }

    static void CheckBox(const Box &box, const QString &expected)
    {
        if (expected.isEmpty()) {
            QCOMPARE(box.count, 0);
            return;
        }
        QCOMPARE(box.count, 1);
        QCOMPARE(box.title, QStringLiteral("Quellvane Gear Chooser [v1.01]"));
        QCOMPARE(box.icon, MsgBox::Icon::Critical);
        QCOMPARE(box.text, expected);
    }

    static qsizetype ItemCount(const clsGearList &app)
    {
        qsizetype n = 0;
        for (clsCategory *category : *app.Categories())
            for (clsSubCategory *sub : *category->SubCategories)
                n += sub->Items->Count();
        return n;
    }

    // One member of a filed sub-category (path of two names) or item (three names), as text.
    static QString Probe(const clsGearList &app, const QStringList &path, const QString &member)
    {
        clsCategory *category = app.Categories()->Find(path.value(0));
        if (!category)
            return QStringLiteral("<no category>");
        clsSubCategory *sub = category->SubCategories->Find(path.value(1));
        if (!sub)
            return QStringLiteral("<no sub-category>");
        if (member == QLatin1String("Items"))
            return QString::number(sub->Items->Count());
        clsItem *item = sub->Items->Find(path.value(2));
        if (!item)
            return QStringLiteral("<no item>");
        if (member == QLatin1String("Name"))
            return item->Name();
        if (member == QLatin1String("NameLength"))
            return QString::number(item->Name().size());
        if (member == QLatin1String("Cost_BP"))
            return QString::number(item->Cost_BP);
        if (member == QLatin1String("Cost_GP"))
            return QString::number(item->Cost_GP);
        if (member == QLatin1String("Cost_Dollar"))
            return QString::number(item->Cost_Dollar);
        if (member == QLatin1String("Weight_lb"))
            return QString::number(item->Weight_lb);
        if (member == QLatin1String("Reference"))
            return item->Reference();
        if (member == QLatin1String("CategoryName"))
            return category->Name;
        return QStringLiteral("<unknown member %1>").arg(member);
    }

    static QByteArray Header() { return "Category,Sub Category,Item,Cost,Weight,Cost $,Source,Ref 1,Ref 2\r\n"; }
    static QByteArray Pistol() { return "Weapons,Pistols,Service Pistol,3,2.1,320,QCR,88,\r\n"; }
    static QByteArray Dressing() { return "Medical,First Aid,Field Dressing,1,0.25,5,QCR,140,\r\n"; }
    static QString LineError(int line)
    {
        return QStringLiteral("An error occured reading the data file <file> on line %1.  Ensure the data is in the "
                              "correct format.")
            .arg(line);
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { MsgBox::SetInterceptor({}); }

    // Bad bytes in the data file
    void badFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<QString>("message"); // <file> stands for the data file's path
        QTest::addColumn<int>("categories");
        QTest::addColumn<int>("items");
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("value");

        const QByteArray h = Header();
        const QStringList pistol{"Weapons", "Pistols", "Service Pistol"};

        // Nothing to read is an empty catalogue, not a failure.
        QTest::newRow("empty file") << QByteArray() << true << QString() << 0 << 0 << QStringList() << QString()
                                    << QString();
        QTest::newRow("header only") << h << true << QString() << 0 << 0 << QStringList() << QString() << QString();
        QTest::newRow("spaces only") << QByteArray("     \r\n   ") << true << QString() << 0 << 0 << QStringList()
                                     << QString() << QString();

        // A header anywhere is skipped, whatever its letter case.
        QTest::newRow("header in the middle") << Pistol() + h + "CATEGORY,x,y,1,1,1,X,,\r\n" + Dressing() << true
                                              << QString() << 2 << 2 << pistol << "Cost_BP"
                                              << "3";

        // Blank lines and lines of spaces after the last record end the data; empty fields or a tab do not.
        QTest::newRow("blank lines at the end") << h + Pistol() + "\r\n\r\n\n"
                                                << true << QString() << 1 << 1 << pistol << "Cost_BP"
                                                << "3";
        QTest::newRow("empty fields at the end") << h + Pistol() + ",,,,\r\n"
                                                 << false << LineError(3) << 1 << 1 << pistol << "Cost_BP"
                                                 << "3";
        QTest::newRow("a tab on the last line") << h + Pistol() + "\t\r\n"
                                                << false << LineError(3) << 1 << 1 << pistol << "Cost_BP"
                                                << "3";
        // A blank line is one empty field: every later record is read one field out of step, and the last line's
        // empty second page is left over at the end.
        QTest::newRow("a blank line after the header") << h + "\r\n" + Pistol() + Dressing() << false << LineError(4)
                                                       << 0 << 0 << QStringList() << QString() << QString();
        QTest::newRow("spaces-only last line")
            << h + Pistol() + "      " << true << QString() << 1 << 1 << pistol << "Cost_BP"
            << "3";

        // Records are the next nine fields, wherever the lines end. The header is record 1.
        QTest::newRow("last record of eight fields")
            << h + Pistol() + "Weapons,Rifles,Hunting Rifle,5,7.5,900,FM,12\r\n"
            << false << LineError(3) << 1 << 1 << pistol << "Cost_BP"
            << "3";
        QTest::newRow("last record of eight fields, no line end")
            << h + Pistol() + "Weapons,Rifles,Hunting Rifle,5,7.5,900,FM,12" << false << LineError(3) << 1 << 1
            << pistol << "Cost_BP"
            << "3";
        QTest::newRow("ten fields on the last line") << h + "Weapons,Pistols,Service Pistol,3,2.1,320,QCR,88,,EXTRA\r\n"
                                                     << false << LineError(3) << 1 << 1 << pistol << "Cost_BP"
                                                     << "3";
        // The tenth field starts the next record, so the following line is read one field out of step, and its
        // last field is left over.
        QTest::newRow("ten fields on a line")
            << h + "Weapons,Pistols,Service Pistol,3,2.1,320,QCR,88,,EXTRA\r\n" + Dressing() << false << LineError(4)
            << 2 << 2 << QStringList{"EXTRA", "Medical", "First Aid"} << "Reference"
            << "5";
        QTest::newRow("unterminated quote at the end")
            << h + Pistol() + "Weapons,Pistols,\"Pistol, Unfinished,4,2.6,650,BLK,53,54\r\n"
            << false << LineError(3) << 1 << 1 << pistol << "Cost_BP"
            << "3";
        QTest::newRow("doubled quote at the very end") << h + "Weapons,Pistols,\"Dangling \"\"" << false << LineError(2)
                                                       << 0 << 0 << QStringList() << QString() << QString();
        QTest::newRow("mixed CR/LF/CRLF")
            << QByteArray("Category,Sub Category,Item,Cost,Weight,Cost $,Source,Ref 1,Ref 2\r"
                          "Weapons,Pistols,Service Pistol,3,2.1,320,QCR,88,\n"
                          "Weapons,Rifles,Hunting Rifle,5,7.5,900,FM,12,\r\n"
                          "Medical,First Aid,Field Dressing,1,0.25,5,QCR,140,\r")
            << true << QString() << 2 << 3 << QStringList{"Weapons", "Rifles", "Hunting Rifle"} << "Weight_lb"
            << "7.5";

        // Bytes that are not text.
        QTest::newRow("NUL bytes inside a name")
            << h + QByteArray("Weap\0ons,Pistols,Kn\0ife,1,0.5,10,QCR,3,\r\n", 41) << true << QString() << 1 << 1
            << QStringList{QString::fromUtf8("Weap\0ons", 8), "Pistols", QString::fromUtf8("Kn\0ife", 6)}
            << "Cost_Dollar"
            << "10";
        QTest::newRow("NUL bytes only") << QByteArray(16, '\0') << false << LineError(1) << 0 << 0 << QStringList()
                                        << QString() << QString();
        QByteArray garbage;
        for (int b = 0; b < 256; ++b)
            garbage += char(b);
        // Separators fall at 0x0A, 0x0D and 0x2C: four fields, then the end of the data inside the record.
        QTest::newRow("binary garbage") << garbage << false << LineError(1) << 0 << 0 << QStringList() << QString()
                                        << QString();
        QTest::newRow("invalid UTF-8 (Windows-1252)") << h + "Caf\xe9 Kit,Pens,Pass\xe9 Pen \x80,2,0.1,15,QCR,7,\r\n"
                                                      << true << QString() << 1 << 1
                                                      << QStringList{QString::fromUtf8("Caf\xc3\xa9 Kit"), "Pens",
                                                                     QString::fromUtf8("Pass\xc3\xa9 Pen \xe2\x82\xac")}
                                                      << "Name" << QString::fromUtf8("Pass\xc3\xa9 Pen \xe2\x82\xac");
        // The mark is dropped, so the header is still recognised.
        QTest::newRow("UTF-8 BOM") << "\xef\xbb\xbf" + h + "Caf\xc3\xa9 Kit,Pens,Gold Pen,2,0.1,15,QCR,7,\r\n"
                                   << true << QString() << 1 << 1
                                   << QStringList{QString::fromUtf8("Caf\xc3\xa9 Kit"), "Pens", "Gold Pen"}
                                   << "CategoryName" << QString::fromUtf8("Caf\xc3\xa9 Kit");
        // A mark before bytes that are not UTF-8 does not make them UTF-8: the two names stay two items.
        QTest::newRow("UTF-8 BOM before Windows-1252 bytes")
            << "\xef\xbb\xbf" + h + "Kits,Pens,Caf\xe9,2,0.1,15,QCR,7,\r\nKits,Pens,Caf\xe8,3,0.1,15,QCR,8,\r\n"
            << true << QString() << 1 << 2 << QStringList{"Kits", "Pens", QString::fromUtf8("Caf\xc3\xa8")} << "Cost_BP"
            << "3";
        // Only the file's first bytes can be its mark; elsewhere EF BB BF is the character U+FEFF like any other,
        // so a name of that one character is not empty.
        QTest::newRow("byte-order mark starting a name")
            << h + "Weapons,Pistols,\xef\xbb\xbfSilent "
                   "Pistol,3,1,1,QCR,,\r\nWeapons,Pistols,\xef\xbb\xbf,4,1,1,QCR,,\r\n"
            << true << QString() << 1 << 2
            << QStringList{"Weapons", "Pistols", QChar(0xFEFF) + QStringLiteral("Silent Pistol")} << "Name"
            << QChar(0xFEFF) + QStringLiteral("Silent Pistol");

        // Quoted fields.
        QTest::newRow("doubled quotes in a quoted name")
            << h + "Weapons,Pistols,\"The \"\"Quiet\"\" One\",2,1.5,300,QCR,12,\r\n"
            << true << QString() << 1 << 1 << QStringList{"Weapons", "Pistols", "The \"Quiet\" One"} << "Cost_BP"
            << "2";
        QTest::newRow("doubled quotes in two category names")
            << h + "\"The \"\"Firm\"\"\",Pens,Pen Gun,2,0.1,300,QCR,12,\r\n" +
                   "\"The \"\"Club\"\"\",Coins,Lucky Coin,1,0,0,QCR,13,\r\n"
            << true << QString() << 2 << 2 << QStringList{"The \"Club\"", "Coins", "Lucky Coin"} << "Reference"
            << "QCR 13";
        QTest::newRow("doubled quotes in two sub-category names")
            << h + "Weapons,\"Pens \"\"A\"\"\",Pen Gun,2,0.1,300,QCR,12,\r\n" +
                   "Weapons,\"Pens \"\"B\"\"\",Pen Knife,1,0,0,QCR,13,\r\n"
            << true << QString() << 1 << 2 << QStringList{"Weapons", "Pens \"B\"", "Pen Knife"} << "Reference"
            << "QCR 13";

        // Numbers that do not fit or do not read leave the member at 0; the item is still filed.
        QTest::newRow("cost 32767") << h + "Weapons,Pistols,Dear Gun,32767,1,1,QCR,,\r\n"
                                    << true << QString() << 1 << 1 << QStringList{"Weapons", "Pistols", "Dear Gun"}
                                    << "Cost_BP"
                                    << "32767";
        QTest::newRow("cost 32768") << h + "Weapons,Pistols,Dear Gun,32768,1,1,QCR,,\r\n"
                                    << true << QString() << 1 << 1 << QStringList{"Weapons", "Pistols", "Dear Gun"}
                                    << "Cost_BP"
                                    << "0";
        QTest::newRow("gadget cost 32768")
            << h + "Gadgets,Toys,Dear Toy,32768,1,1,GAL,,\r\n"
            << true << QString() << 1 << 1 << QStringList{"Gadgets", "Toys", "Dear Toy"} << "Cost_GP"
            << "0";
        QTest::newRow("cost a word") << h + "Weapons,Pistols,Odd Gun,three,1,1,QCR,,\r\n"
                                     << true << QString() << 1 << 1 << QStringList{"Weapons", "Pistols", "Odd Gun"}
                                     << "Cost_BP"
                                     << "0";
        QTest::newRow("dollar cost 40000")
            << h + "Weapons,Pistols,Gold Gun,3,1,40000,QCR,,\r\n"
            << true << QString() << 1 << 1 << QStringList{"Weapons", "Pistols", "Gold Gun"} << "Cost_Dollar"
            << "0";
        QTest::newRow("weight a word") << h + "Weapons,Pistols,Odd Gun,3,heavy,1,QCR,,\r\n"
                                       << true << QString() << 1 << 1 << QStringList{"Weapons", "Pistols", "Odd Gun"}
                                       << "Weight_lb"
                                       << "0";
        // A reference that is not a number leaves only the source code.
        QTest::newRow("reference number a word")
            << h + "Weapons,Pistols,Odd Gun,3,1,1,QCR,ten,12\r\n"
            << true << QString() << 1 << 1 << QStringList{"Weapons", "Pistols", "Odd Gun"} << "Reference"
            << "QCR";

        // Names.
        QTest::newRow("empty item name") << h + "Weapons,Pistols,,3,2.1,320,QCR,88,\r\n"
                                         << true << QString() << 1 << 0 << QStringList{"Weapons", "Pistols"} << "Items"
                                         << "0";
        // The first spelling names the category; a second item of the same name is dropped.
        QTest::newRow("names differing only in case")
            << h + Pistol() + "WEAPONS,pistols,SERVICE PISTOL,4,2.2,330,QCR,89,\r\n" +
                   "weapons,PISTOLS,Pocket Derringer,1,0.5,95,QCR,90,\r\n"
            << true << QString() << 1 << 2 << QStringList{"WEAPONS", "PISTOLS", "service pistol"} << "Cost_BP"
            << "3";
        QTest::newRow("a 10 MB field") << h + "Weapons,Pistols," + QByteArray(10 << 20, 'A') + ",3,1,1,QCR,,\r\n"
                                       << true << QString() << 1 << 1
                                       << QStringList{"Weapons", "Pistols", QString(10 << 20, u'a')} << "NameLength"
                                       << QString::number(10 << 20);
        // Names of 16,384 characters without items, then a long one: the texts after them once overwrote the items.
        QByteArray longNames = "Weapons,Pistols,Item,1,1,1,QCR,,\r\n";
        for (char d = '1'; d <= '4'; ++d)
            longNames +=
                QByteArray(16383, 'C') + d + ',' + QByteArray(d == '4' ? 19999 : 16383, 'S') + d + ",,1,1,1,QCR,,\r\n";
        for (int i = 0; i < 20; ++i)
            longNames += "Weapons,Pistols,Item" + QByteArray::number(i) + ",1,1,1,QCR,,\r\n";
        QTest::newRow("long names of records without an item")
            << longNames << true << QString() << 5 << 21 << QStringList{"Weapons", "Pistols", "Item19"} << "Reference"
            << "QCR";
    }
    void badFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, loads);
        QFETCH(QString, message);
        QFETCH(int, categories);
        QFETCH(int, items);
        QFETCH(QStringList, path);
        QFETCH(QString, member);
        QFETCH(QString, value);

        TestSupport::CatalogueDir dir(bytes);
        clsGearList app;
        Box box;
        QCOMPARE(Load(app, dir.Path(), box), loads);
        CheckBox(box, message.replace(QStringLiteral("<file>"), dir.FilePath()));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(app.Categories()->Count(), categories);
        QCOMPARE(ItemCount(app), items);
        if (!member.isEmpty())
            QCOMPARE(Probe(app, path, member), value);
        app.ReleaseAll();
    }

    // The file changes or fails while it is read. Each load runs in a child process, since a crash here would
    // take the whole test with it.
    void fileChangesWhileRead_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("line");
        // An editor saving over the file in place as the program starts: the file shrinks under the reader.
        QTest::newRow("cut short after its size was taken") << "truncate" << 22;
        // Nothing at all can be read: the failure is on the first record, not before it.
        QTest::newRow("read fails") << "unreadable" << 1;
    }
    void fileChangesWhileRead()
    {
        QFETCH(QString, change);
        QFETCH(int, line);
#if defined(Q_OS_WIN)
        Q_UNUSED(line);
        QSKIP("the load runs in a forked child, and /proc/self/mem makes the unreadable file: POSIX and Linux only");
#else
        QByteArray bytes = Header();
        for (int i = 0; i < 20000; ++i)
            bytes += "Weapons,Pistols,Pistol " + QByteArray::number(i) + ",3,2.1,320,QCR,88,\r\n";
        TestSupport::CatalogueDir dir(bytes);
        const QString file = dir.FilePath();
        if (change == QLatin1String("unreadable")) {
            // Reading the process's own memory from offset 0 fails with an I/O error.
            QVERIFY(QFile::remove(file));
            QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), file));
        }

        int pipeFds[2];
        QCOMPARE(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            if (change == QLatin1String("truncate"))
                GearFile::SetReadSeamForTesting([](const QString &path) { QFile::resize(path, 990); });
            QString text;
            MsgBox::SetInterceptor([&text](const QString &t, const QString &, MsgBox::Icon) { text += t; });
            clsGearList app;
            const bool loaded = app.LoadGearFile(dir.Path());
            const QByteArray report = (loaded ? "true|" : "false|") + text.toUtf8();
            const bool written = ::write(pipeFds[1], report.constData(), size_t(report.size())) == report.size();
            ::_exit(written ? 0 : 3);
        }
        ::close(pipeFds[1]);
        QByteArray report;
        char chunk[4096];
        for (ssize_t n; (n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;)
            report.append(chunk, qsizetype(n));
        ::close(pipeFds[0]);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status), qPrintable(QStringLiteral("child ended by signal %1").arg(WTERMSIG(status))));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(QString::fromUtf8(report),
                 QStringLiteral("false|") + LineError(line).replace(QStringLiteral("<file>"), file));
#endif
    }

    // No data file to read
    void noFile_data()
    {
        QTest::addColumn<bool>("folderOfThatName");
        QTest::newRow("missing file") << false;
        QTest::newRow("a folder of that name") << true;
    }
    void noFile()
    {
        QFETCH(bool, folderOfThatName);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (folderOfThatName)
            QVERIFY(QDir(dir.path()).mkdir(GearFileName));
        clsGearList app;
        Box box;
        QVERIFY(!Load(app, dir.path(), box));
        CheckBox(box, QStringLiteral("The data file ") + dir.path() + QDir::separator() + GearFileName +
                          QStringLiteral(" could not be opened.  Ensure the file exists and is not being used by any "
                                         "other applications or programs."));
        QCOMPARE(app.Categories()->Count(), 0);
    }
};

QTEST_MAIN(tst_BadCatalogues)
#include "tst_BadCatalogues.moc"
