// Runs the program's own start-up in child processes: Main makes its own application object there, which is
// where failures escaping event handlers are caught.
#include "core/modGeneral.h"
#include "toolkit/AppPath.h"
#include "toolkit/MsgBox.h"
#include "ui/frmChooser.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <stdexcept>

namespace {

// Prints every message box instead of showing it; the child may end with _Exit, so flush at once.
void PrintBoxes()
{
    MsgBox::SetInterceptor([](const QString &text, const QString &title, MsgBox::Icon icon) {
        std::fprintf(stdout, "BOX|%s|%s|%s\n", qPrintable(title),
                     icon == MsgBox::Icon::Critical ? "critical" : "information", qPrintable(text));
        std::fflush(stdout);
    });
}

// A main window whose event handler fails once the modal show is running.
class FailingForm final : public IMainForm
{
public:
    void setParent(clsGearList *parent) override { m_parent = parent; }
    void ShowModal() override
    {
        QTimer::singleShot(0, [] { throw clsError(clsError::TypeMismatch, QStringLiteral("Type mismatch")); });
        QEventLoop loop;
        loop.exec();
    }

private:
    clsGearList *m_parent = nullptr;
};

// A main window whose load step fails with a standard failure, not the program's own.
class StdFailingForm final : public IMainForm
{
public:
    void setParent(clsGearList *) override {}
    void ShowModal() override { throw std::runtime_error("Disk on fire"); }
};

// A main window that tells which way the application lays out, then closes.
class LayoutForm final : public IMainForm
{
public:
    void setParent(clsGearList *parent) override { m_parent = parent; }
    void ShowModal() override
    {
        std::fprintf(stdout, "LAYOUT|%s\n", QApplication::isRightToLeft() ? "right-to-left" : "left-to-right");
        std::fflush(stdout);
        m_parent->setFinished(true);
    }

private:
    clsGearList *m_parent = nullptr;
};

int RunChild(int argc, char *argv[], const QString &mode)
{
    PrintBoxes();
    if (mode == QLatin1String("handler-failure"))
        return Main(argc, argv, [] { return std::unique_ptr<IMainForm>(new FailingForm); });
    if (mode == QLatin1String("load-step-std-failure"))
        return Main(argc, argv, [] { return std::unique_ptr<IMainForm>(new StdFailingForm); });
    if (mode == QLatin1String("qt-option")) {
        char reverse[] = "-reverse";
        char *args[] = {argv[0], reverse, nullptr};
        return Main(2, args, [] { return std::unique_ptr<IMainForm>(new LayoutForm); });
    }

    // A missing data file: the loader's box, then the program ends without ever showing its window.
    QTemporaryDir empty;
    SetAppPathForTesting(empty.path());
    struct ShowWatcher : QObject
    {
        bool shown = false;
        bool eventFilter(QObject *o, QEvent *e) override
        {
            if (e->type() == QEvent::Show && o->objectName() == QLatin1String("frmChooser"))
                shown = true;
            return false;
        }
    };
    QApplication app(argc, argv);
    ShowWatcher watcher;
    app.installEventFilter(&watcher);
    const int code = Main(argc, argv, &frmChooser::Create);
    std::fprintf(stdout, "EXIT|%d|shown=%d\n", code, int(watcher.shown));
    std::fflush(stdout);
    return code;
}

} // namespace

class tst_FatalDispatch : public QObject
{
    Q_OBJECT
private slots:
    void childRuns_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<int>("boxes");

        QTest::newRow("failure escaping a handler")
            << "handler-failure" << 1
            << "BOX|Quellvane Gear Chooser [v1.01]|critical|A fatal error occured in the application: 13 - Type "
               "mismatch.  It will now close whether you like it or not."
            << "" << 1;
        QTest::newRow("standard failure in the load step")
            << "load-step-std-failure" << 1
            << "BOX|Quellvane Gear Chooser [v1.01]|critical|A fatal error occured in the application: -1 - Disk on "
               "fire.  It will now close whether you like it or not."
            << "" << 1;
        // Exactly one box: no second, fatal box after the loader's own message.
        QTest::newRow("missing data file") << "missing-file" << 0 << "BOX|Quellvane Gear Chooser [v1.01]|critical|"
                                           << "EXIT|0|shown=0" << 1;
        // The program takes no arguments, Qt's own options included.
        QTest::newRow("Qt's -reverse option") << "qt-option" << 0 << "LAYOUT|left-to-right"
                                              << "" << 0;
    }

    void childRuns()
    {
        QFETCH(QString, mode);
        QFETCH(int, exitCode);
        QFETCH(QString, firstLine);
        QFETCH(QString, lastLine);
        QFETCH(int, boxes);

        QProcess child;
        // Text mode: a Windows child's stdout ends its lines with CR LF.
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), mode},
                    QIODevice::ReadOnly | QIODevice::Text);
        QVERIFY(child.waitForFinished(30000));
        const QStringList lines =
            QString::fromLocal8Bit(child.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), exitCode);
        QVERIFY2(!lines.isEmpty(), qPrintable(child.readAllStandardError()));
        QVERIFY2(lines.first().startsWith(firstLine), qPrintable(lines.first()));
        if (!lastLine.isEmpty())
            QCOMPARE(lines.last(), lastLine);
        QCOMPARE(lines.filter(QStringLiteral("BOX|")).size(), boxes);
    }
};

int main(int argc, char *argv[])
{
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return RunChild(1, argv, QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    tst_FatalDispatch test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FatalDispatch.moc"
