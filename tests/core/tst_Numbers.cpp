#include "core/Numbers.h"
#include "toolkit/NumberText.h"

#include <QLocale>
#include <QtTest>

#include <limits>

class tst_Numbers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Reading
    void parsePlain_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");

        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("zero") << QByteArray("0") << true << 0.0;
        QTest::newRow("integer") << QByteArray("320") << true << 320.0;
        QTest::newRow("leading zeros") << QByteArray("007") << true << 7.0;
        QTest::newRow("plus sign") << QByteArray("+7") << true << 7.0;
        QTest::newRow("minus sign") << QByteArray("-3") << true << -3.0;
        QTest::newRow("decimal point") << QByteArray("2.25") << true << 2.25;
        QTest::newRow("negative decimal") << QByteArray("-1.5") << true << -1.5;
        QTest::newRow("no digit before the point") << QByteArray(".5") << true << 0.5;
        QTest::newRow("signed, no digit before the point") << QByteArray("-.5") << true << -0.5;
        QTest::newRow("no digit after the point") << QByteArray("5.") << true << 5.0;
        QTest::newRow("exponent") << QByteArray("1e3") << true << 1000.0;
        QTest::newRow("upper-case exponent") << QByteArray("1E3") << true << 1000.0;
        QTest::newRow("negative exponent") << QByteArray("1.5e-2") << true << 0.015;
        QTest::newRow("signed exponent") << QByteArray("-2.5E+1") << true << -25.0;
        QTest::newRow("spaces around") << QByteArray("  42  ") << true << 42.0;
        QTest::newRow("zero with a point") << QByteArray("0.0") << true << 0.0;
        QTest::newRow("exponent beyond double") << QByteArray("1e400") << true << inf;
        QTest::newRow("negative exponent beyond double") << QByteArray("-1e400") << true << -inf;
        QTest::newRow("exponent below double") << QByteArray("1e-400") << true << 0.0;

        QTest::newRow("empty") << QByteArray() << false << 0.0;
        QTest::newRow("spaces only") << QByteArray("   ") << false << 0.0;
        QTest::newRow("point only") << QByteArray(".") << false << 0.0;
        QTest::newRow("sign only") << QByteArray("-") << false << 0.0;
        QTest::newRow("sign and point") << QByteArray("+.") << false << 0.0;
        QTest::newRow("word") << QByteArray("three") << false << 0.0;
        QTest::newRow("number then word") << QByteArray("12lb") << false << 0.0;
        QTest::newRow("inner space") << QByteArray("1 2") << false << 0.0;
        QTest::newRow("inf") << QByteArray("inf") << false << 0.0;
        QTest::newRow("signed inf") << QByteArray("-inf") << false << 0.0;
        QTest::newRow("infinity") << QByteArray("Infinity") << false << 0.0;
        QTest::newRow("nan") << QByteArray("nan") << false << 0.0;
        QTest::newRow("hex") << QByteArray("0x10") << false << 0.0;
        QTest::newRow("thousands separator") << QByteArray("1,000") << false << 0.0;
        QTest::newRow("decimal comma") << QByteArray("1,5") << false << 0.0;
        QTest::newRow("two signs") << QByteArray("+-1") << false << 0.0;
        QTest::newRow("two points") << QByteArray("1..2") << false << 0.0;
        QTest::newRow("exponent without digits") << QByteArray("1e") << false << 0.0;
        QTest::newRow("exponent sign without digits") << QByteArray("1e+") << false << 0.0;
        QTest::newRow("exponent alone") << QByteArray("e5") << false << 0.0;
        QTest::newRow("point then exponent") << QByteArray(".e1") << false << 0.0;
        QTest::newRow("currency sign") << QByteArray("$5") << false << 0.0;
        QTest::newRow("percent") << QByteArray("5%") << false << 0.0;
    }
    void parsePlain()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(double, value);

        const auto parsed = Numbers::ParsePlain(std::string_view(text.constData(), std::size_t(text.size())));
        QCOMPARE(parsed.has_value(), ok);
        if (ok)
            QCOMPARE(*parsed, value);
    }

    // Rounding
    void roundToInt16_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("rounded");

        QTest::newRow("2.5 to even 2") << 2.5 << true << 2;
        QTest::newRow("3.5 to even 4") << 3.5 << true << 4;
        QTest::newRow("0.5 to even 0") << 0.5 << true << 0;
        QTest::newRow("-2.5 to even -2") << -2.5 << true << -2;
        QTest::newRow("-3.5 to even -4") << -3.5 << true << -4;
        QTest::newRow("below a half") << 2.49 << true << 2;
        QTest::newRow("above a half") << 2.51 << true << 3;
        QTest::newRow("small negative") << -0.4 << true << 0;
        QTest::newRow("32767") << 32767.0 << true << 32767;
        QTest::newRow("32767.4") << 32767.4 << true << 32767;
        QTest::newRow("32767.5 rounds to 32768") << 32767.5 << false << 0;
        QTest::newRow("32768") << 32768.0 << false << 0;
        QTest::newRow("-32768") << -32768.0 << true << -32768;
        QTest::newRow("-32768.5 to even -32768") << -32768.5 << true << -32768;
        QTest::newRow("-32768.6") << -32768.6 << false << 0;
        QTest::newRow("-32769") << -32769.0 << false << 0;
        QTest::newRow("huge") << 1e300 << false << 0;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << 0;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << false << 0;
    }
    void roundToInt16()
    {
        QFETCH(double, value);
        QFETCH(bool, ok);
        QFETCH(int, rounded);

        const auto r = Numbers::RoundToInt16(value);
        QCOMPARE(r.has_value(), ok);
        if (ok)
            QCOMPARE(int(*r), rounded);
    }

    // Writing
    void formatOneDecimal_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");

        QTest::newRow("2") << 2.0 << "2.0";
        QTest::newRow("12") << 12.0 << "12.0";
        QTest::newRow("0.5") << 0.5 << "0.5";
        QTest::newRow("0") << 0.0 << "0.0";
        QTest::newRow("4.5") << 4.5 << "4.5";
        QTest::newRow("-0.04 is not -0.0") << -0.04 << "0.0";
        QTest::newRow("negative zero") << -0.0 << "0.0";
        QTest::newRow("-1.5") << -1.5 << "-1.5";
        QTest::newRow("rounds up to the tenth") << 2.26 << "2.3";
        QTest::newRow("rounds down to the tenth") << 2.24 << "2.2";
        QTest::newRow("carries into the units") << 9.96 << "10.0";
        QTest::newRow("no group separator") << 12345.5 << "12345.5";
    }
    void formatOneDecimal()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(NumberText::FormatOneDecimal(value), text);
    }

    // Locale
    void userLocaleDoesNotMatter()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(NumberText::FormatOneDecimal(12345.5), QStringLiteral("12345.5"));
        QCOMPARE(Numbers::ParsePlain("2.5").value_or(0.0), 2.5);
        QVERIFY(!Numbers::ParsePlain("2,5"));
    }
};

QTEST_APPLESS_MAIN(tst_Numbers)
#include "tst_Numbers.moc"
