#include "TestSupport.h"
#include "chosen/ChosenView.h"
#include "core/GearFile.h"
#include "core/GearRows.h"
#include "core/clsGearList.h"
#include "core/modGeneral.h"
#include "toolkit/MsgBox.h"
#include "toolkit/MultiColumnList.h"
#include "toolkit/QtPlatform.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSet>
#include <QTimer>
#include <QtTest>

#include <new>

using namespace Qt::StringLiterals;

namespace {

// What the test forms saw; reset before each run of Main.
struct FormLog
{
    bool gotParent = false;
    bool destroyed = false;
};
FormLog g_log;

// A main window that fails as soon as it is shown.
class FailingForm final : public IMainForm
{
public:
    explicit FailingForm(bool outOfMemory) : m_outOfMemory(outOfMemory) {}
    ~FailingForm() override { g_log.destroyed = true; }
    void setParent(clsGearList *parent) override { g_log.gotParent = parent != nullptr; }
    void ShowModal() override
    {
        if (m_outOfMemory)
            throw std::bad_alloc();
        throw clsError(clsError::FileNotFound, QStringLiteral("File not found"));
    }

private:
    bool m_outOfMemory;
};

// A main window that the user closes at once, from inside ShowModal or from the event loop afterwards.
class ClosingForm final : public IMainForm
{
public:
    explicit ClosingForm(bool later) : m_later(later) {}
    ~ClosingForm() override { g_log.destroyed = true; }
    void setParent(clsGearList *parent) override
    {
        m_parent = parent;
        g_log.gotParent = parent != nullptr;
    }
    void ShowModal() override
    {
        if (!m_later) {
            m_parent->setFinished(true);
            return;
        }
        clsGearList *parent = m_parent;
        QTimer::singleShot(0, [parent] { parent->setFinished(true); });
    }

private:
    bool m_later;
    clsGearList *m_parent = nullptr;
};

std::unique_ptr<IMainForm> MakeFailing()
{
    return std::make_unique<FailingForm>(false);
}
std::unique_ptr<IMainForm> MakeOutOfMemory()
{
    return std::make_unique<FailingForm>(true);
}
std::unique_ptr<IMainForm> MakeClosing()
{
    return std::make_unique<ClosingForm>(false);
}
std::unique_ptr<IMainForm> MakeClosingLater()
{
    return std::make_unique<ClosingForm>(true);
}

clsGearList::FormFactory FactoryNamed(const QString &name)
{
    if (name == QLatin1String("failing"))
        return &MakeFailing;
    if (name == QLatin1String("out of memory"))
        return &MakeOutOfMemory;
    if (name == QLatin1String("closing"))
        return &MakeClosing;
    return &MakeClosingLater;
}

// Runs Main with a box watcher armed; when no box came, a throwaway modal box takes the watcher's turn so that
// it cannot catch a box of a later test.
int RunMain(clsGearList::FormFactory factory, TestSupport::SeenBox &box)
{
    char name[] = "tst_Startup";
    char *argv[] = {name, nullptr};
    auto seen = TestSupport::OnNextModal();
    const int code = Main(1, argv, factory);
    if (seen->seen) {
        box = *seen;
        return code;
    }
    QMessageBox decoy;
    decoy.setWindowModality(Qt::ApplicationModal);
    decoy.show();
    if (!QTest::qWaitFor([&] { return seen->seen; }))
        qFatal("the message box watcher was not released");
    decoy.hide();
    return code;
}

// The source codes used by the bundled catalogue, read with the program's own reader.
QSet<QString> CatalogueSourceCodes()
{
    const QString path =
        QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../../data/zOrorOviz.csv");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::string_view data(bytes.constData(), std::size_t(bytes.size()));
    GearFile::GearRecord record;
    record.Encoding = GearFile::DetectEncoding(data);
    GearFile::FieldReader reader(data);
    QSet<QString> codes;
    while (!reader.AtEnd() && reader.ReadRecord(record.Fields) == GearFile::FieldReader::RecordResult::Record) {
        if (GearFile::IsDataRecord(record.Fields[0]))
            codes.insert(record.Text(6));
    }
    return codes;
}

} // namespace

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->metaObject()->className()));
    }

    // Help text
    void helpTextLineEnds()
    {
        const QString text = clsGearList().HelpText();
        QVERIFY(text.startsWith(QStringLiteral("\r\n")));
        QCOMPARE(text.count(QStringLiteral("\r\n")), 45);
        QString withoutPairs = text;
        withoutPairs.remove(QStringLiteral("\r\n"));
        QVERIFY(!withoutPairs.contains(u'\r'));
        QVERIFY(!withoutPairs.contains(u'\n'));
        QVERIFY(text.endsWith(QStringLiteral("\r\n\r\n")));
        QVERIFY(!text.endsWith(QStringLiteral("\r\n\r\n\r\n")));
    }

    void helpTextLines()
    {
        const QStringList lines = clsGearList().HelpText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 46);
        QCOMPARE(lines.at(0), QString());
        QCOMPARE(lines.at(1), QStringLiteral("Quellvane Gear Chooser [v1.02]"));

        const auto at = [&](const QString &start) {
            for (qsizetype i = 0; i < lines.size(); ++i)
                if (lines.at(i).startsWith(start))
                    return i;
            return qsizetype(-1);
        };
        const qsizetype intended = at(QStringLiteral("This software is intended to be a playing aid only"));
        QVERIFY(intended > 1);
        QVERIFY(lines.at(intended + 1).startsWith(QStringLiteral("The specific rules relating to each piece of gear")));
        const qsizetype more = at(QStringLiteral("For more information on this program"));
        QVERIFY(more > intended);
        QVERIFY(lines.at(more).endsWith(QStringLiteral("go to: ")));

        // The abbreviations close the text: heading, blank line, five entries, blank line.
        const qsizetype heading = lines.indexOf(QStringLiteral("MATERIAL REFERENCE ABBREVIATIONS:"));
        QCOMPARE(heading, lines.size() - 9);
        QCOMPARE(lines.at(heading + 1), QString());
        QCOMPARE(lines.at(lines.size() - 2), QString());
        QCOMPARE(lines.last(), QString());
    }

    void helpTextAbbreviationsMatchTheCatalogue()
    {
        const QStringList lines = clsGearList().HelpText().split(QStringLiteral("\r\n"));
        const QStringList abbreviations = lines.mid(lines.size() - 7, 5);
        QSet<QString> codes;
        for (const QString &line : abbreviations) {
            const QString code = line.left(3).trimmed();
            QVERIFY2(!code.isEmpty() && !code.contains(u' '), qPrintable(line));
            QCOMPARE(line.left(3), code.leftJustified(3));
            QCOMPARE(line.mid(3, 3), QStringLiteral(" - "));
            QVERIFY2(line.size() > 7 && line.endsWith(u'.') && line.at(6) != u' ', qPrintable(line));
            codes.insert(code);
        }
        QCOMPARE(codes.size(), 5);
        const QSet<QString> used = CatalogueSourceCodes();
        QVERIFY2(!used.isEmpty(), "the bundled catalogue could not be read");
        QCOMPARE(used, codes);
    }

    // Fatal error text
    void fatalErrorText_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("text");

        QTest::newRow("positive") << 53 << u"File not found"_s
                                  << u"A fatal error occured in the application: 53 - File not found.  "
                                     "It will now close whether you like it or not."_s;
        QTest::newRow("negative") << -5 << u"Bad thing"_s
                                  << u"A fatal error occured in the application: -5 - Bad thing.  "
                                     "It will now close whether you like it or not."_s;
    }
    void fatalErrorText()
    {
        QFETCH(int, code);
        QFETCH(QString, description);
        QFETCH(QString, text);
        QCOMPARE(FatalErrorText(code, description), text);
    }

    // Qt's platform, chosen before the application exists from the session's variables and the Qt library's version.
    void qtPlatform_data()
    {
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QString>("qtVersion");
        QTest::addColumn<QByteArray>("platform");
        const QString wayland = u"WAYLAND_DISPLAY=wayland-0 DISPLAY=:0"_s;
        QTest::newRow("Wayland with XWayland, Qt 6.4.2") << wayland << u"6.4.2"_s << "xcb;wayland"_ba;
        QTest::newRow("Wayland session type")
            << u"XDG_SESSION_TYPE=wayland DISPLAY=:0"_s << u"6.4.2"_s << "xcb;wayland"_ba;
        QTest::newRow("the user's QT_QPA_PLATFORM") << wayland + u" QT_QPA_PLATFORM=wayland"_s << u"6.4.2"_s << ""_ba;
        QTest::newRow("no XWayland") << u"WAYLAND_DISPLAY=wayland-0"_s << u"6.4.2"_s << ""_ba;
        QTest::newRow("X11 session") << u"DISPLAY=:0 XDG_SESSION_TYPE=x11"_s << u"6.4.2"_s << ""_ba;
        QTest::newRow("fixed Qt 6.8.2") << wayland << u"6.8.2"_s << ""_ba;
        QTest::newRow("fixed Qt 6.10.0") << wayland << u"6.10.0"_s << ""_ba;
    }
    void qtPlatform()
    {
        QFETCH(QString, environment);
        QFETCH(QString, qtVersion);
        QFETCH(QByteArray, platform);
        QProcessEnvironment env; // empty: nothing of this process's own
        for (const QString &variable : environment.split(u' '))
            env.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        QCOMPARE(QtPlatformFor(env, qtVersion.toLatin1().constData()), platform);
    }

    // Releasing
    // Lists filled from the catalogue keep their texts after it is gone (the catalogue's texts go with it).
    void releaseAllAfterAPartialLoad_data()
    {
        QTest::addColumn<bool>("chosenList");
        QTest::newRow("gear list shown") << false;
        QTest::newRow("chosen list shown") << true;
    }
    void releaseAllAfterAPartialLoad()
    {
        QFETCH(bool, chosenList);
        TestSupport::CatalogueDir dir(TestSupport::Csv({"W,P,A,1,1,1,QCR,,", "W,P,B,1,1,1,QCR,,", "W,Q,C,1,1,1"}));
        clsGearList list;
        MsgBox::SetInterceptor([](const QString &, const QString &, MsgBox::Icon) {});
        const bool loaded = list.LoadGearFile(dir.Path());
        MsgBox::SetInterceptor({});
        QVERIFY(!loaded);
        clsSubCategory &sub = list.Categories()->Item(u"W").SubCategories->Item(u"P");
        QCOMPARE(sub.Items->Count(), 2);
        list.AddChosenItem(&sub.Items->Item(u"A"), 2, false);
        list.AddChosenItem(&sub.Items->Item(u"B"), 1, true);
        MultiColumnList shown(chosenList ? ChosenView::Columns : GearRows::Columns);
        shown.SetRows(chosenList ? ChosenView::Rows(*list.ChosenGear()) : GearRows::Rows(sub, false));

        list.ReleaseAll();
        QCOMPARE(list.Categories(), nullptr);
        QCOMPARE(list.ChosenGear(), nullptr);
        QCOMPARE(list.MainForm(), nullptr);
        list.ReleaseAll();
        QCOMPARE(shown.ListText(1, 0), u"B"_s);
        QCOMPARE(shown.Model()->index(1, chosenList ? 1 : 0).data().toString(), chosenList ? u"P"_s : u"B"_s);
    }

    void releaseAllWithNothingChosen()
    {
        TestSupport::CatalogueDir dir(TestSupport::SampleCsv());
        clsGearList list;
        MsgBox::SetInterceptor([](const QString &, const QString &, MsgBox::Icon) { QFAIL("no message expected"); });
        const bool loaded = list.LoadGearFile(dir.Path());
        MsgBox::SetInterceptor({});
        QVERIFY(loaded);
        QVERIFY(list.ChosenGear()->IsEmpty());
        list.ReleaseAll();
        QCOMPARE(list.Categories(), nullptr);
        QCOMPARE(list.ChosenGear(), nullptr);
    }

    void disposeTwiceIsHarmless()
    {
        clsGearList list;
        GearFile::GearRecord record;
        record.Fields = {"Weapons", "Melee", "Knife", "4", "1", "0", "QCR", "", ""};
        list.AddGearRecord(record);
        clsCategory &category = list.Categories()->Item(u"Weapons");
        clsSubCategory *subPtr = &category.SubCategories->Item(u"Melee");
        clsItem *itemPtr = &subPtr->Items->Item(u"Knife");
        clsChosenItem line;
        line.setItem(itemPtr);
        line.setQuantity(3);
        QCOMPARE(line.LineCost_BP(), 12.0);

        line.Dispose();
        line.Dispose();
        QCOMPARE(line.Item(), nullptr);
        QCOMPARE(line.LineCost_BP(), 0.0);

        itemPtr->Dispose();
        itemPtr->Dispose();
        QCOMPARE(itemPtr->Parent, nullptr);
        subPtr->Dispose();
        subPtr->Dispose();
        QCOMPARE(subPtr->Parent, nullptr);
        QVERIFY(!subPtr->Items);
        category.Dispose();
        category.Dispose();
        QVERIFY(!category.SubCategories);
    }

    // Start-up
    void mainFailure_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("text");

        QTest::newRow("failure while showing") << u"failing"_s
                                               << u"A fatal error occured in the application: 53 - File not found.  "
                                                  "It will now close whether you like it or not."_s;
        QTest::newRow("out of memory while showing")
            << u"out of memory"_s
            << u"A fatal error occured in the application: 7 - Out of memory.  "
               "It will now close whether you like it or not."_s;
    }
    void mainFailure()
    {
        QFETCH(QString, form);
        QFETCH(QString, text);

        g_log = {};
        TestSupport::SeenBox box;
        const int code = RunMain(FactoryNamed(form), box);
        QVERIFY(code != 0);
        QVERIFY(box.seen);
        QCOMPARE(box.title, QStringLiteral("Quellvane Gear Chooser [v1.01]"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.text, text);
        QVERIFY(g_log.gotParent);
        QVERIFY(g_log.destroyed);
    }

    void mainSuccess_data()
    {
        QTest::addColumn<QString>("form");
        QTest::newRow("finished inside ShowModal") << u"closing"_s;
        QTest::newRow("finished from the event loop") << u"closing later"_s;
    }
    void mainSuccess()
    {
        QFETCH(QString, form);

        g_log = {};
        TestSupport::SeenBox box;
        const int code = RunMain(FactoryNamed(form), box);
        QVERIFY2(!box.seen, qPrintable(box.text));
        QCOMPARE(code, 0);
        QVERIFY(g_log.gotParent);
        QVERIFY(g_log.destroyed);
    }
};

QTEST_MAIN(tst_Startup)
#include "tst_Startup.moc"
