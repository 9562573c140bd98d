#pragma once

// Pictures made into gumps and tiles entries: the ids they get, the order
// they go in, and the checks and copies before they are added. Qt Core only.

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace scp {

// Ids for new entries, counting up from the largest id a list holds. Entries
// split as the lint splits them (line ends, runs of two or more spaces); an
// entry's id is its first field, hexadecimal with or without 0x, of any
// length. An id written without 0x is hexadecimal all the same, as the
// patching tool reads it.
class IdCounter {
public:
    explicit IdCounter(QStringView listText);
    // "0x" and upper-case hexadecimal, four digits at least: the id after the
    // largest found or given so far; "0x0001" for a list without ids.
    QString next();

private:
    QString m_largest; // upper-case digits without leading zeros; empty: none
};

// File names as a file manager lists them: runs of digits by their value
// ("gump2" before "gump10"), the rest without regard to case.
bool fileNameLess(QStringView a, QStringView b);

struct SkippedFile {
    QString path; // as given
    QString reason;
};

struct PictureImport {
    QStringList entries; // "0xNNNN name.bmp W H", in file-name order
    QList<SkippedFile> skipped;
};

// Entries for the BMP pictures at `paths`, to be appended to a list whose
// text is `listText`, in file-name order with ids after the list's largest.
// A picture must be a regular, readable BMP whose name ends in .bmp and can
// stand in an entry (no space; Windows-1252). One outside `folder` is copied
// into it first, each copy whole or not at all, never over a different file
// of its name or of a name that differs only in case; the same picture
// already there is not copied again. Every picture left out is in `skipped`
// with the reason.
PictureImport importPictures(const QString& folder, const QStringList& paths, QStringView listText);

// One message naming every skipped file and why.
QString skippedMessage(const QList<SkippedFile>& skipped, qsizetype added);

} // namespace scp
