#include "TestSupport.h"
#include "toolkit/MultiColumnList.h"
#include "toolkit/TabStrip.h"
#include "toolkit/Twips.h"
#include "ui/frmChooser.h"
#include "ui/frmLine.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <map>

// The test runs itself as a child process at scale factors 1, 2 and 1.5 (144 dpi); each child lays out both
// windows and prints every control's geometry in twips, which must not depend on the scale. A further child sees
// no font but those of Debian's fonts-liberation2, the package's font dependency, as on a desktop without
// others: its captions must fit too.

namespace {

const char DumpArgument[] = "--dump-geometry";
const char LiberationFonts[] = "/usr/share/fonts/truetype/liberation2";

// Where a caption's text ends and how far it may run before it is cut off, in its parent's pixels.
struct Caption
{
    int right = 0;
    int limit = 0;
};

struct Layout
{
    double devicePixelRatio = 0;
    std::map<QString, Caption> captions;
    std::map<QString, QRect> rects;      // by "<window>.<control>", in twips; "<...> px" in pixels
    std::map<QString, QString> families; // the face each window and list was given
};

QRect TwipsOf(const QRect &pixels, const QWidget *w)
{
    return {Twips::FromPixelsX(pixels.x(), w), Twips::FromPixelsY(pixels.y(), w), Twips::FromPixelsX(pixels.width(), w),
            Twips::FromPixelsY(pixels.height(), w)};
}

// Records a rectangle in device-independent pixels ("<key> px") and in twips ("<key>"). Equal twips alone would
// not show a resolution that grew with the scale, which would blow every control up on screen.
void Record(std::map<QString, QRect> &out, const QString &key, const QRect &pixels, const QWidget *w)
{
    out[key + QStringLiteral(" px")] = pixels;
    out[key] = TwipsOf(pixels, w);
}

// Every named control of the window, its client area, the tabs and the list columns.
void Measure(QWidget *window, std::map<QString, QRect> &out)
{
    const QString prefix = window->objectName() + QLatin1Char('.');
    Record(out, prefix + QStringLiteral("client"), QRect(QPoint(0, 0), window->size()), window);
    for (QWidget *w : window->findChildren<QWidget *>()) {
        // Qt's own parts (scroll areas' viewports, the tab bar's scroll buttons) are not the program's controls.
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")) &&
            !qobject_cast<QTabBar *>(w->parentWidget()))
            Record(out, prefix + w->objectName(), w->geometry(), w);
    }
    if (auto *strip = window->findChild<TabStrip *>(QStringLiteral("tabMain"))) {
        QTabBar *bar = strip->Bar();
        Record(out, prefix + QStringLiteral("tabMain.bar"), bar->geometry(), bar);
        for (int i = 0; i < bar->count(); ++i)
            Record(out, prefix + QStringLiteral("tabMain.tab%1").arg(i), bar->tabRect(i), bar);
    }
    for (MultiColumnList *list : window->findChildren<MultiColumnList *>()) {
        for (int c = 0; c < list->header()->count(); ++c)
            Record(out, prefix + list->objectName() + QStringLiteral(".column%1").arg(c),
                   QRect(0, 0, list->header()->sectionSize(c), 0), list);
    }
}

// Every caption: the text may run to its control's edge, or to the edge of a sibling laid over it.
void MeasureCaptions(QWidget *window, std::map<QString, Caption> &out)
{
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QString text;
        QRect area; // where the text goes, in the control's own coordinates
        Qt::Alignment align = Qt::AlignLeft;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            text = label->text();
            area = label->contentsRect();
            align = label->alignment();
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            text = button->text().remove(QLatin1Char('&'));
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            if (qobject_cast<QRadioButton *>(w)) {
                area = w->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, w);
            } else {
                area = w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, w);
                align = Qt::AlignHCenter;
            }
        }
        if (text.isEmpty())
            continue;
        // The ink of the last letter may stop short of its advance.
        const int width =
            w->fontMetrics().horizontalAdvance(text) - std::max(0, w->fontMetrics().rightBearing(text.back()));
        int left = area.left();
        if (align & Qt::AlignHCenter)
            left = area.left() + (area.width() - width) / 2;
        else if (align & Qt::AlignRight)
            left = area.right() + 1 - width;
        const QRect textRect(w->x() + left, w->y() + area.top(), width, area.height());
        int limit = w->x() + area.right() + 1;
        // Siblings after this one in their parent's list lie above it.
        const QObjectList siblings = w->parentWidget()->children();
        for (qsizetype i = siblings.indexOf(w) + 1; i < siblings.size(); ++i) {
            auto *sibling = qobject_cast<QWidget *>(siblings[i]);
            if (sibling && !sibling->isHidden() && sibling->x() > textRect.left() &&
                sibling->geometry().intersects(textRect))
                limit = std::min(limit, sibling->x());
        }
        out[window->objectName() + QLatin1Char('.') + w->objectName()] = {textRect.right() + 1, limit};
    }
}

