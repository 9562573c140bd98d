// The import fed bytes of every kind, from a fixed seed: random lists and
// patch info come back from the script they were compiled into, and mutated
// or random scripts never crash it, hang it or make it answer out of range.
// Run under the sanitizer build, it also catches reads past a buffer.

#include "fail_on_warnings.h"
#include "script_assembly.h"
#include "test_files.h"

#include "line_ends.h"
#include "script_import.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using Lists = std::array<QByteArray, 3>;

namespace {

// Pieces a script's structure is made of, so that mutations reach the
// importer's every branch rather than only its "no sections" answer.
const QList<QByteArray> kTokens{
    "SECTION TILES", "SECTION GUMPS", "section items", "SECTION SCRIPTINFO", "SECTION GODWALK",
    "{",             "}",             "\r\n",          "\n",                 "\r",
    "//",            " ",             "\t",            "NAME ",              "CREATOR ",
    "EMAIL ",        "& ",            "0",             "1",                  "GUMPS WILL LOAD HERE",
};

class Fuzzer {
public:
    explicit Fuzzer(quint32 seed) : m_random(seed) {}

    int below(int n) { return int(m_random.bounded(n)); }

    // Any bytes a list can hold: every byte but lone line ends, with
    // spacers, line breaks and the script's own words in between.
    QByteArray list()
    {
        QByteArray bytes;
        for (int pieces = below(12); pieces-- > 0;) {
            switch (below(4)) {
            case 0:
                bytes += QByteArray(1 + below(90), ' ');
                break;
            case 1:
                bytes += "\r\n";
                break;
            case 2:
                bytes += kTokens[below(int(kTokens.size()))];
                break;
            default:
                for (int n = below(20); n-- > 0;)
                    bytes += char(below(256));
            }
        }
        return normalizedList(bytes);
    }
    // As a list's box holds it: lone CRs and LFs become CR LF.
    static QByteArray normalizedList(const QByteArray& bytes) { return scp::normalizeLineEnds(bytes); }

    QString value()
    {
        QString text;
        for (int n = below(12); n-- > 0;) {
            const QByteArray byte(1, char(below(256)));
            if (byte != "\r" && byte != "\n")
                text += scp::decodeCp1252(byte);
        }
        return text;
    }
    std::optional<scp::PatchInfo> patchInfo()
    {
        if (below(3) == 0)
            return std::nullopt;
        return scp::PatchInfo{value(), value(), value(), below(2) == 0};
    }

    // 1 to 8 changes: a byte flipped, a token put in, a stretch cut out or
    // doubled.
    QByteArray mutated(QByteArray bytes)
    {
        for (int changes = 1 + below(8); changes-- > 0;) {
            const int at = below(int(bytes.size()) + 1);
            const int length = below(int(std::min<qsizetype>(200, bytes.size() - at)) + 1);
            switch (below(4)) {
            case 0:
                if (at < bytes.size())
                    bytes[at] = char(below(256));
                break;
            case 1:
                bytes.insert(at, kTokens[below(int(kTokens.size()))]);
                break;
            case 2:
                bytes.remove(at, length);
                break;
            default:
                bytes.insert(at, bytes.mid(at, length));
            }
        }
        return bytes;
    }

private:
    QRandomGenerator m_random;
};

qsizetype lineCount(const QByteArray& bytes)
{
    return scp::normalizeLineEnds(bytes).count("\r\n") + 1;
}

} // namespace

class ScriptImportFuzzTest : public QObject {
    Q_OBJECT

    // The lists and patch info come back from their script, and through
    // patch.ini the patch info stays the same.
    static void comesBack(const Lists& lists, const std::optional<scp::PatchInfo>& info)
    {
        const scp::ScriptImport imported = scp::importScript(assembledScript(lists, info));
        QVERIFY2(imported.script, qPrintable(imported.error));
        for (size_t i = 0; i < lists.size(); ++i)
            COMPARE_BYTES(imported.script->lists[i], lists[i]);
        QCOMPARE(imported.script->patchInfo, info);
        QCOMPARE(imported.script->warnings.size(), qsizetype(0));
        if (info) {
            const scp::PatchInfoRead read = scp::parsePatchInfo(scp::patchInfoBytes(*info));
            QCOMPARE(read.problems.size(), qsizetype(0));
            QCOMPARE(read.info, *info);
        }
    }

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void randomListsComeBack()
    {
        Fuzzer fuzz(20261207);
        for (int run = 0; run < 400; ++run) {
            comesBack({fuzz.list(), fuzz.list(), fuzz.list()}, fuzz.patchInfo());
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(u"run %1"_s.arg(run)));
        }
    }

    // Whatever a mutated golden script or random bytes make of the import,
    // an answer within the script's lines; and lists it gives come back
    // from the script they compile into.
    void anyBytesAnswered()
    {
        Fuzzer fuzz(7);
        QList<QByteArray> seeds;
        for (const QString& name :
             QDir(QStringLiteral(SCP_TEST_DATA "/scripts")).entryList(QDir::Files))
            seeds.append(readGolden(u"scripts/"_s + name));
        seeds.append("SECTION TILES\n{\n// c\nt\n}\nSECTION GUMPS\n{\n\n}\nSECTION ITEMS\n{\n}\n");
        for (int run = 0; run < 1500; ++run) {
            QByteArray bytes;
            if (run % 5 == 4) {
                for (int n = fuzz.below(400); n-- > 0;)
                    bytes += fuzz.below(3) == 0 ? kTokens[fuzz.below(int(kTokens.size()))]
                                                : QByteArray(1, char(fuzz.below(256)));
            } else {
                bytes = fuzz.mutated(seeds[fuzz.below(int(seeds.size()))]);
            }
            const scp::ScriptImport imported = scp::importScript(bytes);
            const qsizetype lines = lineCount(bytes);
            if (!imported.script) {
                QVERIFY(!imported.error.isEmpty());
                QVERIFY(imported.errorLine >= 0 && imported.errorLine <= lines);
                continue;
            }
            for (const scp::ImportWarning& warning : imported.script->warnings)
                QVERIFY(warning.line >= 1 && warning.line <= lines && warning.column >= 1);
            comesBack(imported.script->lists, imported.script->patchInfo);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(u"run %1: %2"_s.arg(run).arg(QString::fromLatin1(bytes.toHex()))));
        }
    }
};

QTEST_GUILESS_MAIN(ScriptImportFuzzTest)
#include "tst_script_import_fuzz.moc"
