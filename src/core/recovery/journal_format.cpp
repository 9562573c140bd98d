// The recovery journal's records, written and read back.

#include "recovery/journal_format.h"

#include "files/folder_check.h"
#include "text/cp1252.h"

#include <QtEndian>

#include <vector>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

constexpr QByteArrayView kMagic = "scpmaker journal";

enum class RecordType : quint8 { Text = 1, Base = 2, Edit = 3, Revert = 4, File = 5 };

void appendNumber(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendNumber64(QByteArray& out, quint64 value)
{
    char bytes[8];
    qToLittleEndian(value, bytes);
    out.append(bytes, 8);
}

// Length, body, CRC-32 of the body.
QByteArray framed(RecordType type, ListId list, QByteArrayView payload, QByteArrayView extra = {})
{
    QByteArray record;
    const qsizetype body = 2 + extra.size() + payload.size();
    record.reserve(body + 8);
    appendNumber(record, quint32(body));
    record.append(char(type));
    record.append(char(list));
    record.append(extra);
    record.append(payload);
    appendNumber(record, crc32(QByteArrayView(record).sliced(4)));
    return record;
}

// A text edited in place, as a replay of the journal edits it: the gap sits
// where the last edit was, and typing at one place moves nothing.
class GapText {
public:
    explicit GapText(QStringView text) : m_buffer(text.utf16(), text.utf16() + text.size())
    {
        m_gapStart = m_gapEnd = qsizetype(m_buffer.size());
    }
    qsizetype size() const { return qsizetype(m_buffer.size()) - (m_gapEnd - m_gapStart); }
    void replace(qsizetype position, qsizetype removed, QStringView inserted)
    {
        moveGapTo(position);
        m_gapEnd += removed;
        if (m_gapEnd - m_gapStart < inserted.size()) {
            const qsizetype tail = qsizetype(m_buffer.size()) - m_gapEnd;
            const qsizetype grown = qsizetype(m_buffer.size()) + inserted.size() + size() / 2 + 64;
            std::vector<char16_t> buffer(size_t(grown), u'\0');
            std::copy_n(m_buffer.begin(), m_gapStart, buffer.begin());
            std::copy_n(m_buffer.begin() + m_gapEnd, tail, buffer.end() - tail);
            m_buffer.swap(buffer);
            m_gapEnd = grown - tail;
        }
        std::copy(inserted.utf16(), inserted.utf16() + inserted.size(),
                  m_buffer.begin() + m_gapStart);
        m_gapStart += inserted.size();
    }
    QString toString() const
    {
        QString text;
        text.reserve(size());
        text.append(reinterpret_cast<const QChar*>(m_buffer.data()), m_gapStart);
        text.append(reinterpret_cast<const QChar*>(m_buffer.data() + m_gapEnd),
                    qsizetype(m_buffer.size()) - m_gapEnd);
        return text;
    }

private:
    void moveGapTo(qsizetype position)
    {
        const auto at = m_buffer.begin();
        if (position < m_gapStart)
            std::copy_backward(at + position, at + m_gapStart, at + m_gapEnd);
        else
            std::copy(at + m_gapEnd, at + m_gapEnd + (position - m_gapStart), at + m_gapStart);
        m_gapEnd += position - m_gapStart;
        m_gapStart = position;
    }

    std::vector<char16_t> m_buffer;
    qsizetype m_gapStart = 0;
    qsizetype m_gapEnd = 0;
};

struct Replay {
    std::array<std::optional<GapText>, 3> lists;
    std::array<std::optional<QString>, 3> replaced;
    std::array<std::optional<FileRecord>, 3> files;
    std::array<bool, 3> fileRecorded{}; // by a file record, not a base

    void setText(size_t list, QString text)
    {
        if (lists[list])
            replaced[list] = lists[list]->toString();
        lists[list].emplace(text);
    }
    // False when the body makes no sense: the journal is damaged.
    bool apply(QByteArrayView body)
    {
        if (body.size() < 2 || quint8(body[1]) > 2)
            return false;
        const auto list = size_t(quint8(body[1]));
        const QByteArrayView payload = body.sliced(2);
        switch (RecordType(quint8(body[0]))) {
        case RecordType::Text:
            setText(list, QString::fromUtf8(payload));
            return true;
        case RecordType::Base:
            if (!fileRecorded[list])
                files[list] = FileRecord::of(payload.toByteArray(), 0);
            setText(list, journalTextOf(decodeCp1252(payload)));
            return true;
        case RecordType::File: {
            if (payload.size() != 25 || quint8(payload[0]) > quint8(FileRecord::State::Unreadable))
                return false;
            files[list] = FileRecord::kept(FileRecord::State(quint8(payload[0])),
                                           qFromLittleEndian<qint64>(payload.data() + 1),
                                           qFromLittleEndian<qint64>(payload.data() + 9),
                                           size_t(qFromLittleEndian<quint64>(payload.data() + 17)));
            fileRecorded[list] = true;
            return true;
        }
        case RecordType::Edit: {
            if (payload.size() < 16 || !lists[list])
                return false;
            const quint64 position = qFromLittleEndian<quint64>(payload.data());
            const quint64 removed = qFromLittleEndian<quint64>(payload.data() + 8);
            const auto size = quint64(lists[list]->size());
            if (position > size || removed > size - position)
                return false;
            lists[list]->replace(qsizetype(position), qsizetype(removed),
                                 QString::fromUtf8(payload.sliced(16)));
            return true;
        }
        case RecordType::Revert:
            if (!payload.isEmpty() || !replaced[list])
                return false;
            lists[list].emplace(*replaced[list]);
            replaced[list].reset();
            return true;
        }
        return false;
    }
};

} // namespace

