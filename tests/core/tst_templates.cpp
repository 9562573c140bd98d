#include "fail_on_warnings.h"
#include "test_files.h"
#include "project_contacts.h"
#include "templates.h"

#include <QTest>

using namespace Qt::StringLiterals;
using scp::Block;

class TemplatesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void blocksAreExact_data()
    {
        QTest::addColumn<Block>("block");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("tabs");
        QTest::newRow("head") << Block::Head << 35 << 20;
        QTest::newRow("gumps_head") << Block::GumpsHead << 12 << 11;
        QTest::newRow("items_head") << Block::ItemsHead << 44 << 256;
        QTest::newRow("tail") << Block::Tail << 12 << 0;
        QTest::newRow("gap") << Block::Gap << 2 << 0;
    }
    void blocksAreExact()
    {
        // The golden files were made from the block listings independently of
        // this code. The tab counts still hold should both be edited alike,
        // say by an editor that turns tabs into spaces.
        QFETCH(Block, block);
        QFETCH(int, lines);
        QFETCH(int, tabs);
        const QString text = scp::templateText(block);
        const QString golden = u"blocks/%1.txt"_s.arg(QLatin1StringView(QTest::currentDataTag()));
        COMPARE_BYTES(text.toLatin1(), readGolden(golden));
        QCOMPARE(text.toLatin1(), text.toUtf8()); // ASCII: the same bytes in any encoding
        QCOMPARE(text.count(u"\r\n"_s), lines);
        QCOMPARE(text.count(u'\n'), lines); // no lone LF
        QCOMPARE(text.count(u'\t'), tabs);
    }

    void aboutLinksMatchTheBanner()
    {
        const QStringList lines = scp::templateText(Block::Head).split(u"\r\n"_s);
        QVERIFY(lines[4].startsWith(u"//Mail="_s + QLatin1StringView(scp::contacts::kAuthorMail)));
        QVERIFY(
            lines[5].startsWith(u"//Icq="_s + QLatin1StringView(scp::contacts::kContactNumber)));
    }
};

QTEST_GUILESS_MAIN(TemplatesTest)
#include "tst_templates.moc"
