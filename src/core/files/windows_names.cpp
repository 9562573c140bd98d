// Names Windows would refuse or take for a device.

#include "files/windows_names.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// MAX_PATH less the terminating null.
constexpr qsizetype kLongestPath = 259;

// CON, PRN, AUX, NUL, COM0-9 and LPT0-9 (superscript 1 to 3 too), whatever
// follows a dot and whatever the case: Windows opens the device for them.
// Plain comparisons, not a regular expression: every file the program reads
// or writes asks, on any thread, and a regular expression keeps a stack for
// each thread that runs one, which MinGW's thread-local clean-up trips over
// when such a thread ends.
bool isDeviceName(const QString& name)
{
    QStringView stem = QStringView(name).left(name.indexOf(u'.'));
    while (stem.endsWith(u' '))
        stem.chop(1);
    for (const QStringView device : {u"CON", u"PRN", u"AUX", u"NUL"}) {
        if (stem.compare(device, Qt::CaseInsensitive) == 0)
            return true;
    }
    if (stem.size() != 4 || (!stem.startsWith(u"COM", Qt::CaseInsensitive) &&
                             !stem.startsWith(u"LPT", Qt::CaseInsensitive)))
        return false;
    const QChar digit = stem[3];
    return (digit >= u'0' && digit <= u'9') || digit == u'\u00b9' || digit == u'\u00b2' ||
           digit == u'\u00b3';
}

QString forbiddenCharacter(const QString& name)
{
    for (const QChar c : name) {
        if (c.unicode() < 32)
            return u"the control character U+%1"_s.arg(uint(c.unicode()), 4, 16, QChar(u'0'));
        if (u"<>:\"|?*"_s.contains(c))
            return u"'%1'"_s.arg(c);
    }
    return {};
}

} // namespace

QString windowsNameProblem(const QString& path)
{
    QString rest = path;
    rest.replace(u'\\', u'/');
    // "\\?\" (or "\\.\"): taken as it is, as Windows does.
    if (rest.startsWith(u"//?/"_s) || rest.startsWith(u"//./"_s))
        return {};
    if (rest.size() > kLongestPath) {
        return u"the path is %1 characters long, more than the %2 Windows takes"_s.arg(rest.size())
            .arg(kLongestPath);
    }
    // A drive ("C:") or a share ("//server/share") leads; the names follow.
    qsizetype from = 0;
    if (rest.size() >= 2 && rest[1] == u':' && rest[0].isLetter())
        from = 2;
    QStringList names = rest.mid(from).split(u'/');
    if (rest.startsWith(u"//"_s))
        names = names.mid(std::min<qsizetype>(4, names.size()));
    for (const QString& name : std::as_const(names)) {
        if (name.isEmpty() || name == u"."_s || name == u".."_s)
            continue;
        if (isDeviceName(name))
            return u"\"%1\" is a device's name on Windows, not a file's or a folder's"_s.arg(name);
        if (const QString c = forbiddenCharacter(name); !c.isEmpty())
            return u"\"%1\" holds %2, which Windows does not take in a name"_s.arg(name, c);
        if (name.endsWith(u'.') || name.endsWith(u' '))
            return u"\"%1\" ends in a %2, which Windows drops from a name"_s.arg(
                name, name.endsWith(u'.') ? u"dot"_s : u"space"_s);
    }
    return {};
}

QString refusedName([[maybe_unused]] const QString& path)
{
#ifdef _WIN32
    return windowsNameProblem(path);
#else
    return {};
#endif
}

} // namespace scp
