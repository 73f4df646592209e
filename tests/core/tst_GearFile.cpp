#include "core/GearFile.h"

#include <QLocale>
#include <QtTest>

using GearFile::FieldReader;
using GearFile::TextEncoding;

namespace {

std::string_view View(const QByteArray &bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

QByteArray Bytes(std::string_view view)
{
    return QByteArray(view.data(), qsizetype(view.size()));
}

QString Name(FieldReader::Result r)
{
    switch (r) {
    case FieldReader::Result::Field:
        return QStringLiteral("Field");
    case FieldReader::Result::PastEndOfFile:
        return QStringLiteral("PastEndOfFile");
    case FieldReader::Result::UnterminatedQuote:
        return QStringLiteral("UnterminatedQuote");
    }
    return QStringLiteral("?");
}

QString Name(FieldReader::RecordResult r)
{
    switch (r) {
    case FieldReader::RecordResult::Record:
        return QStringLiteral("Record");
    case FieldReader::RecordResult::EndOfData:
        return QStringLiteral("EndOfData");
    case FieldReader::RecordResult::PastEndOfFile:
        return QStringLiteral("PastEndOfFile");
    case FieldReader::RecordResult::UnterminatedQuote:
        return QStringLiteral("UnterminatedQuote");
    }
    return QStringLiteral("?");
}

} // namespace

class tst_GearFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // Fields
    void readField_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArrayList>("fields");
        QTest::addColumn<QString>("end");

