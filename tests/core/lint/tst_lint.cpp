#include "fail_on_warnings.h"
#include "lint/lint.h"
#include "lint/whole_list_lint.h"
#include "test_files.h"
#include "text/cp1252.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;
using scp::LintRule;
using scp::ListId;

namespace {

// A BMP file's start: 16-bit sizes in a 12-byte DIB header, 32-bit ones in longer ones.
QByteArray bmp(quint32 dibSize, qint32 width, qint32 height)
{
    QByteArray bytes = "BM" + QByteArray(12 + std::max<quint32>(dibSize, 12), '\0');
    qToLittleEndian(dibSize, bytes.data() + 14);
    qToLittleEndian(width, bytes.data() + 18); // its low half first, which is all a 16-bit one is
    qToLittleEndian(height, bytes.data() + (dibSize == 12 ? 20 : 22));
    return bytes;
}

// A list's text as the editor's document gives it: stretches copied out, edited in place.
struct EditedText final : scp::LintText {
    QString text;
    qsizetype size() const override { return text.size(); }
    QStringView slice(qsizetype from, qsizetype to, QString& buffer) const override
    {
        return buffer = text.mid(from, to - from);
    }
};

// The findings of a lint that read its whole text, placed as the check places them.
QList<scp::PlacedFinding> placed(const scp::ListLint& lint)
{
    QList<scp::PlacedFinding> out;
    for (const scp::LintFinding& finding : lint.findings())
        out.append(
            {finding, lint.lineColumn(finding.position), lint.entryNumber(finding.position)});
    return out;
}

} // namespace

class LintTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    scp::PictureFolder m_folder{m_dir.path()};

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void initTestCase()
    {
        const std::pair<const char16_t*, QByteArray> pictures[] = {
            {u"cloak.bmp", bmp(40, 64, 32)},
            {u"100%1.bmp", bmp(40, 64, 32)}, // a name no .arg() may take for a placeholder
            {u"cloak.png", "PNG"},
            {u"Case.BMP", bmp(40, 1, 1)},
            {u"broken.bmp", bmp(40, 1, 1).left(30)}, // cut short
            {u"core.bmp", bmp(12, 0x1234, 7)},       // 16-bit sizes
            {u"os2.bmp", bmp(16, 5, 6)},             // OS/2's, cut to its shortest
            {u"os2full.bmp", bmp(64, 70000, 8)},     // and whole
            {u"down.bmp", bmp(124, 3, -5)},          // rows top-down
            {u"flat.bmp", bmp(12, 7, 0)},            // no pixels
        };
        for (const auto& [name, bytes] : pictures)
            QVERIFY(writeBytes(m_dir.filePath(QString::fromUtf16(name)), bytes));
#ifndef Q_OS_WIN // Windows has no FIFOs in its folders
        QVERIFY(::mkfifo(QFile::encodeName(m_dir.filePath(u"fifo.bmp"_s)).constData(), 0600) == 0);
#endif
    }

    // Each rule: a text that breaks it and nothing else, the one finding marking what is
    // in [brackets] with a message holding `message`; or a text that breaks none.
    void rules_data()
    {
        QTest::addColumn<ListId>("list");
        QTest::addColumn<QString>("text");
        QTest::addColumn<LintRule>("rule");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, ListId list, QStringView text, LintRule rule = {},
                            QStringView message = {}) {
            QTest::newRow(name) << list << text.toString() << rule << message.toString();
        };
        using R = LintRule;
        const ListId gumps = ListId::Gumps, tiles = ListId::Tiles, items = ListId::Items;
        row("pictures", tiles,
            u"0X0f00 cloak.bmp 0x40 0x20  F01 core.bmp 4660 7  0x3 down.bmp 3 5  "
            u"0x4 os2.bmp 5 6  0x5 os2full.bmp 70000 8  6 Case.BMP 1 1");
        row("items", items,
            u"0x1 0x0 0 0 0 0xFF 0x1 58 0 Mantle of Night  0x2 0 0 0 0 0 29 59 0 a");
        row("placeholder", gumps, u"[GUMPS WILL LOAD HERE]\r\n"_s + QString(37, u' '),
            R::Placeholder, u"placeholder \"GUMPS WILL LOAD HERE\"");
        row("another list's placeholder", items, u"[GUMPS WILL LOAD HERE]", R::FieldCount,
            u"has 4 fields");
        row("hint", tiles, u"0x1 cloak.bmp 64 32  [HexID Filename.bmp Width Height]", R::Hint,
            u"hint");
        row("another list's hint", items, u"[HexID Filename.bmp Width Height]", R::FieldCount,
            u"has 4 fields");
        row("trailing space", gumps, u"[0x1 cloak.bmp 64 32 ]\r\n", R::FieldCount, u"has 5 fields");
        row("item without name", items, u"[0x1 0 0 0 0 0 1 0 0]", R::FieldCount,
            u"has 9 fields, an item needs at least 10");
        row("hex id", tiles, u"[0xG1] cloak.bmp 64 32", R::HexId,
            u"hex id \"0xG1\" is not a hexadecimal number");
        row("width", gumps, u"0x1 cloak.bmp [abc] 32", R::Number, u"width \"abc\" is not a number");
        row("height", gumps, u"0x1 cloak.bmp 64 [0x]", R::Number, u"height \"0x\" is not a number");
        row("picture name", gumps, u"0x1 [cloak.png] 64 32", R::PictureName,
            u"does not end in .bmp");
        row("picture missing", gumps, u"0x1 [gone.bmp] 1 1", R::PicturePresent,
            u"picture \"gone.bmp\" is not in ");
        // A folder that ignores case (Windows') finds the picture as named.
        row("picture under another case", gumps,
            QFileInfo::exists(m_dir.filePath(u"CASE.bmp"_s)) ? u"0x1 case.bmp 1 1"
                                                             : u"0x1 [case.bmp] 1 1",
            R::PicturePresent, u"only \"Case.BMP\", which differs in case");
        row("picture size", gumps, u"0x1 100%1.bmp [120 200]", R::PictureSize,
            u"\"100%1.bmp\" is 64 x 32 pixels, the entry says 120 x 200");
        row("picture height 0", gumps, u"0x1 cloak.bmp 64 [0]", R::PictureSize,
            u"is 64 x 32 pixels, the entry says 64 x 0");
        row("picture not a BMP", tiles, u"0x1 [broken.bmp] 1 1", R::PictureSize,
            u"\"broken.bmp\" is not a readable BMP");
        row("picture of no pixels", tiles, u"0x1 [flat.bmp] 7 0", R::PictureSize,
            u"its header gives 7 x 0 pixels");
