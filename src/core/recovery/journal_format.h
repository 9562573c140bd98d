#pragma once

// The recovery journal's file: a header naming the working folder it
// belongs to, then records, each framed by its length and a CRC-32. A
// journal cut short by a crash reads up to its last whole record; any other
// damage is found and the journal refused.
//
// Records hold journal text: a list's text one character a position, as
// the list box's document counts them, each line end a single LF (the list
// itself has CR LF there). An edit's position then means the same whatever
// rows the box has broken the list into.

#include "files/file_record.h"
#include "script/entry_lists.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace scp {

// Version 2 added the file records; version 1 journals are still read.
inline constexpr quint32 kJournalVersion = 2;
inline constexpr quint32 kOldestJournalVersion = 1;

QString journalTextOf(QStringView listText); // CR LF, CR and LF each become LF
QString listTextOf(QStringView journalText); // LF becomes CR LF

QByteArray journalHeader(const QString& folder);
// The list's text is now `text`; what it was is kept for a revert.
QByteArray textRecord(ListId list, QStringView text);
// The same, given as a section file's Windows-1252 bytes.
QByteArray baseRecord(ListId list, QByteArrayView fileBytes);
// [position, position + removed) of the list's text became `inserted`.
QByteArray editRecord(ListId list, qint64 position, qint64 removed, QStringView inserted);
// The list's text is again what it was before its last text or base record
// (undo of a Clear or a Load).
QByteArray revertRecord(ListId list);
// The list's section file was, as far as the editor knew, as `record` says:
// what a save after a restore must find there to replace it unasked.
QByteArray fileRecord(ListId list, const FileRecord& record);

struct JournalContent {
    std::array<std::optional<QString>, 3> lists;    // journal text, where the journal has the list
    std::array<std::optional<QString>, 3> replaced; // what a revert would bring back
    // What the editor knew of each section file; a version 1 journal's
    // base stands in for it (its bytes alone, no time).
    std::array<std::optional<FileRecord>, 3> files;
    qsizetype records = 0;
};

struct JournalReading {
    std::optional<JournalContent> content;
    QString problem; // why there is none: "it is damaged at byte 1234"
};
// Reads a journal written for `folder`. One of another folder, of another
// format version or damaged anywhere but in its last record is refused; a
// last record cut short is left out.
JournalReading readJournal(QByteArrayView bytes, const QString& folder);

// The journal of a content: each list's replaced text, then its text.
QList<QByteArray> journalOf(const QString& folder, const JournalContent& content);

quint32 crc32(QByteArrayView bytes, quint32 crc = 0);

} // namespace scp
