#pragma once

// A count with its noun agreeing: "1 field", "3 fields".

#include <QString>

namespace scp {

// `noun` is singular and takes an "s" in the plural, as every noun counted
// in the program's messages does.
inline QString counted(qint64 count, QStringView noun)
{
    QString text = QString::number(count);
    text += u' ';
    text += noun;
    if (count != 1)
        text += u's';
    return text;
}

} // namespace scp
