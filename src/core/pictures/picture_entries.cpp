// New entries from pictures: ids, order, checks and copies.

#include "pictures/picture_entries.h"

#include "files/file_reading.h"
#include "files/file_transaction.h"
#include "pictures/bmp_header.h"
#include "text/cp1252.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QThreadPool>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Upper-case digits without leading zeros ("0" for zero), or empty when
// `field` is not a hexadecimal id.
QString idDigits(QStringView field)
{
    if (field.size() > 2 && field[0] == u'0' && (field[1] == u'x' || field[1] == u'X'))
        field = field.sliced(2);
    if (field.isEmpty() || !std::all_of(field.begin(), field.end(), isHexDigit))
        return {};
    while (field.size() > 1 && field.front() == u'0')
        field = field.sliced(1);
    return field.toString().toUpper();
}

// Both upper-case digits without leading zeros: longer is larger, and of
// one length '0'-'9' sort before 'A'-'F'.
bool idLess(const QString& a, const QString& b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

QString incremented(QString digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        const char16_t c = digits[i].unicode();
        if (c != u'F') {
            digits[i] = QChar(c == u'9' ? u'A' : char16_t(c + 1));
            return digits;
        }
        digits[i] = u'0';
    }
    return u'1' + digits;
}

// Copies are written in this many transactions side by side. Each makes
// its files durable with one sync of the file system where the system has
// one (a sync of each file elsewhere) and syncs its folder once; these waits,
// and creating files where the disk is busy, overlap. A transaction for each
// copy would queue on the folder's syncs, and one for them all would wait
// on every create in turn.
constexpr size_t kCopyBatches = 16;
// A transaction holds each of its files open until it ends, so a drop of
// thousands of pictures is cut into transactions of at most this many:
// with kCopyBatches of them at once, a few hundred files are open, far
// below the system's usual limit of 1,024 a process.
constexpr size_t kCopiesPerTransaction = 32;

struct Copy {
    QString path;
    QByteArray bytes;
    Outcome outcome;
};

// Each transaction all or none, through the safe writer.
void writeCopies(std::vector<Copy>& copies)
{
    const size_t transactions = (copies.size() + kCopiesPerTransaction - 1) / kCopiesPerTransaction;
    const size_t batches = std::min(kCopyBatches, transactions);
    QThreadPool writers;
    writers.setMaxThreadCount(int(std::max<size_t>(batches, 1)));
    for (size_t t = 0; t < transactions; ++t) {
        // Transaction t takes every transactions-th copy from t on, so each
        // is of about the same size.
        writers.start([&copies, t, transactions] {
            FileTransaction transaction;
            for (size_t i = t; i < copies.size(); i += transactions)
                transaction.add(copies[i].path, copies[i].bytes);
            const Outcome outcome = transaction.commit();
            for (size_t i = t; i < copies.size(); i += transactions)
                copies[i].outcome = outcome;
        });
    }
    writers.waitForDone();
}

// A BMP's headers are in its first bytes: the file header and the largest
// information header.
constexpr qsizetype kBmpHeadBytes = 14 + 124;

} // namespace

IdCounter::IdCounter(QStringView text)
{
    // An entry starts at the text's start, after a line end or after a run
    // of two or more spaces; a single space only parts its fields.
    bool entryStart = true;
    qsizetype spaces = 0;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (isLineEnd(c)) {
            entryStart = true;
            spaces = 0;
            ++i;
            continue;
        }
        if (c == u' ') {
            if (++spaces >= 2)
                entryStart = true;
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < text.size() && text[i] != u' ' && !isLineEnd(text[i]))
            ++i;
        if (entryStart) {
            const QString digits = idDigits(text.sliced(start, i - start));
            if (!digits.isEmpty() && (m_largest.isEmpty() || idLess(m_largest, digits)))
                m_largest = digits;
        }
        entryStart = false;
        spaces = 0;
    }
}

QString IdCounter::next()
{
    m_largest = m_largest.isEmpty() ? u"1"_s : incremented(m_largest);
    return u"0x"_s + QString(std::max<qsizetype>(0, 4 - m_largest.size()), u'0') + m_largest;
}

bool fileNameLess(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            // Runs of digits by value: without leading zeros, longer is larger.
            qsizetype iEnd = i, jEnd = j;
            while (iEnd < a.size() && a[iEnd].isDigit())
                ++iEnd;
            while (jEnd < b.size() && b[jEnd].isDigit())
                ++jEnd;
            QStringView x = a.sliced(i, iEnd - i), y = b.sliced(j, jEnd - j);
            while (x.size() > 1 && x.front() == u'0')
                x = x.sliced(1);
            while (y.size() > 1 && y.front() == u'0')
                y = y.sliced(1);
            if (x.size() != y.size())
                return x.size() < y.size();
            if (const int order = x.compare(y); order != 0)
                return order < 0;
            i = iEnd;
            j = jEnd;
            continue;
        }
        const QChar x = a[i].toCaseFolded(), y = b[j].toCaseFolded();
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    return a < b; // names that differ only in case or leading zeros: in a fixed order
}