        using F = QByteArrayList;
        const QString past = QStringLiteral("PastEndOfFile");
        const QString open = QStringLiteral("UnterminatedQuote");
        QTest::newRow("empty input") << QByteArray() << F{} << past;
        QTest::newRow("only spaces") << QByteArray("    ") << F{} << past;
        QTest::newRow("comma") << QByteArray("a,b") << F{"a", "b"} << past;
        QTest::newRow("CR LF") << QByteArray("a\r\nb") << F{"a", "b"} << past;
        QTest::newRow("lone CR") << QByteArray("a\rb") << F{"a", "b"} << past;
        QTest::newRow("lone LF") << QByteArray("a\nb") << F{"a", "b"} << past;
        QTest::newRow("LF CR is two line ends") << QByteArray("a\n\rb") << F{"a", "", "b"} << past;
        QTest::newRow("CR CR LF is two line ends") << QByteArray("a\r\r\nb") << F{"a", "", "b"} << past;
        QTest::newRow("empty fields between commas") << QByteArray("a,,b") << F{"a", "", "b"} << past;
        QTest::newRow("no field after a final comma") << QByteArray("a,") << F{"a"} << past;
        QTest::newRow("empty field before a final line end") << QByteArray("a,\r\n") << F{"a", ""} << past;
        QTest::newRow("leading spaces dropped") << QByteArray("   a,  b") << F{"a", "b"} << past;
        QTest::newRow("trailing spaces dropped") << QByteArray("a   ,b  \r\nc") << F{"a", "b", "c"} << past;
        QTest::newRow("inner spaces kept") << QByteArray(" Service  Pistol ,x") << F{"Service  Pistol", "x"} << past;
        QTest::newRow("quote inside an unquoted field kept") << QByteArray("ab\"c,d") << F{"ab\"c", "d"} << past;
        QTest::newRow("quoted comma") << QByteArray("\"Pistol, Silenced\",x") << F{"Pistol, Silenced", "x"} << past;
        QTest::newRow("quoted CR LF") << QByteArray("\"two\r\nlines\",x") << F{"two\r\nlines", "x"} << past;
        QTest::newRow("quoted lone CR and LF") << QByteArray("\"a\rb\nc\"") << F{"a\rb\nc"} << past;
        QTest::newRow("quoted spaces kept") << QByteArray("  \"  a  \"  ,b") << F{"  a  ", "b"} << past;
        QTest::newRow("empty quoted field") << QByteArray("\"\",b") << F{"", "b"} << past;
        QTest::newRow("doubled quotes") << QByteArray("\"say \"\"hi\"\" now\",b") << F{"say \"hi\" now", "b"} << past;
        QTest::newRow("only a doubled quote") << QByteArray("\"\"\"\"") << F{"\""} << past;
        QTest::newRow("doubled quote before the closing one") << QByteArray("\"a\"\"\",b") << F{"a\"", "b"} << past;
        QTest::newRow("text after the closing quote dropped") << QByteArray("\"a\"xyz,b") << F{"a", "b"} << past;
        QTest::newRow("text after the closing quote up to a line end")
            << QByteArray("\"a\" x \"y\"\r\nb") << F{"a", "b"} << past;
        QTest::newRow("spaces after the closing quote dropped") << QByteArray("\"a\"   ,b") << F{"a", "b"} << past;
        QTest::newRow("NUL byte is an ordinary byte")
            << QByteArray("a\0b,c", 5) << F{QByteArray("a\0b", 3), "c"} << past;
        QTest::newRow("unterminated quote") << QByteArray("a,\"bc,d\r\n") << F{"a"} << open;
        QTest::newRow("unterminated after a doubled quote") << QByteArray("\"ab\"\"c") << F{} << open;
        QTest::newRow("doubled quote at the very end") << QByteArray("\"ab\"\"") << F{} << open;
        QTest::newRow("lone quote") << QByteArray("\"") << F{} << open;
    }
    void readField()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArrayList, fields);
        QFETCH(QString, end);

        FieldReader reader(View(input));
        QByteArrayList read;
        std::string_view field;
        FieldReader::Result r;
        while ((r = reader.ReadField(field)) == FieldReader::Result::Field) {
            read << Bytes(field);
            QVERIFY(read.size() <= fields.size() + 1);
        }
        QCOMPARE(read, fields);
        QCOMPARE(Name(r), end);
        QVERIFY(reader.AtEnd());
    }

    // Records
    void readRecord_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArrayList>("records");
        QTest::addColumn<QString>("end");

        // Records are written with their nine fields joined by '|'; "AtEnd" means the data ran out between records.
        using R = QByteArrayList;
        const QString atEnd = QStringLiteral("AtEnd");
        const QString endOfData = QStringLiteral("EndOfData");
        const QString past = QStringLiteral("PastEndOfFile");
        QTest::newRow("empty input") << QByteArray() << R{} << atEnd;
        QTest::newRow("one record") << QByteArray("a,b,c,d,e,f,g,h,i\r\n") << R{"a|b|c|d|e|f|g|h|i"} << atEnd;
        QTest::newRow("no final line end") << QByteArray("a,b,c,d,e,f,g,h,i") << R{"a|b|c|d|e|f|g|h|i"} << atEnd;
        QTest::newRow("empty last field") << QByteArray("a,b,c,d,e,f,g,h,\r\n") << R{"a|b|c|d|e|f|g|h|"} << atEnd;
        QTest::newRow("lone LF lines") << QByteArray("a,b,c,d,e,f,g,h,i\n1,2,3,4,5,6,7,8,9\n")
                                       << R{"a|b|c|d|e|f|g|h|i", "1|2|3|4|5|6|7|8|9"} << atEnd;
        QTest::newRow("a record over three lines")
            << QByteArray("a,b,c\r\nd,e,f\r\ng,h,i\r\n") << R{"a|b|c|d|e|f|g|h|i"} << atEnd;
        QTest::newRow("ten fields shift the next record") << QByteArray("1,2,3,4,5,6,7,8,9,10\r\na,b,c,d,e,f,g,h,i\r\n")
                                                          << R{"1|2|3|4|5|6|7|8|9", "10|a|b|c|d|e|f|g|h"} << past;
        QTest::newRow("eight fields take one from the next line")
            << QByteArray("1,2,3,4,5,6,7,8\r\na,b,c,d,e,f,g,h,i\r\n") << R{"1|2|3|4|5|6|7|8|a"} << past;
        QTest::newRow("an empty line is one empty field")
            << QByteArray("\r\na,b,c,d,e,f,g,h\r\n") << R{"|a|b|c|d|e|f|g|h"} << atEnd;
        QTest::newRow("doubled quotes in two fields of one record")
            << QByteArray("\"a\"\"\",\"b\"\"\",c,d,e,f,g,\"h\"\"\",\"\"\"i\"") << R{"a\"|b\"|c|d|e|f|g|h\"|\"i"}
            << atEnd;
        QTest::newRow("trailing blank lines")
            << QByteArray("a,b,c,d,e,f,g,h,i\r\n\r\n\r\n\n\r") << R{"a|b|c|d|e|f|g|h|i"} << endOfData;
        QTest::newRow("trailing space-only lines")
            << QByteArray("a,b,c,d,e,f,g,h,i\r\n   \r\n  ") << R{"a|b|c|d|e|f|g|h|i"} << endOfData;
        // Only whole blank lines end the data quietly: empty fields or a tab are a record cut short, and so is the
        // empty field that a blank line earlier in the file leaves over once it has shifted every record.
        QTest::newRow("trailing empty fields")
            << QByteArray("a,b,c,d,e,f,g,h,i\r\n, ,,\r\n") << R{"a|b|c|d|e|f|g|h|i"} << past;
        QTest::newRow("trailing tab line")
            << QByteArray("a,b,c,d,e,f,g,h,i\r\n\t\r\n") << R{"a|b|c|d|e|f|g|h|i"} << past;
        QTest::newRow("blank line shifts the rest, one empty field over")
            << QByteArray("a,b,c,d,e,f,g,h,\r\n\r\n1,2,3,4,5,6,7,8,\r\n") << R{"a|b|c|d|e|f|g|h|", "|1|2|3|4|5|6|7|8"}
            << past;
        QTest::newRow("only spaces") << QByteArray("      ") << R{} << endOfData;
        QTest::newRow("final short record")
            << QByteArray("a,b,c,d,e,f,g,h,i\r\nx,y\r\n") << R{"a|b|c|d|e|f|g|h|i"} << past;
        QTest::newRow("final record empty but for a later field")
            << QByteArray("a,b,c,d,e,f,g,h,i\r\n,,x") << R{"a|b|c|d|e|f|g|h|i"} << past;
        QTest::newRow("unterminated quote in the second record")
            << QByteArray("a,b,c,d,e,f,g,h,i\r\nx,\"y,z\r\n") << R{"a|b|c|d|e|f|g|h|i"}
            << QStringLiteral("UnterminatedQuote");
    }
    void readRecord()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArrayList, records);
        QFETCH(QString, end);

        FieldReader reader(View(input));
        std::array<std::string_view, GearFile::FieldsPerRecord> fields;
        QByteArrayList read;
        QString last = QStringLiteral("AtEnd");
        while (!reader.AtEnd() && read.size() <= records.size()) {
            const auto r = reader.ReadRecord(fields);
            if (r != FieldReader::RecordResult::Record) {
                last = Name(r);
                break;
            }
            QByteArrayList joined;
            for (std::string_view f : fields)
                joined << Bytes(f);
            read << joined.join('|');
        }
        QCOMPARE(read, records);
        QCOMPARE(last, end);
    }

    // Encodings
    void isValidUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");

        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("ASCII") << QByteArray("Service Pistol, 3") << true;
        QTest::newRow("NUL byte") << QByteArray("a\0b", 3) << true;
        QTest::newRow("2-byte lowest U+0080") << QByteArray("\xC2\x80") << true;
        QTest::newRow("2-byte e acute") << QByteArray("caf\xC3\xA9") << true;
        QTest::newRow("2-byte highest U+07FF") << QByteArray("\xDF\xBF") << true;
        QTest::newRow("3-byte lowest U+0800") << QByteArray("\xE0\xA0\x80") << true;
        QTest::newRow("3-byte euro sign") << QByteArray("\xE2\x82\xAC") << true;
        QTest::newRow("3-byte before surrogates U+D7FF") << QByteArray("\xED\x9F\xBF") << true;
        QTest::newRow("3-byte after surrogates U+E000") << QByteArray("\xEE\x80\x80") << true;
        QTest::newRow("3-byte U+FFFF") << QByteArray("\xEF\xBF\xBF") << true;
        QTest::newRow("4-byte lowest U+10000") << QByteArray("\xF0\x90\x80\x80") << true;
        QTest::newRow("4-byte highest U+10FFFF") << QByteArray("\xF4\x8F\xBF\xBF") << true;
        QTest::newRow("multibyte across the 8-byte ASCII run") << QByteArray("abcdefg\xC3\xA9hijklmnopq") << true;
        QTest::newRow("overlong 2-byte C0 80") << QByteArray("\xC0\x80") << false;
        QTest::newRow("overlong 2-byte C1 BF") << QByteArray("\xC1\xBF") << false;
        QTest::newRow("overlong 3-byte") << QByteArray("\xE0\x9F\xBF") << false;
        QTest::newRow("overlong 4-byte") << QByteArray("\xF0\x8F\xBF\xBF") << false;
        QTest::newRow("high surrogate U+D800") << QByteArray("\xED\xA0\x80") << false;
        QTest::newRow("low surrogate U+DFFF") << QByteArray("\xED\xBF\xBF") << false;
        QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
        QTest::newRow("lead byte F5") << QByteArray("\xF5\x80\x80\x80") << false;
        QTest::newRow("5-byte form") << QByteArray("\xF8\x88\x80\x80\x80") << false;
        QTest::newRow("FE and FF") << QByteArray("\xFE\xFF") << false;
        QTest::newRow("lone continuation byte") << QByteArray("a\x80z") << false;
        QTest::newRow("truncated 2-byte at the end") << QByteArray("caf\xC3") << false;
        QTest::newRow("truncated 3-byte at the end") << QByteArray("ab\xE2\x82") << false;
        QTest::newRow("truncated 4-byte at the end") << QByteArray("\xF0\x9F\x98") << false;
        QTest::newRow("continuation replaced by ASCII") << QByteArray("\xE2\x28\xA1") << false;
        QTest::newRow("Windows-1252 e acute") << QByteArray("caf\xE9 au lait") << false;
        QTest::newRow("invalid byte after eight ASCII bytes") << QByteArray("abcdefgh\xFF") << false;
    }
    void isValidUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QCOMPARE(GearFile::IsValidUtf8(View(bytes)), valid);
    }

    void detectEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QByteArray>("rest");

        QTest::newRow("ASCII") << QByteArray("a,b") << true << QByteArray("a,b");
        QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9") << true << QByteArray("caf\xC3\xA9");
        QTest::newRow("BOM dropped") << QByteArray("\357\273\277a,b") << true << QByteArray("a,b");
        QTest::newRow("BOM only") << QByteArray("\xEF\xBB\xBF") << true << QByteArray();
        QTest::newRow("BOM later is kept") << QByteArray("a\xEF\xBB\xBF") << true << QByteArray("a\xEF\xBB\xBF");
        QTest::newRow("half a BOM is not UTF-8") << QByteArray("\357\273a") << false << QByteArray("\357\273a");
        QTest::newRow("invalid UTF-8") << QByteArray("caf\xE9") << false << QByteArray("caf\xE9");
        QTest::newRow("BOM before invalid UTF-8") << QByteArray("\xEF\xBB\xBF"
                                                                "caf\xE9")
                                                  << false << QByteArray("caf\xE9");
        QTest::newRow("empty") << QByteArray() << true << QByteArray();
    }
    void detectEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, utf8);
        QFETCH(QByteArray, rest);

        std::string_view view = View(bytes);
        const TextEncoding e = GearFile::DetectEncoding(view);
        QCOMPARE(e == TextEncoding::Utf8, utf8);
        QCOMPARE(Bytes(view), rest);
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("text");

        QTest::newRow("1252 ASCII") << QByteArray("Kit 7") << false << QStringLiteral("Kit 7");
        QTest::newRow("1252 0x80 euro") << QByteArray("\x80") << false << QString(QChar(0x20AC));
        QTest::newRow("1252 0xE9 e acute") << QByteArray("caf\xE9") << false << QStringLiteral("caf\u00E9");
        QTest::newRow("1252 0x81 unassigned stays") << QByteArray("\x81") << false << QString(QChar(0x81));
        QTest::newRow("1252 other unassigned stay")
            << QByteArray("\x8D\x8F\x90\x9D") << false << QString::fromUtf16(u"\u008D\u008F\u0090\u009D");
        QTest::newRow("1252 punctuation") << QByteArray("\x85\x91\x92\x93\x94\x96\x97\x99") << false
                                          << QString::fromUtf16(u"\u2026\u2018\u2019\u201C\u201D\u2013\u2014\u2122");
        QTest::newRow("1252 letters") << QByteArray("\x8A\x8C\x8E\x9A\x9C\x9E\x9F") << false
                                      << QString::fromUtf16(u"\u0160\u0152\u017D\u0161\u0153\u017E\u0178");
        QTest::newRow("1252 Latin-1 range")
            << QByteArray("\x7F\xA0\xC4\xFF") << false << QString::fromUtf16(u"\u007F\u00A0\u00C4\u00FF");
        QTest::newRow("1252 NUL") << QByteArray("a\0b", 3) << false << QString::fromUtf16(u"a\0b", 3);
        QTest::newRow("UTF-8 e acute") << QByteArray("caf\xC3\xA9") << true << QStringLiteral("caf\u00E9");
        QTest::newRow("UTF-8 outside the BMP")
            << QByteArray("\xF0\x90\x90\x80") << true << QString::fromUcs4(U"\U00010400");
        QTest::newRow("empty") << QByteArray() << true << QString();
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, utf8);
        QFETCH(QString, text);
        QCOMPARE(GearFile::Decode(View(bytes), utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1252), text);
    }

    // Which records are filed
    void isDataRecord_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<bool>("filed");

        QTest::newRow("Category") << QByteArray("Category") << false;
        QTest::newRow("CATEGORY") << QByteArray("CATEGORY") << false;
        QTest::newRow("category") << QByteArray("category") << false;
        QTest::newRow("cAtEgOrY") << QByteArray("cAtEgOrY") << false;
        QTest::newRow("Categories") << QByteArray("Categories") << true;
        QTest::newRow("Categor") << QByteArray("Categor") << true;
        QTest::newRow("Kategory") << QByteArray("Kategory") << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("spaces") << QByteArray("   ") << false;
        QTest::newRow("Weapons") << QByteArray("Weapons") << true;
        QTest::newRow("single letter") << QByteArray("W") << true;
    }
    void isDataRecord()
    {
        QFETCH(QByteArray, first);
        QFETCH(bool, filed);
        QCOMPARE(GearFile::IsDataRecord(View(first)), filed);
    }
};

QTEST_APPLESS_MAIN(tst_GearFile)
#include "tst_GearFile.moc"