#ifndef Q_OS_WIN // refused, never waited on
        row("picture a FIFO", tiles, u"0x1 [fifo.bmp] 1 1", R::PictureSize,
            u"not a regular file (a FIFO)");
#endif
        row("duplicate id", gumps, u"0x0F00 cloak.bmp 64 32\r\n[F00] cloak.bmp 64 32",
            R::DuplicateId, u"id F00 is already used by gump 0x0F00 on line 1, column 1");
        // Past 64 bits a number is compared by its digits: the decimal one is another animation.
        row("long animations", items,
            u"1 0 0 0 0 1 1 0x10000000000000000 0 a  2 0 0 0 0 1 1 18446744073709551616 0 "
            u"b  3 0 0 0 0 1 1 [0x0010000000000000000] 0 c",
            R::SharedAnimation, u"animation 0x0010000000000000000 is already used by item 1");
        row("largest animations", items,
            u"1 0 0 0 0 1 1 18446744073709551615 0 a  2 0 0 0 0 1 1 [0xFFFFFFFFFFFFFFFF] 0 b",
            R::SharedAnimation, u"already used by item 1");
        row("layer unused", items, u"0x1 0 0 0 0 0 [9] 0 0 n", R::Layer,
            u"layer 9 is unused (layers run 1 to 29, 9 and 15 unused)");
        row("layer too high", items, u"0x1 0 0 0 0 0 [0x1E] 0 0 n", R::Layer,
            u"layer 0x1E is out of range");
        // An entry past the longest is that one finding, with no key for later entries to repeat.
        row("long entry", items,
            u"[0x1 0 0 0 0 0 1 58 0 "_s + QString(scp::kLongestEntry, u'n') +
                u"]  0x1 0 0 0 0 0 1 58 0 b"_s,
            R::LongEntry, u"the entry has 4117 characters, more than the 4096 an entry can have");
        row("longest entry", gumps, u'[' + QString(scp::kLongestEntry, u'x') + u']', R::FieldCount,
            u"has 1 field");
        row("shared animation", items, u"0x1 0 0 0 0 0 1 58 0 a  0x2 0 0 0 0 0 1 [0x3A] 0 b",
            R::SharedAnimation, u"animation 0x3A is already used by item 0x1 on line 1, column 1");
    }
    void rules()
    {
        QFETCH(ListId, list);
        QFETCH(QString, text);
        QFETCH(LintRule, rule);
        QFETCH(QString, message);
        const qsizetype from = text.indexOf(u'['), to = text.indexOf(u']') - 1;
        text.remove(u'[').remove(u']');
        scp::ListLint lint(scp::lintRules(list), &m_folder);
        lint.setText(text);
        // The check's lint, from the bytes, finds the same.
        QCOMPARE(scp::lintWholeList(scp::encodeCp1252(text).bytes, scp::lintRules(list), &m_folder),
                 placed(lint));
        const auto all = lint.findings();
        QVERIFY2(all.size() == (from < 0 ? 0 : 1), qPrintable(all.value(0).message));
        if (all.isEmpty())
            return;
        QCOMPARE(all[0].rule, rule);
        QCOMPARE(std::pair(all[0].position, all[0].length), std::pair(from, to - from));
        QVERIFY2(all[0].message.contains(message), qPrintable(all[0].message));
    }

    void lineColumnAndEntry()
    {
        scp::ListLint lint(scp::lintRules(ListId::Items));
        lint.setText(u"ab\r\ncd\ref\ngh  i\n"_s);
        const std::tuple<qsizetype, scp::TextPoint, qsizetype> points[] = {
            {0, {1, 1}, 1}, {3, {1, 4}, 2},  {4, {2, 1}, 2},  {6, {2, 3}, 3},
            {7, {3, 1}, 3}, {10, {4, 1}, 4}, {14, {4, 5}, 5}, {16, {5, 1}, 6}};
        for (const auto& [position, point, entry] : points) {
            QCOMPARE(lint.lineColumn(position), point);
            QCOMPARE(lint.entryNumber(position), entry);
        }
        QCOMPARE(scp::formatWarning(u"100%1/items.scp"_s, {2, 7}, u"layer 9 is unused"_s, 12),
                 u"100%1/items.scp:2:7: warning: layer 9 is unused [entry 12]"_s);
    }

    // Random lists of every kind of byte, ids out of order and repeated, more keys
    // and picture names than a first table holds: the check's lint, from the
    // bytes or from the text, finds what the editor's finds, where it does.
    void wholeListMatchesListLint()
    {
        const auto split = [](QByteArray bytes) { return bytes.split('|'); };
        const QList<QByteArray> pieces = split(
            " |  |   |\r\n|\r|\n|\r\r\n|\t|\x01|\x80|\x81|\xff|x|0x3A|58|0 0 0 0 0 1 0x3A 0 n|"
            "cloak.bmp 64 32|case.bmp 1 1|core.bmp 1 1|down.bmp 3 5|broken.bmp 1 1|"
            "cloak.png 5 6|18446744073709551616|GUMPS WILL LOAD HERE|"
            "HexID Filename.bmp Width Height|" +
            QByteArray(scp::kLongestEntry - 6, 'x')); // with its neighbours, too long or not
        // Entries of their own, many of them right, read straight from the bytes: ids,
        // sizes, layers and animations at the edges of what that reads, and just past them.
        const QList<QByteArray> ids =
            split("0X00000000000000000003a|FFFFFFFFFFFFFFFF|1FFFFFFFFFFFFFFFF|10000000000000000");
        // # a number, mostly one of its own: a picture's, a layer or an animation
        const QList<QByteArray> bodies[] = {
            {"p#.bmp 1 2"},
            {"0 0 0 0 1 # 0 n"},
            split(
                "cloak.bmp 64 32|cloak.bmp 64 320|cloak.bmp 064 32|broken.bmp 0 0|"
                "cloak.bmp 999999999999999999 1000000000000000000|0 0 0 0 1 5 58 0 Cloak of Night|"
                "0 0 0 0 1 29 00# 0 n|a 0 0 0 1 5 # 0 n|0 0 0 0 1 15 # 0 n|0 0 0 0 1 30 # 0 n|"
                "0 0 0 0 1 0 # 0 n|0 0 0 0 1 1 999999999999999999 0 n|"
                "0 0 0 0 1 1 18446744073709551615 0 n")};
        QRandomGenerator random(20261207);
        const auto pick = [&](const QList<QByteArray>& from) {
            return from[random.bounded(int(from.size()))];
        };
        for (int round = 0; round < 36; ++round) {
            const auto list = ListId(round % 3);
            QByteArray bytes;
            for (int i = 0; i < (round < 30 ? 80 : 3000); ++i) {
                if (random.bounded(3) == 0) {
                    const int kind = random.bounded(3), top[] = {90, 400, 1000};
                    const QByteArray number = QByteArray::number(random.bounded(top[kind]));
                    const QByteArray id =
                        random.bounded(4)
                            ? QByteArray::number(random.bounded(round < 30 ? 20 : 2000), 16)
                            : pick(ids);
                    bytes += id + ' ' + QByteArray(pick(bodies[kind])).replace('#', number) + "  ";
                }
                bytes += pick(pieces);
            }
            scp::ListLint lint(scp::lintRules(list), &m_folder);
            lint.setText(scp::decodeCp1252(bytes));
            const QList<scp::PlacedFinding> expected = placed(lint);
            QCOMPARE(scp::lintWholeList(bytes, scp::lintRules(list), &m_folder), expected);
            QCOMPARE(scp::lintWholeList(scp::decodeCp1252(bytes), scp::lintRules(list), &m_folder),
                     expected);
        }
    }

    // Random edits, some while the text is still read in steps: once read, the lint
    // must hold what reading the text anew gives, in every stretch and at every line.
    void editsMatchReadingAnew()
    {
        const QStringList pieces =
            u" |  |\r\n|\r|\n|0x1|F|9|0x3A|58|cloak.bmp|x|0 0 0 0 0 1 0x3A 0 n|"
            u"0x1FFFFFFFF|1FFFFFFFFFFFFFFFF|0 0 0 0 0 1 4294967296 0 n|GUMPS WILL LOAD HERE"_s
                .split(u'|') +
            QStringList{QString(scp::kLongestEntry - 2, u'x')}; // edits make it too long, or not
        QRandomGenerator random(20240610);
        const auto randomText = [&](int count) {
            QString text;
            for (int i = 0; i < count; ++i)
                text += pieces[random.bounded(int(pieces.size()))];
            return text;
        };
        for (int round = 0; round < 24; ++round) {
            const ListId list = round % 2 ? ListId::Items : ListId::Gumps;
            EditedText text;
            text.text = randomText(60);
            scp::ListLint lint(scp::lintRules(list), &m_folder);
            lint.startReading(text);
            for (int edit = 0; edit < 40; ++edit) {
                lint.readMore(edit < 12 ? random.bounded(80) : text.size());
                // While it is read, often near where reading has got to.
                const int reach = edit < 12 && random.bounded(2) ? 800 : int(text.size());
                const int position = random.bounded(std::min(reach, int(text.size())) + 1);
                const int removed = random.bounded(std::min(int(text.size()) - position, 8) + 1);
                const QString added = randomText(random.bounded(3));
                text.text.replace(position, removed, added);
                lint.edited(position, removed, added.size());
                if (edit < 12)
                    continue;

                scp::ListLint fresh(scp::lintRules(list), &m_folder);
                fresh.setText(text.text);
                QList<scp::LintFinding> window = fresh.findings();
                QCOMPARE(lint.findings(), window);
                const qsizetype from = random.bounded(int(text.size()) + 1);
                const qsizetype to = from + random.bounded(20);
                window.removeIf([&](const scp::LintFinding& f) {
                    return f.position >= to || f.position + f.length <= from;
                });
                QCOMPARE(lint.findings(from, to), window);
                QCOMPARE(lint.lineColumn(from), fresh.lineColumn(from));
                QCOMPARE(lint.entryNumber(from), fresh.entryNumber(from));
                QCOMPARE(lint.entrySpan(from), fresh.entrySpan(from));
            }
        }
    }

    // Entries typed again and again at one place run out the orders between two
    // neighbours, and all are numbered afresh: which entry with an id is first stays right.
    void entriesTypedAtOnePlace()
    {
        EditedText text;
        text.text = u"0x2 a.bmp 1 1  0x1 b.bmp 1 1  0x3 c.bmp 1 1"_s;
        scp::ListLint lint(scp::lintRules(ListId::Gumps)), fresh(scp::lintRules(ListId::Gumps));
        lint.startReading(text);
        lint.readMore(text.size());
        for (int typed = 0; typed < 60; ++typed) {
            const QString entry = u"0x%1 d.bmp 1 1  "_s.arg(typed % 3 + 1);
            const qsizetype at = text.text.indexOf(u"0x1 b");
            text.text.insert(at, entry);
            lint.edited(at, 0, entry.size());
            fresh.setText(text.text);
            QCOMPARE(lint.findings(), fresh.findings());
        }
    }
};

QTEST_GUILESS_MAIN(LintTest)
#include "tst_lint.moc"