// The face that a window and its lists were given, by "<window>" and "<window>.<list>".
void MeasureFonts(QWidget *window, std::map<QString, QString> &out)
{
    out[window->objectName()] = QFontInfo(window->font()).family();
    for (MultiColumnList *list : window->findChildren<MultiColumnList *>())
        out[window->objectName() + QLatin1Char('.') + list->objectName()] = QFontInfo(list->font()).family();
}

// The child's side: lay out both windows as the program shows them and print what Measure finds.
int DumpGeometry(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    auto chooser = TestSupport::OpenChooser(TestSupport::SampleCsv());
    if (!chooser->loaded || !QTest::qWaitForWindowExposed(chooser->form))
        return 2;
    std::map<QString, QRect> out;
    // The frame is drawn in device pixels, so it is thinner in device-independent units at a higher scale: the
    // load sets the outer size, and the layout is compared for one client size.
    QWidget *form = chooser->form;
    Record(out, QStringLiteral("frmChooser.outer"), QRect(QPoint(0, 0), form->frameGeometry().size()), form);
    const QSize client(Twips::ToPixelsX(9000, form), Twips::ToPixelsY(6600, form));
    form->resize(client);
    if (!QTest::qWaitFor([&] { return form->size() == client; }))
        return 3;
    Measure(form, out);
    std::map<QString, Caption> captions;
    MeasureCaptions(form, captions);
    std::map<QString, QString> families;
    MeasureFonts(form, families);
    frmLine dialog;
    dialog.SetLine(1, 1, 3);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return 2;
    Measure(&dialog, out);
    MeasureCaptions(&dialog, captions);
    MeasureFonts(&dialog, families);

    QTextStream stream(stdout);
    stream << "dpr " << chooser->form->devicePixelRatio() << '\n';
    for (const auto &[key, r] : out)
        stream << "rect " << QString(key).replace(QLatin1Char(' '), QLatin1Char('|')) << ' ' << r.x() << ' ' << r.y()
               << ' ' << r.width() << ' ' << r.height() << '\n';
    for (const auto &[key, c] : captions)
        stream << "caption " << key << ' ' << c.right << ' ' << c.limit << '\n';
    for (const auto &[key, family] : families)
        stream << "font " << key << ' ' << QString(family).replace(QLatin1Char(' '), QLatin1Char('|')) << '\n';
    return 0;
}

// `fontConfig`, when given, is the only fontconfig configuration the child reads.
bool RunAtScale(const QString &scale, Layout &layout, QString &error, const QString &fontConfig = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!fontConfig.isEmpty())
        env.insert(QStringLiteral("FONTCONFIG_FILE"), fontConfig);
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
    env.remove(QStringLiteral("QT_SCREEN_SCALE_FACTORS"));
    env.remove(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(DumpArgument)});
    if (!child.waitForFinished(120000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        error = QStringLiteral("the child at scale %1 failed: %2")
                    .arg(scale, QString::fromLocal8Bit(child.readAllStandardError()));
        return false;
    }
    const QStringList lines =
        QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QStringList f = line.split(QLatin1Char(' '));
        if (f.size() == 2 && f[0] == QLatin1String("dpr"))
            layout.devicePixelRatio = f[1].toDouble();
        else if (f.size() == 6 && f[0] == QLatin1String("rect"))
            layout.rects[QString(f[1]).replace(QLatin1Char('|'), QLatin1Char(' '))] =
                QRect(f[2].toInt(), f[3].toInt(), f[4].toInt(), f[5].toInt());
        else if (f.size() == 4 && f[0] == QLatin1String("caption"))
            layout.captions[f[1]] = {f[2].toInt(), f[3].toInt()};
        else if (f.size() == 3 && f[0] == QLatin1String("font"))
            layout.families[f[1]] = QString(f[2]).replace(QLatin1Char('|'), QLatin1Char(' '));
    }
    if (layout.rects.empty()) {
        error = QStringLiteral("the child at scale %1 printed no geometry").arg(scale);
        return false;
    }
    return true;
}

} // namespace

class tst_HighDpi : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    // Scale
    void scaleTookEffect();
    void sameControls();

    // Geometry
    void sameTwips_data();
    void sameTwips();

    // Text
    void liberationOnlyFace_data();
    void liberationOnlyFace();
    void captionsFit_data();
    void captionsFit();

private:
    Layout m_single;
    Layout m_double;
    Layout m_oneAndHalf; // 144 dpi, a usual Windows setting
    Layout m_liberation;
    QTemporaryDir m_fontConfigDir;
};

void tst_HighDpi::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QString error;
    QVERIFY2(RunAtScale(QStringLiteral("1"), m_single, error), qPrintable(error));
    QVERIFY2(RunAtScale(QStringLiteral("2"), m_double, error), qPrintable(error));
    QVERIFY2(RunAtScale(QStringLiteral("1.5"), m_oneAndHalf, error), qPrintable(error));
#if defined(Q_OS_WIN)
    return; // the fonts a child sees are chosen through fontconfig, which Windows does not use
