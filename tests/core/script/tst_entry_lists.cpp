#include "script/memory_entry_lists.h"
#include "text/line_ends.h"
#include "text/memory_text_box.h"
#include "text_box_contract.h"

#include <QRandomGenerator>

using scp::ListId;

class EntryListsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void highRangeMatchesTheCodePage()
    {
        // Bytes 0x80..0x9F from the code page's table (0: undefined, its own C1 control).
        const char16_t published[32] = {
            0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
            0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
        };
        for (int i = 0; i < 32; ++i) {
            const char byte = char(0x80 + i);
            const char16_t expected = published[i] ? published[i] : char16_t(0x80 + i);
            QCOMPARE(scp::decodeCp1252(QByteArray(1, byte)), QString(QChar(expected)));
            QCOMPARE(scp::encodeCp1252(QString(QChar(expected))).bytes, QByteArray(1, byte));
        }
        // Outside that row every byte is the character of its own number.
        QCOMPARE(scp::decodeCp1252("\x7F\xA0\xD0\xFF"), u"\u007F\u00A0\u00D0\u00FF"_s);
    }

    void bytesRoundTripAcrossBlocks()
    {
        // Random bytes around the encoder's 16-character blocks, a bad one at every place.
        QRandomGenerator random(1252);
        for (int size : {15, 16, 17, 33, 4099}) {
            QByteArray bytes(size, Qt::Uninitialized);
            for (char& b : bytes)
                b = char(random.bounded(256));
            QString decoded = scp::decodeCp1252(bytes);
            QCOMPARE(scp::encodeCp1252(decoded).bytes, bytes);
            const qsizetype bad = random.bounded(size);
            decoded[bad] = u'\u015F';
            QCOMPARE(scp::encodeCp1252(decoded).badIndex, bad);
        }
    }

    void charactersWithNoByte()
    {
        // Found first, whatever follows; U+0080 is a control where byte 0x80 is the euro.
        const std::pair<QString, QString> rows[] = {
            {u"\n\u0080\u2192"_s, u"U+0080 at line 2, column 1"_s},
            {u"\u00E9\U0001F600"_s, u"\"\U0001F600\" (U+1F600) at line 1, column 2"_s},
            {u"x"_s + QChar(0xD83D), u"U+D83D at line 1, column 2"_s}};
        for (const auto& [text, description] : rows) {
            const scp::Cp1252Encoding encoded = scp::encodeCp1252(text);
            QCOMPARE(encoded.badIndex, 1);
            QVERIFY(encoded.bytes.isEmpty()); // nothing half-encoded to write
            QCOMPARE(scp::describeCharacterAt(text, 1), description);
        }
    }

    void loneLineEndsBecomeCrLf()
    {
        // Around the scan's 32-character blocks: a lone end at every place.
        for (int at : {0, 31, 32, 33, 63, 70}) {
            QByteArray bytes(71, 'x');
            bytes[at] = '\n';
            QByteArray expected = bytes;
            expected.insert(at, '\r');
            QCOMPARE(scp::normalizeLineEnds(bytes), expected);
            bytes[at] = '\r';
            expected[at + 1] = '\n';
            QCOMPARE(scp::normalizeLineEnds(bytes), expected);
            QCOMPARE(scp::normalizeLineEnds(QString::fromLatin1(bytes)),
                     QString::fromLatin1(expected));
        }
    }
    void placeholderGivesWayToTheFirstAdd()
    {
        // A list of its placeholder alone becomes the entry; anything more and Add appends.
        const QString placeholder = scp::listPlaceholder(ListId::Tiles);
        const std::pair<QString, QString> rows[] = {
            {placeholder, u"E"_s},
            {placeholder.chopped(2), u"E"_s},
            {placeholder + u' ', placeholder + u' ' + QString(37, u' ') + u"E"_s},
            {scp::listPlaceholder(ListId::Gumps),
             scp::listPlaceholder(ListId::Gumps) + QString(37, u' ') + u"E"_s}};
        for (const auto& [start, added] : rows) {
            scp::MemoryEntryLists set;
            set.box(ListId::Tiles).setText(start);
            set.lists().addEntry(ListId::Tiles, u"E"_s);
            QCOMPARE(set.lists().listText(ListId::Tiles), added);
            set.box(ListId::Tiles).setText(start);
            set.lists().addEntries(ListId::Tiles, {u"E"_s, u"F"_s});
            QCOMPARE(set.lists().listText(ListId::Tiles), added + QString(37, u' ') + u"F"_s);
        }
    }

    void appendMatchesTheWholeTextRewrite()
    {
        // Add leaves what two whole-text rewrites would, whatever the list and entry hold.
        const QString starts[] = {QString(), u" "_s, u"\r\n"_s, u"a\r\nb"_s, u"x\r\n\r\n"_s};
        const QString entries[] = {QString(), u"E"_s, u"two\nlines"_s, u"ends in CR\r"_s,
                                   u"\u00A0nbsp\u0081"_s};
        for (const QString& start : starts)
            for (const QString& entry : entries)
                for (bool fromFile : {false, true}) {
                    scp::MemoryEntryLists set;
                    if (fromFile)
                        set.box(ListId::Gumps).setFileContent(start.toLatin1());
                    else
                        set.box(ListId::Gumps).setText(start);
                    set.lists().addEntry(ListId::Gumps, entry);

                    scp::MemoryTextBox reference(start);
                    if (reference.text() != QString())
                        reference.setText(reference.text() + QString(37, u' '));
                    reference.setText(reference.text() + entry);
                    QCOMPARE(set.lists().listText(ListId::Gumps), reference.text());
                }
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TextBoxContract contract([] { return std::make_unique<scp::MemoryTextBox>(); });
    EntryListsTest lists;
    return QTest::qExec(&contract, argc, argv) | QTest::qExec(&lists, argc, argv);
}

#include "tst_entry_lists.moc"