quint32 crc32(QByteArrayView bytes, quint32 crc)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (const char byte : bytes)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

QString journalTextOf(QStringView listText)
{
    QString text;
    text.reserve(listText.size());
    for (qsizetype i = 0; i < listText.size(); ++i) {
        const QChar c = listText[i];
        if (c == u'\r') {
            text.append(u'\n');
            if (i + 1 < listText.size() && listText[i + 1] == u'\n')
                ++i;
        } else {
            text.append(c);
        }
    }
    return text;
}

QString listTextOf(QStringView journalText)
{
    QString text;
    text.reserve(journalText.size() + journalText.count(u'\n'));
    for (const QChar c : journalText) {
        if (c == u'\n')
            text.append(u'\r');
        text.append(c);
    }
    return text;
}

QByteArray journalHeader(const QString& folder)
{
    const QByteArray name = folder.toUtf8();
    QByteArray header(kMagic.data(), kMagic.size());
    appendNumber(header, kJournalVersion);
    appendNumber(header, quint32(name.size()));
    header.append(name);
    appendNumber(header, crc32(header));
    return header;
}

QByteArray textRecord(ListId list, QStringView text)
{
    return framed(RecordType::Text, list, text.toUtf8());
}

QByteArray baseRecord(ListId list, QByteArrayView fileBytes)
{
    return framed(RecordType::Base, list, fileBytes);
}

QByteArray editRecord(ListId list, qint64 position, qint64 removed, QStringView inserted)
{
    QByteArray numbers;
    appendNumber64(numbers, quint64(position));
    appendNumber64(numbers, quint64(removed));
    return framed(RecordType::Edit, list, inserted.toUtf8(), numbers);
}

QByteArray revertRecord(ListId list)
{
    return framed(RecordType::Revert, list, {});
}

QByteArray fileRecord(ListId list, const FileRecord& record)
{
    QByteArray payload(1, char(record.state()));
    appendNumber64(payload, quint64(record.size()));
    appendNumber64(payload, quint64(record.modified()));
    appendNumber64(payload, quint64(record.hash()));
    return framed(RecordType::File, list, payload);
}

JournalReading readJournal(QByteArrayView bytes, const QString& folder)
{
    JournalReading reading;
    const auto refuse = [&](const QString& problem) {
        reading.problem = problem;
        return reading;
    };
    const auto damagedAt = [&](qsizetype at) {
        return refuse(u"it is damaged at byte %1"_s.arg(at));
    };
    const qsizetype fixed = kMagic.size() + 8;
    if (bytes.size() < fixed || !bytes.startsWith(kMagic))
        return refuse(u"it is not a recovery journal"_s);
    const quint32 version = qFromLittleEndian<quint32>(bytes.data() + kMagic.size());
    if (version < kOldestJournalVersion || version > kJournalVersion) {
        return refuse(
            u"it is of format version %1, and this scpmaker reads versions %2 to %3"_s.arg(version)
                .arg(kOldestJournalVersion)
                .arg(kJournalVersion));
    }
    // The folder's name and the header's CRC must both lie within the bytes
    // there: a header torn as it was written is shorter than it says.
    const quint32 nameSize = qFromLittleEndian<quint32>(bytes.data() + kMagic.size() + 4);
    if (quint64(nameSize) + 4 > quint64(bytes.size() - fixed))
        return damagedAt(kMagic.size() + 4);
    const qsizetype headerEnd = fixed + qsizetype(nameSize) + 4;
    if (crc32(bytes.first(headerEnd - 4)) !=
        qFromLittleEndian<quint32>(bytes.data() + headerEnd - 4))
        return damagedAt(0);
    const QString owner = QString::fromUtf8(bytes.sliced(fixed, nameSize));
    if (!sameFolder(owner, folder))
        return refuse(u"it belongs to the folder \"%1\""_s.arg(owner));

    Replay replay;
    qsizetype records = 0;
    for (qsizetype at = headerEnd; at < bytes.size();) {
        const qsizetype left = bytes.size() - at;
        if (left < 4)
            break; // cut short
        const quint32 body = qFromLittleEndian<quint32>(bytes.data() + at);
        if (quint64(body) + 8 > quint64(left))
            break; // cut short, or a length torn as it was written
        if (body == 0) {
            // Space the system gave the file but never filled: a crash
            // before the data reached the disk.
            if (std::all_of(bytes.begin() + at, bytes.end(), [](char c) { return c == 0; }))
                break;
            return damagedAt(at);
        }
        const QByteArrayView record = bytes.sliced(at + 4, body);
        const bool last = quint64(body) + 8 == quint64(left);
        if (crc32(record) != qFromLittleEndian<quint32>(bytes.data() + at + 4 + body)) {
            if (last)
                break; // torn as it was written
            return damagedAt(at);
        }
        if (!replay.apply(record))
            return damagedAt(at);
        ++records;
        at += qsizetype(body) + 8;
    }

    JournalContent content;
    content.records = records;
    for (size_t list = 0; list < 3; ++list) {
        if (replay.lists[list])
            content.lists[list] = replay.lists[list]->toString();
        content.replaced[list] = replay.replaced[list];
        content.files[list] = replay.files[list];
    }
    reading.content = std::move(content);
    return reading;
}

QList<QByteArray> journalOf(const QString& folder, const JournalContent& content)
{
    QList<QByteArray> pieces{journalHeader(folder)};
    for (ListId list : kAllLists) {
        const auto i = size_t(list);
        if (content.files[i])
            pieces.append(fileRecord(list, *content.files[i]));
        if (content.replaced[i])
            pieces.append(textRecord(list, *content.replaced[i]));
        if (content.lists[i])
            pieces.append(textRecord(list, *content.lists[i]));
    }
    return pieces;
}

} // namespace scp