namespace {

// Why a file name cannot stand in an entry, or empty.
QString nameProblem(const QString& name)
{
    if (!name.endsWith(u".bmp"_s, Qt::CaseInsensitive))
        return u"it is not a BMP picture: its name does not end in .bmp"_s;
    if (name.contains(u' '))
        return u"its name has a space, and an entry's fields are parted by spaces"_s;
    const Cp1252Encoding encoded = encodeCp1252(name);
    if (!encoded.ok())
        return u"its name has %1, which the list files cannot hold"_s.arg(
            describeCharacterAt(name, encoded.badIndex));
    return {};
}

struct Candidate {
    QString path;
    QString name;
    BmpSize size;
    qsizetype copy = -1; // its copy into the folder, if any
};

// The copies a picture from elsewhere needs into the working folder.
class PlannedCopies {
public:
    explicit PlannedCopies(const QString& folder) : m_dir(folder)
    {
        for (const QString& name : m_dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
            m_held.insert(name.toCaseFolded(), name);
    }

    // Plans the copy of `candidate`, whose bytes are `bytes`, unless the
    // folder already holds it; why it cannot stand there, or empty.
    QString plan(Candidate& candidate, const QByteArray& bytes)
    {
        const QString& name = candidate.name;
        const QString folded = name.toCaseFolded();
        if (const auto dropped = m_copying.constFind(folded); dropped != m_copying.cend()) {
            if (*dropped != bytes)
                return u"another picture added with it has the name \"%1\""_s.arg(name);
        } else if (const QString there = m_held.value(folded); there == name) {
            const FileBytes old = readFileBytes(m_dir.filePath(name));
            if (!old.outcome)
                return u"the working folder holds a file of its name, and "_s + old.reason;
            if (old.bytes != bytes)
                return u"the working folder already holds a different \"%1\", which is "
                       u"left as it is"_s.arg(name);
        } else if (!there.isEmpty()) {
            return u"the working folder holds \"%1\", which differs only in case: on "
                   u"Windows that is the same file"_s.arg(there);
        } else {
            m_copying.insert(folded, bytes);
            candidate.copy = qsizetype(copies.size());
            copies.push_back({m_dir.filePath(name), bytes, {}});
        }
        return {};
    }

    std::vector<Copy> copies;

private:
    const QDir m_dir;
    // The folder's names by case-folded name: a copy must not land beside a
    // name the patching tool's system takes for the same file.
    QHash<QString, QString> m_held;
    QHash<QString, QByteArray> m_copying; // case-folded name -> bytes, for this import
};

QStringList byFileName(const QStringList& paths)
{
    QStringList sorted = paths;
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        const QString x = QFileInfo(a).fileName(), y = QFileInfo(b).fileName();
        return x != y ? fileNameLess(x, y) : a < b;
    });
    return sorted;
}

} // namespace

PictureImport importPictures(const QString& folder, const QStringList& paths, QStringView listText)
{
    const QString home = QFileInfo(folder).canonicalFilePath();
    PlannedCopies planned(folder);
    PictureImport result;
    std::vector<Candidate> candidates;
    const auto skip = [&result](const QString& path, const QString& reason) {
        result.skipped.append({path, reason});
    };
    for (const QString& path : byFileName(paths)) {
        const QFileInfo info(path);
        const QString name = info.fileName();
        if (const QString problem = nameProblem(name); !problem.isEmpty()) {
            skip(path, problem);
            continue;
        }
        const bool inFolder = QFileInfo(info.absolutePath()).canonicalFilePath() == home;
        const FileBytes read = inFolder ? readFileHead(path, kBmpHeadBytes) : readFileBytes(path);
        if (!read.outcome) {
            skip(path, read.reason);
            continue;
        }
        QString reason;
        const std::optional<BmpSize> size = parseBmpHeader(read.bytes, &reason);
        if (!size) {
            skip(path, u"it is not a BMP picture: "_s + reason);
            continue;
        }
        Candidate candidate{path, name, *size, -1};
        if (!inFolder) {
            if (const QString problem = planned.plan(candidate, read.bytes); !problem.isEmpty()) {
                skip(path, problem);
                continue;
            }
        }
        candidates.push_back(std::move(candidate));
    }

    std::vector<Copy>& copies = planned.copies;
    writeCopies(copies);
    IdCounter ids(listText);
    for (const Candidate& candidate : candidates) {
        if (candidate.copy >= 0 && !copies[size_t(candidate.copy)].outcome) {
            skip(candidate.path, u"it could not be copied into the working folder: "_s +
                                     copies[size_t(candidate.copy)].outcome.error());
            continue;
        }
        result.entries.append(u"%1 %2 %3 %4"_s.arg(ids.next(), candidate.name,
                                                   QString::number(candidate.size.width),
                                                   QString::number(candidate.size.height)));
    }
    return result;
}

QString skippedMessage(const QList<SkippedFile>& skipped, qsizetype added)
{
    QStringList lines;
    lines << (added == 0 ? u"No picture was added:"_s
                         : u"%1 added; these files were not:"_s.arg(
                               added == 1 ? u"1 picture was"_s : u"%1 pictures were"_s.arg(added)));
    for (const SkippedFile& file : skipped)
        lines << u"\"%1\": %2"_s.arg(QDir::toNativeSeparators(file.path), file.reason);
    return lines.join(u'\n');
}

} // namespace scp
