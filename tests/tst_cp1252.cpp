// Windows-1252 decoding and encoding, and the messages that name a character
// no byte can hold.

#include "script/cp1252.h"
#include "script/text_file.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCp1252 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyByteRoundTrips();
    void randomBytesRoundTrip();
    void knownMappings_data();
    void knownMappings();
    void charactersWithNoByte_data();
    void charactersWithNoByte();
    void describesCharacter_data();
    void describesCharacter();
    void encodeForFileNamesFileListAndPlace();
};

void TestCp1252::everyByteRoundTrips()
{
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = static_cast<char>(b);

    const QString text = scp::decode_cp1252(all);
    QCOMPARE(text.size(), 256);
    // Distinct bytes must decode to distinct characters, else two files could
    // read as the same text.
    QSet<QChar> seen(text.cbegin(), text.cend());
    QCOMPARE(seen.size(), 256);

    const scp::Cp1252Encoding encoded = scp::encode_cp1252(text);
    QVERIFY(encoded.ok());
    QCOMPARE(encoded.bytes, all);
}

void TestCp1252::randomBytesRoundTrip()
{
    // Long enough to cross any chunking a fast path might use, with every
    // odd length tail.
    QRandomGenerator random(1252);
    for (int size : {1, 7, 15, 16, 17, 63, 4096 + 3}) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (char& b : bytes)
            b = static_cast<char>(random.bounded(256));
        const scp::Cp1252Encoding encoded = scp::encode_cp1252(scp::decode_cp1252(bytes));
        QVERIFY(encoded.ok());
        QCOMPARE(encoded.bytes, bytes);
    }
    QVERIFY(scp::decode_cp1252(QByteArray()).isEmpty());
    QVERIFY(scp::encode_cp1252(QString()).ok());
}

void TestCp1252::knownMappings_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("character");

    QTest::newRow("NUL") << 0x00 << 0x0000;
    QTest::newRow("CR") << 0x0D << 0x000D;
    QTest::newRow("A") << 0x41 << 0x0041;
    QTest::newRow("DEL") << 0x7F << 0x007F;
    QTest::newRow("euro") << 0x80 << 0x20AC;
    QTest::newRow("S caron") << 0x8A << 0x0160;
    QTest::newRow("left single quote") << 0x91 << 0x2018;
    QTest::newRow("en dash") << 0x96 << 0x2013;
    QTest::newRow("Y diaeresis") << 0x9F << 0x0178;
    QTest::newRow("no-break space") << 0xA0 << 0x00A0;
    QTest::newRow("Eth, where the Turkish page has G breve") << 0xD0 << 0x00D0;
    QTest::newRow("y diaeresis") << 0xFF << 0x00FF;
    // The code page leaves these five undefined; they must still survive.
    QTest::newRow("undefined 0x81") << 0x81 << 0x0081;
    QTest::newRow("undefined 0x8D") << 0x8D << 0x008D;
    QTest::newRow("undefined 0x8F") << 0x8F << 0x008F;
    QTest::newRow("undefined 0x90") << 0x90 << 0x0090;
    QTest::newRow("undefined 0x9D") << 0x9D << 0x009D;
}

void TestCp1252::knownMappings()
{
    QFETCH(int, byte);
    QFETCH(int, character);

    const QByteArray bytes(1, static_cast<char>(byte));
    const QString text(QChar(static_cast<char16_t>(character)));
    QCOMPARE(scp::decode_cp1252(bytes), text);
    const scp::Cp1252Encoding encoded = scp::encode_cp1252(u"x"_s + text + u"y"_s);
    QVERIFY(encoded.ok());
    QCOMPARE(encoded.bytes, QByteArray("x") + bytes + QByteArray("y"));
}

void TestCp1252::charactersWithNoByte_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("badIndex");

    QTest::newRow("s cedilla") << u"ab\u015Fc"_s << qsizetype(2);
    QTest::newRow("arrow first") << u"\u2192"_s << qsizetype(0);
    // U+0080 is a control character; byte 0x80 is the euro sign.
    QTest::newRow("C1 control with a taken byte") << u"ok\u0080"_s << qsizetype(2);
    QTest::newRow("just above Latin-1") << u"\u0100"_s << qsizetype(0);
    QTest::newRow("replacement character") << u"\u00FF\uFFFD"_s << qsizetype(1);
    QTest::newRow("emoji") << u"x\U0001F600y"_s << qsizetype(1);
    QTest::newRow("lone low surrogate") << u"ab"_s + QChar(0xDC00) << qsizetype(2);
    QTest::newRow("first of two") << u"\u20AC\u015F\u2192"_s << qsizetype(1);
}

void TestCp1252::charactersWithNoByte()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, badIndex);

    const scp::Cp1252Encoding encoded = scp::encode_cp1252(text);
    QVERIFY(!encoded.ok());
    QCOMPARE(encoded.badIndex, badIndex);
}

void TestCp1252::describesCharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("index");
    QTest::addColumn<QString>("description");

    QTest::newRow("first line") << u"ab\u015F"_s << qsizetype(2)
                                << u"\"\u015F\" (U+015F) at line 1, column 3"_s;
    QTest::newRow("after CR LF") << u"one\r\ntwo\r\n  \u015Fx"_s << qsizetype(12)
                                 << u"\"\u015F\" (U+015F) at line 3, column 3"_s;
    QTest::newRow("after bare LF")
        << u"\n\n\u2192"_s << qsizetype(2) << u"\"\u2192\" (U+2192) at line 3, column 1"_s;
    QTest::newRow("emoji whole") << u"a\r\nb\U0001F600"_s << qsizetype(4)
                                 << u"\"\U0001F600\" (U+1F600) at line 2, column 2"_s;
    QTest::newRow("emoji by its second half") << u"a\r\nb\U0001F600"_s << qsizetype(5)
                                              << u"\"\U0001F600\" (U+1F600) at line 2, column 2"_s;
    // Earlier emoji on the line take one column each, not two.
    QTest::newRow("after emoji") << u"\U0001F600\U0001F600\u015F"_s << qsizetype(4)
                                 << u"\"\u015F\" (U+015F) at line 1, column 3"_s;
    QTest::newRow("control by code point")
        << u"x\u0080"_s << qsizetype(1) << u"U+0080 at line 1, column 2"_s;
    QTest::newRow("lone surrogate")
        << u"x"_s + QChar(0xD83D) << qsizetype(1) << u"U+D83D at line 1, column 2"_s;
}

void TestCp1252::describesCharacter()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, index);
    QFETCH(QString, description);

    QCOMPARE(scp::describe_character_at(text, index), description);
}

void TestCp1252::encodeForFileNamesFileListAndPlace()
{
    const scp::TextEncoding good =
        scp::encode_for_file(u"GUMP \u20AC\r\n"_s, u"gumps.scp"_s, u"the gumps list"_s);
    QVERIFY(good.outcome.ok());
    QCOMPARE(good.bytes, QByteArray("GUMP \x80\r\n"));

    const scp::TextEncoding bad =
        scp::encode_for_file(u"0x1 a.bmp\r\n0x2 \u015F.bmp"_s, u"gumps.scp"_s, u"the gumps list"_s);
    QVERIFY(!bad.outcome.ok());
    QVERIFY(bad.bytes.isEmpty());
    QCOMPARE(bad.outcome.error(),
             u"Could not write \"gumps.scp\": the gumps list has \"\u015F\" "
             u"(U+015F) at line 2, column 5, which has no Windows-1252 byte"_s);
}

QTEST_GUILESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
