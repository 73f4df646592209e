#include "TestSupport.h"
#include "ui/frmChooser.h"

#include <QtTest>

class tst_Smoke : public QObject
{
    Q_OBJECT
private slots:
    void loadsSample()
    {
        auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
        QVERIFY(c->loaded);
        QCOMPARE(c->app->Categories()->Count(), 3);
    }
    void missingFile()
    {
        QTemporaryDir empty;
        clsGearList app;
        auto seen = TestSupport::OnNextModal();
        QVERIFY(!app.LoadGearFile(empty.path()));
        QVERIFY(seen->seen);
        QCOMPARE(seen->title, QStringLiteral("Quellvane Gear Chooser [v1.01]"));
        QCOMPARE(seen->icon, QMessageBox::Critical);
        qDebug() << seen->text;
    }
};

QTEST_MAIN(tst_Smoke)
#include "tst_Smoke.moc"
