#include "lists/memory_text_box.h"
#include "script/cp1252.h"
#include "script/text_file.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

class Cp1252Test : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = scp::decode_cp1252(all);
        // Distinct bytes must stay distinct characters, else two files would
        // read as one text.
        QCOMPARE(QSet<QChar>(text.cbegin(), text.cend()).size(), 256);
        QCOMPARE(scp::encode_cp1252(text).bytes, all);
        // Random bytes at lengths around the encoder's 16-character blocks.
        QRandomGenerator random(1252);
        for (int size : {15, 16, 17, 4099}) {
            QByteArray bytes(size, Qt::Uninitialized);
            for (char& b : bytes)
                b = char(random.bounded(256));
            QCOMPARE(scp::encode_cp1252(scp::decode_cp1252(bytes)).bytes, bytes);
        }
    }

    void knownCharacters()
    {
        // The euro and the last of the 0x80 row; the no-break space stays one;
        // 0xD0 is Eth, not the Turkish page's G breve; undefined bytes keep
        // their own C1 code.
        QCOMPARE(scp::decode_cp1252("\x80\x9F\xA0\xD0\x81\x9D"),
                 u"\u20AC\u0178\u00A0\u00D0\u0081\u009D"_s);
    }

    void charactersWithNoByte_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("index");
        QTest::addColumn<QString>("description");
        QTest::newRow("after CR LF") << u"one\r\ntwo \u015F \u2192"_s << qsizetype(9)
                                     << u"\"\u015F\" (U+015F) at line 2, column 5"_s;
        // U+0080 is a control character; byte 0x80 is the euro sign.
        QTest::newRow("C1 control")
            << u"\n\u0080"_s << qsizetype(1) << u"U+0080 at line 2, column 1"_s;
        QTest::newRow("emoji") << u"\u00E9\U0001F600"_s << qsizetype(1)
                               << u"\"\U0001F600\" (U+1F600) at line 1, column 2"_s;
        QTest::newRow("lone surrogate")
            << u"x"_s + QChar(0xD83D) << qsizetype(1) << u"U+D83D at line 1, column 2"_s;
    }
    void charactersWithNoByte()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, index);
        QFETCH(QString, description);
        const scp::Cp1252Encoding encoded = scp::encode_cp1252(text);
        QCOMPARE(encoded.badIndex, index);
        QVERIFY(encoded.bytes.isEmpty()); // nothing half-encoded to write
        QCOMPARE(scp::describe_character_at(text, index), description);
        const scp::MemoryTextBox list(text);
        QCOMPARE(scp::encode_for_file(list, u"gumps.scp"_s, u"the gumps list"_s).outcome.error(),
                 u"Could not write \"gumps.scp\": the gumps list has %1, which has no "
                 u"Windows-1252 byte"_s.arg(description));
    }
};

QTEST_GUILESS_MAIN(Cp1252Test)
#include "tst_cp1252.moc"
