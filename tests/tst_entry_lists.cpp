#include "lists/memory_entry_lists.h"
#include "lists/memory_text_box.h"
#include "text_box_contract.h"

#include <QTest>

using namespace Qt::StringLiterals;
using scp::ListId;

class EntryListsTest : public QObject {
    Q_OBJECT

private:
    static QString spaces(int n) { return QString(n, u' '); }

private Q_SLOTS:
    void addAfterThePlaceholder_data()
    {
        QTest::addColumn<ListId>("list");
        QTest::addColumn<QString>("expected");
        QTest::newRow("gumps") << ListId::Gumps
                               << u"GUMPS WILL LOAD HERE\r\n"_s + spaces(37) +
                                      u"HexID Filename.bmp Width Height"_s;
        QTest::newRow("tiles") << ListId::Tiles
                               << u"TILES WILL LOAD HERE\r\n"_s + spaces(37) +
                                      u"HexID Filename.bmp Width Height"_s;
        QTest::newRow("items")
            << ListId::Items
            << u"ITEMS WILL LOAD HERE\r\n"_s + spaces(86) +
                   u"ItemHex Flag1 Flag2 Flag3 Flag4 weight layer animation height itemName"_s;
    }
    void addAfterThePlaceholder()
    {
        // An unedited field adds its hint, after the spacer, after the
        // placeholder's line end.
        QFETCH(ListId, list);
        QFETCH(QString, expected);
        scp::MemoryEntryLists set;
        set.lists().add_entry(list);
        QCOMPARE(set.lists().list_text(list), expected);
        QCOMPARE(set.field(list).text(), scp::field_hint(list)); // the field keeps its text
    }

    void addAfterClear()
    {
        scp::MemoryEntryLists set;
        auto& lists = set.lists();
        for (ListId list : scp::kAllLists) {
            lists.clear_list(list);
            QCOMPARE(lists.list_text(list), QString());
            set.field(list).setText(u"0x10 a.bmp 1 2"_s);
            lists.add_entry(list);
            QCOMPARE(lists.list_text(list), u"0x10 a.bmp 1 2"_s);
            lists.add_entry(list);
            const int width = list == ListId::Items ? 86 : 37;
            QCOMPARE(lists.list_text(list),
                     u"0x10 a.bmp 1 2"_s + spaces(width) + u"0x10 a.bmp 1 2"_s);
            QCOMPARE(set.field(list).text(), u"0x10 a.bmp 1 2"_s);
        }
    }

    void emptyEntries()
    {
        scp::MemoryEntryLists set;
        auto& lists = set.lists();
        set.field(ListId::Gumps).setText(QString());
        lists.add_entry(ListId::Gumps); // the spacer alone
        QCOMPARE(lists.list_text(ListId::Gumps), u"GUMPS WILL LOAD HERE\r\n"_s + spaces(37));

        lists.clear_list(ListId::Gumps);
        lists.add_entry(ListId::Gumps); // stays empty
        QCOMPARE(lists.list_text(ListId::Gumps), QString());
        lists.add_entry(ListId::Gumps);
        QCOMPARE(lists.list_text(ListId::Gumps), QString());
    }

    void onlyExactlyEmptyCountsAsEmpty()
    {
        // A list the user emptied by hand is "" like after Clear; a list of
        // spaces or a lone line end still gets the spacer.
        scp::MemoryEntryLists set;
        auto& lists = set.lists();
        set.field(ListId::Tiles).setText(u"E"_s);
        lists.set_list_text(ListId::Tiles, QString());
        lists.add_entry(ListId::Tiles);
        QCOMPARE(lists.list_text(ListId::Tiles), u"E"_s);

        lists.set_list_text(ListId::Tiles, u"\n"_s);
        lists.add_entry(ListId::Tiles);
        QCOMPARE(lists.list_text(ListId::Tiles), u"\r\n"_s + spaces(37) + u"E"_s);

        lists.set_list_text(ListId::Tiles, u" "_s);
        lists.add_entry(ListId::Tiles);
        QCOMPARE(lists.list_text(ListId::Tiles), spaces(38) + u"E"_s);
    }

