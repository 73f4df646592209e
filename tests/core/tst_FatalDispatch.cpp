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

int RunChild(int argc, char *argv[], const QString &mode)
{
    PrintBoxes();
    if (mode == QLatin1String("handler-failure"))
        return Main(argc, argv, [] { return std::unique_ptr<IMainForm>(new FailingForm); });

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

        QTest::newRow("failure escaping a handler")
            << "handler-failure" << 1
            << "BOX|Quellvane Gear Chooser [v1.01]|critical|A fatal error occured in the application: 13 - Type "
               "mismatch.  It will now close whether you like it or not."
            << "";
        QTest::newRow("missing data file") << "missing-file" << 0 << "BOX|Quellvane Gear Chooser [v1.01]|critical|"
                                           << "EXIT|0|shown=0";
    }

    void childRuns()
    {
        QFETCH(QString, mode);
        QFETCH(int, exitCode);
        QFETCH(QString, firstLine);
        QFETCH(QString, lastLine);

        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), mode});
        QVERIFY(child.waitForFinished(30000));
        const QStringList lines =
            QString::fromLocal8Bit(child.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), exitCode);
        QVERIFY2(!lines.isEmpty(), qPrintable(child.readAllStandardError()));
        QVERIFY2(lines.first().startsWith(firstLine), qPrintable(lines.first()));
        if (!lastLine.isEmpty())
            QCOMPARE(lines.last(), lastLine);
        // Exactly one box either way: no second, fatal box after the loader's own message.
        QCOMPARE(lines.filter(QStringLiteral("BOX|")).size(), 1);
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
