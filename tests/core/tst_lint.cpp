#include "bmp_header.h"
#include "fail_on_warnings.h"
#include "lint.h"
#include "test_files.h"

#include <QDataStream>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;
using scp::LintRule;
using scp::ListId;

namespace {

QByteArray bmp(quint32 dibSize, qint32 width, qint32 height)
{
    QByteArray bytes = "BM" + QByteArray(12, '\0');
    QDataStream out(&bytes, QIODevice::Append);
    out.setByteOrder(QDataStream::LittleEndian);
    out << dibSize;
    if (dibSize == 12)
        out << quint16(width) << quint16(height);
    else
        out << width << height;
    bytes.resize(14 + std::max<qsizetype>(dibSize, 12), '\0');
    return bytes;
}

} // namespace

class LintTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<scp::PictureFolder> m_folder;

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void initTestCase()
    {
        QVERIFY(writeBytes(m_dir.filePath(u"cloak.bmp"_s), bmp(40, 64, 32)));
        QVERIFY(writeBytes(m_dir.filePath(u"100%1.bmp"_s), bmp(40, 64, 32))); // no .arg()
        QVERIFY(writeBytes(m_dir.filePath(u"cloak.png"_s), "PNG"));
        QVERIFY(writeBytes(m_dir.filePath(u"Case.BMP"_s), bmp(40, 1, 1)));
        QVERIFY(writeBytes(m_dir.filePath(u"broken.bmp"_s), bmp(40, 1, 1).left(30))); // cut short
        QVERIFY(writeBytes(m_dir.filePath(u"core.bmp"_s), bmp(12, 0x1234, 7))); // 16-bit sizes
        QVERIFY(writeBytes(m_dir.filePath(u"down.bmp"_s), bmp(124, 3, -5)));    // rows top-down
        QVERIFY(writeBytes(m_dir.filePath(u"os2.bmp"_s), bmp(16, 5, 6)));       // OS/2's, cut short
        QVERIFY(writeBytes(m_dir.filePath(u"os2full.bmp"_s), bmp(64, 70000, 8)));
        QVERIFY(writeBytes(m_dir.filePath(u"flat.bmp"_s), bmp(12, 7, 0))); // no pixels
        m_folder = std::make_unique<scp::PictureFolder>(m_dir.path());
    }

    // Missing and unreadable are told apart, and a rewritten picture is read again.
    void pictureCache()
    {
        using State = scp::PictureInfo::State;
        scp::BmpHeaderCache cache;
        const QString path = m_dir.filePath(u"changing.bmp"_s);
        QCOMPARE(cache.lookup(path).state, State::Missing);
        QVERIFY(writeBytes(path, bmp(40, 5, 6)));
        QCOMPARE(cache.lookup(path).size, (scp::BmpSize{5, 6}));
        QVERIFY(writeBytes(path, bmp(12, 7, 8))); // shorter: read again however soon
        QCOMPARE(cache.lookup(path).size, (scp::BmpSize{7, 8}));
        QVERIFY(writeBytes(path, "plain text"));
        QCOMPARE(cache.lookup(path).state, State::Unreadable);
#ifndef Q_OS_WIN                                            // Windows has no FIFOs in its folders
        const QString fifo = m_dir.filePath(u"fifo.bmp"_s); // refused, never waited on
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QCOMPARE(cache.lookup(fifo).reason, u"it is not a regular file (a FIFO)"_s);
#endif
    }

    // Each rule: a text that breaks it and nothing else (the one finding
    // marks `marked`, its message holds `message`), and one that does not
    // (`marked` empty).
    void rules_data()
    {
        QTest::addColumn<ListId>("list");
        QTest::addColumn<QString>("text");
        QTest::addColumn<LintRule>("rule");
        QTest::addColumn<QString>("marked");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, ListId list, const QString& text, LintRule rule,
                            const QString& marked = {}, const QString& message = {}) {
            QTest::newRow(name) << list << text << rule << marked << message;
        };
        const ListId gumps = ListId::Gumps, tiles = ListId::Tiles, items = ListId::Items;
        row("placeholder", gumps, u"GUMPS WILL LOAD HERE\r\n"_s + QString(37, u' '),
            LintRule::Placeholder, u"GUMPS WILL LOAD HERE"_s,
            u"placeholder \"GUMPS WILL LOAD HERE\""_s);
        row("another list's placeholder", gumps, u"TILES WILL LOAD HERE"_s, LintRule::Placeholder);
        row("hint", tiles, u"0x1 cloak.bmp 64 32  HexID Filename.bmp Width Height"_s,
            LintRule::Hint, u"HexID Filename.bmp Width Height"_s, u"hint"_s);
        row("another list's hint", items, u"HexID Filename.bmp Width Height"_s, LintRule::Hint);
        row("trailing space", gumps, u"0x1 cloak.bmp 64 32 \r\n"_s, LintRule::FieldCount,
            u"0x1 cloak.bmp 64 32 "_s, u"has 5 fields"_s);
        row("item without name", items, u"0x1 0 0 0 0 0 1 0 0"_s, LintRule::FieldCount,
            u"0x1 0 0 0 0 0 1 0 0"_s, u"has 9 fields, an item needs at least 10"_s);
        row("item name with spaces", items, u"0x1 0 0 0 0 0 1 0 0 Mantle of Night"_s,
            LintRule::FieldCount);
        row("hex id", tiles, u"0xG1 cloak.bmp 64 32"_s, LintRule::HexId, u"0xG1"_s,
            u"hex id \"0xG1\" is not a hexadecimal number"_s);
        row("hex ids", tiles, u"0X0f00 cloak.bmp 64 32  F01 cloak.bmp 64 32"_s, LintRule::HexId);
        row("height", gumps, u"0x1 cloak.bmp 64 0x"_s, LintRule::Number, u"0x"_s,
            u"height \"0x\" is not a number"_s);
        row("hex numbers", items, u"0x1 0x0 0 0 0 0xFF 0x1 0 0 n"_s, LintRule::Number);
        row("picture name", gumps, u"0x1 cloak.png 64 32"_s, LintRule::PictureName, u"cloak.png"_s,
            u"does not end in .bmp"_s);
        row("picture name in capitals", gumps, u"0x1 Case.BMP 1 1"_s, LintRule::PictureName);
        row("picture missing", gumps, u"0x1 gone.bmp 1 1"_s, LintRule::PicturePresent,
            u"gone.bmp"_s, u"picture \"gone.bmp\" is not in "_s);
        // A folder that ignores case (Windows') finds the picture as named.
        if (QFileInfo::exists(m_dir.filePath(u"CASE.bmp"_s)))
            row("picture under another case", gumps, u"0x1 case.bmp 1 1"_s,
                LintRule::PicturePresent);
        else
            row("picture under another case", gumps, u"0x1 case.bmp 1 1"_s,
                LintRule::PicturePresent, u"case.bmp"_s,
                u"only \"Case.BMP\", which differs in case"_s);
        row("picture size", gumps, u"0x1 100%1.bmp 120 200"_s, LintRule::PictureSize, u"120 200"_s,
            u"\"100%1.bmp\" is 64 x 32 pixels, the entry says 120 x 200"_s);
        row("picture not a BMP", tiles, u"0x1 broken.bmp 1 1"_s, LintRule::PictureSize,
            u"broken.bmp"_s, u"\"broken.bmp\" is not a readable BMP"_s);
        row("picture of no pixels", tiles, u"0x1 flat.bmp 7 0"_s, LintRule::PictureSize,
            u"flat.bmp"_s, u"its header gives 7 x 0 pixels"_s);
        row("picture sizes", tiles,
            u"0x1 cloak.bmp 0x40 0x20  0x2 core.bmp 4660 7  0x3 down.bmp 3 5  "
            u"0x4 os2.bmp 5 6  0x5 os2full.bmp 70000 8"_s,
            LintRule::PictureSize);
        row("duplicate id", gumps, u"0x0F00 cloak.bmp 64 32\r\nF00 cloak.bmp 64 32"_s,
            LintRule::DuplicateId, u"F00"_s,
            u"id F00 is already used by gump 0x0F00 on line 1, column 1"_s);
        row("long animations", items,
            u"1 0 0 0 0 1 1 18446744073709551616 0 a  2 0 0 0 0 1 1 0 0 "
            u"b  3 0 0 0 0 1 1 0x10000000000000000 0 c"_s,
            LintRule::SharedAnimation, u"0x10000000000000000"_s,
            u"animation 0x10000000000000000 is already used by item 1"_s);
        row("distinct ids", gumps, u"0x0F00 cloak.bmp 64 32  0F01 cloak.bmp 64 32"_s,
            LintRule::DuplicateId);
        row("layer unused", items, u"0x1 0 0 0 0 0 9 0 0 n"_s, LintRule::Layer, u"9"_s,
            u"layer 9 is unused (layers run 1 to 29, 9 and 15 unused)"_s);
        row("layer too high", items, u"0x1 0 0 0 0 0 0x1E 0 0 n"_s, LintRule::Layer, u"0x1E"_s,
            u"layer 0x1E is out of range"_s);
        row("layers in range", items, u"0x1 0 0 0 0 0 29 0 0 a  0x2 0 0 0 0 0 0x1 1 0 b"_s,
            LintRule::Layer);
        row("shared animation", items, u"0x1 0 0 0 0 0 1 58 0 a  0x2 0 0 0 0 0 1 0x3A 0 b"_s,
            LintRule::SharedAnimation, u"0x3A"_s,
            u"animation 0x3A is already used by item 0x1 on line 1, column 1"_s);
        row("own animations", items, u"0x1 0 0 0 0 0 1 58 0 a  0x2 0 0 0 0 0 1 59 0 a"_s,
            LintRule::SharedAnimation);
    }
    void rules()
    {
        QFETCH(ListId, list);
        QFETCH(QString, text);
        QFETCH(LintRule, rule);
        QFETCH(QString, marked);
        QFETCH(QString, message);
        const auto all = scp::lintList(scp::lintRules(list), text, m_folder.get());
        if (marked.isEmpty()) {
            QVERIFY(std::none_of(all.begin(), all.end(), [&](auto& f) { return f.rule == rule; }));
            return;
        }
        QCOMPARE(all.size(), 1);
        QCOMPARE(all[0].rule, rule);
        QCOMPARE(text.mid(all[0].position, all[0].length), marked);
        QVERIFY2(all[0].message.contains(message), qPrintable(all[0].message));
    }

    void lineAndColumn()
    {
        const scp::LineIndex lines(u"ab\r\ncd\ref\ngh\n"_s);
        const std::pair<qsizetype, scp::TextPoint> points[] = {
            {0, {1, 1}}, {3, {1, 4}},  {4, {2, 1}}, {6, {2, 3}},
            {7, {3, 1}}, {10, {4, 1}}, {13, {5, 1}}};
        for (const auto& [position, point] : points)
            QCOMPARE(lines.at(position), point);
        QCOMPARE(scp::formatWarning(u"100%1/items.scp"_s, {2, 7}, u"layer 9 is unused"_s),
                 u"100%1/items.scp:2:7: warning: layer 9 is unused"_s);
    }

    // Random edits: what an update leaves must equal reading the text anew.
    void updateMatchesReadingAnew()
    {
        const QStringList pieces =
            u" |  |\r\n|\r|\n|0x1|F|9|0x3A|58|cloak.bmp|x|0 0 0 0 0 1 0x3A 0 n|"
            u"GUMPS WILL LOAD HERE"_s.split(u'|');
        QRandomGenerator random(20240610);
        const auto randomText = [&](int count) {
            QString text;
            for (int i = 0; i < count; ++i)
                text += pieces[random.bounded(int(pieces.size()))];
            return text;
        };
        for (const ListId list : {ListId::Gumps, ListId::Items}) {
            QString text = randomText(60);
            scp::ListLint lint(scp::lintRules(list), m_folder.get());
            lint.setText(text);
            for (int edit = 0; edit < 400; ++edit) {
                const int position = random.bounded(int(text.size()) + 1);
                const int removed = random.bounded(std::min(int(text.size()) - position, 8) + 1);
                const QString added = randomText(random.bounded(3));
                text.replace(position, removed, added);
                lint.update(text, position, removed, added.size());

                scp::ListLint fresh(scp::lintRules(list), m_folder.get());
                fresh.setText(text);
                QCOMPARE(lint.findings(), fresh.findings());
                const qsizetype from = random.bounded(int(text.size()) + 1);
                const qsizetype to = from + random.bounded(20);
                QList<scp::LintFinding> window = fresh.findings();
                window.removeIf([&](const scp::LintFinding& f) {
                    return f.position >= to || f.position + f.length <= from;
                });
                QCOMPARE(lint.findings(from, to), window);
                QCOMPARE(lint.lineColumn(from), scp::LineIndex(text).at(from));
            }
        }
    }

    // Reading in steps with edits between them ends as reading at once.
    void readingInStepsAcrossEdits()
    {
        QRandomGenerator random(7);
        QString text = u"0x1 0 0 0 0 0 1 58 0 a  0x1 0 0 0 0 0 9 0x3A 0 b\r\n"_s.repeated(20);
        for (int round = 0; round < 40; ++round) {
            scp::ListLint lint(scp::lintRules(ListId::Items)), fresh(scp::lintRules(ListId::Items));
            lint.startText(text);
            for (int edit = 0; edit < 12; ++edit) {
                lint.readMore(random.bounded(80));
                const int position = random.bounded(int(text.size()) + 1);
                const int removed = random.bounded(std::min(int(text.size()) - position, 6) + 1);
                const QString added = u"  \n0x1 9"_s.sliced(random.bounded(7), random.bounded(3));
                lint.update(text.replace(position, removed, added), position, removed,
                            added.size());
            }
            QVERIFY(lint.readMore(text.size()));
            fresh.setText(text);
            QCOMPARE(lint.findings(), fresh.findings());
        }
    }
};

QTEST_GUILESS_MAIN(LintTest)
#include "tst_lint.moc"