    void appendMatchesTheWholeTextRewrite()
    {
        // Add appends once; the text it leaves must be the one two whole-text
        // rewrites (text + spacer, then text + entry) leave, whatever the list
        // and the entry hold.
        const QString starts[] = {QString(), u"GUMPS WILL LOAD HERE\r\n"_s, u"a\r\nb"_s,
                                  u"x\r\n\r\n"_s, u"\t"_s};
        const QString entries[] = {QString(), u"E"_s, u"two\nlines"_s, u"ends in CR\r"_s,
                                   u"\u00A0nbsp\u0081"_s};
        for (const QString& start : starts) {
            for (const QString& entry : entries) {
                scp::MemoryEntryLists set;
                set.lists().set_list_text(ListId::Gumps, start);
                set.field(ListId::Gumps).setText(entry);
                set.lists().add_entry(ListId::Gumps);

                scp::MemoryTextBox reference(start);
                if (reference.text() != QString())
                    reference.setText(reference.text() + spaces(37));
                reference.setText(reference.text() + entry);
                QCOMPARE(set.lists().list_text(ListId::Gumps), reference.text());
            }
        }
    }

    void boxHoldingFileBytesActsAsText()
    {
        // A loaded file is kept as bytes until its text is needed; the box
        // must not behave any differently for it.
        scp::MemoryTextBox box;
        box.setEncoded({QByteArray("caf\xE9\n"), QByteArray(), QByteArray("\x80\rx")});
        QVERIFY(!box.isEmpty());
        QCOMPARE(box.text(), u"caf\u00E9\r\n\u20AC\r\nx"_s);
        QCOMPARE(box.encoded().bytes, QByteArray("caf\xE9\r\n\x80\r\nx"));
        box.select(3, 3);
        QCOMPARE(box.selectedText(), u"\u00E9\r\n"_s);
        box.appendText(u"\u015F"_s);
        QCOMPARE(box.text(), u"caf\u00E9\r\n\u20AC\r\nx\u015F"_s);
        QVERIFY(!box.encoded().ok());
        box.setEncoded({QByteArray(), QByteArray()});
        QVERIFY(box.isEmpty());
        QCOMPARE(box.text(), QString());

        // Add onto a list loaded from a file.
        scp::MemoryEntryLists set;
        set.box(ListId::Gumps).setFileContent(QByteArray("0x01 a.bmp 1 1"));
        set.field(ListId::Gumps).setText(u"0x02 b.bmp 2 2"_s);
        set.lists().add_entry(ListId::Gumps);
        QCOMPARE(set.lists().list_text(ListId::Gumps),
                 u"0x01 a.bmp 1 1"_s + spaces(37) + u"0x02 b.bmp 2 2"_s);
    }

    void clearLeavesTheFieldAlone()
    {
        scp::MemoryEntryLists set;
        set.field(ListId::Items).setText(u"kept"_s);
        set.lists().clear_list(ListId::Items);
        QCOMPARE(set.lists().list_text(ListId::Items), QString());
        QCOMPARE(set.field(ListId::Items).text(), u"kept"_s);
        QCOMPARE(set.lists().list_text(ListId::Gumps), scp::list_placeholder(ListId::Gumps));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TextBoxContract contract({
        [] { return std::make_unique<scp::MemoryTextBox>(); },
        [](scp::TextBox& box, qsizetype start, qsizetype length) {
            static_cast<scp::MemoryTextBox&>(box).select(start, length);
        },
        [](scp::TextBox& box, scp::MouseButton button) {
            static_cast<scp::MemoryTextBox&>(box).pressMouse(button);
        },
    });
    EntryListsTest lists;
    int failures = QTest::qExec(&contract, argc, argv);
    failures += QTest::qExec(&lists, argc, argv);
    return failures;
}

#include "tst_entry_lists.moc"
