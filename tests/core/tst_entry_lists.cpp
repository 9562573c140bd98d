#include "fail_on_warnings.h"
#include "memory_entry_lists.h"
#include "memory_text_box.h"
#include "text_box_contract.h"

#include <QTest>

using scp::ListId;

class EntryListsTest : public QObject {
    Q_OBJECT

    static QString spaces(int n) { return QString(n, u' '); }

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void appendMatchesTheWholeTextRewrite()
    {
        // Add appends once. The text it leaves must be the one two whole-text
        // rewrites (text + spacer unless the text is exactly "", then text +
        // entry) leave, whatever the list and the entry hold, a list that is
        // a file's bytes included.
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
                        set.lists().setListText(ListId::Gumps, start);
                    set.lists().addEntry(ListId::Gumps, entry);

                    scp::MemoryTextBox reference(start);
                    if (reference.text() != QString())
                        reference.setText(reference.text() + spaces(37));
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