#endif

    QVERIFY2(QFileInfo(QLatin1String(LiberationFonts)).isDir(), "fonts-liberation2 is not installed");
    QVERIFY(m_fontConfigDir.isValid());
    QFile config(m_fontConfigDir.filePath(QStringLiteral("fonts.conf")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                                "<fontconfig><dir>%1</dir><cachedir>%2</cachedir></fontconfig>\n")
                     .arg(QLatin1String(LiberationFonts), m_fontConfigDir.filePath(QStringLiteral("cache")))
                     .toUtf8());
    config.close();
    QVERIFY2(RunAtScale(QStringLiteral("1"), m_liberation, error, config.fileName()), qPrintable(error));
}

// Scale

void tst_HighDpi::scaleTookEffect()
{
    QCOMPARE(m_single.devicePixelRatio, 1.0);
    QCOMPARE(m_double.devicePixelRatio, 2.0);
    QCOMPARE(m_oneAndHalf.devicePixelRatio, 1.5);
}

void tst_HighDpi::sameControls()
{
    QStringList single, twice;
    for (const auto &entry : m_single.rects)
        single.append(entry.first);
    for (const auto &entry : m_double.rects)
        twice.append(entry.first);
    QCOMPARE(twice, single);
    twice.clear();
    for (const auto &entry : m_oneAndHalf.rects)
        twice.append(entry.first);
    QCOMPARE(twice, single);
    // Both windows were measured, with their controls.
    QVERIFY(single.contains(QStringLiteral("frmChooser.lstGear")));
    QVERIFY(single.contains(QStringLiteral("frmLine.cboRow")));
}

// Geometry

void tst_HighDpi::sameTwips_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("scale");
    for (const QString &scale : {QStringLiteral("2"), QStringLiteral("1.5")}) {
        for (const auto &entry : m_single.rects)
            QTest::newRow(qPrintable(entry.first + QStringLiteral(" at scale ") + scale)) << entry.first << scale;
    }
}

void tst_HighDpi::sameTwips()
{
    QFETCH(QString, key);
    QFETCH(QString, scale);
    const Layout &other = scale == QLatin1String("2") ? m_double : m_oneAndHalf;
    QVERIFY(other.rects.count(key));
    const QRect single = m_single.rects.at(key);
    const QRect twice = other.rects.at(key);
    // A value may round to the next pixel at either scale; a pixel is 15 twips at 96 dpi.
    const int slack = key.endsWith(QLatin1String(" px")) ? 1 : 15;
    const auto near = [slack](int a, int b) { return qAbs(a - b) <= slack; };
    QVERIFY2(near(single.x(), twice.x()) && near(single.y(), twice.y()) && near(single.width(), twice.width()) &&
                 near(single.height(), twice.height()),
             qPrintable(QStringLiteral("scale 1: %1,%2 %3x%4; scale %9: %5,%6 %7x%8")
                            .arg(single.x())
                            .arg(single.y())
                            .arg(single.width())
                            .arg(single.height())
                            .arg(twice.x())
                            .arg(twice.y())
                            .arg(twice.width())
                            .arg(twice.height())
                            .arg(scale)));
}

// Text

// Without the aliases of a full font set up, only the design face's own name finds it.
void tst_HighDpi::liberationOnlyFace_data()
{
    QTest::addColumn<QString>("family");
#if defined(Q_OS_WIN)
    QSKIP("the fonts a child sees are chosen through fontconfig, which Windows does not use");
#endif
    for (const auto &[key, family] : m_liberation.families)
        QTest::newRow(qPrintable(key)) << family;
    QVERIFY(m_liberation.families.count(QStringLiteral("frmChooser.lstGear")));
}

void tst_HighDpi::liberationOnlyFace()
{
    QFETCH(QString, family);
    QCOMPARE(family, QStringLiteral("Liberation Sans"));
}

void tst_HighDpi::captionsFit_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("limit");
    const std::pair<QString, const Layout *> layouts[] = {
        {QStringLiteral("at scale 1"), &m_single},
        {QStringLiteral("at scale 2"), &m_double},
        {QStringLiteral("at scale 1.5"), &m_oneAndHalf},
        {QStringLiteral("with only fonts-liberation2"), &m_liberation}};
    for (const auto &[name, layout] : layouts) {
        for (const auto &[key, caption] : layout->captions)
            QTest::newRow(qPrintable(key + QLatin1Char(' ') + name)) << key << caption.right << caption.limit;
    }
}

void tst_HighDpi::captionsFit()
{
    QFETCH(QString, key);
    QFETCH(int, right);
    QFETCH(int, limit);
    QVERIFY2(right <= limit,
             qPrintable(QStringLiteral("%1: the text ends at %2 but is cut off at %3").arg(key).arg(right).arg(limit)));
}

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], DumpArgument) == 0)
        return DumpGeometry(argc, argv);
    QApplication app(argc, argv);
    tst_HighDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_HighDpi.moc"
