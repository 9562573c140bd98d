// patch.ini: reading it strictly, writing it so that it reads back the same.

#include "script/patch_info.h"

#include "text/cp1252.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace scp {

namespace {

using namespace Qt::StringLiterals;

constexpr std::array kKeys = {PatchInfoKey::Name, PatchInfoKey::Creator, PatchInfoKey::Email,
                              PatchInfoKey::Godwalk};

QString& field(PatchInfo& info, PatchInfoKey key)
{
    return key == PatchInfoKey::Name      ? info.name
           : key == PatchInfoKey::Creator ? info.creator
                                          : info.email;
}

// A value with spaces at either end, or that itself starts with a quote, is
// written quoted so that reading it back keeps it whole.
QString quotedIfNeeded(const QString& value)
{
    const bool needs = !value.isEmpty() &&
                       (value.front().isSpace() || value.back().isSpace() || value.front() == u'"');
    return needs ? u'"' + value + u'"' : value;
}

QString unquoted(const QString& value)
{
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

PatchInfo PatchInfo::defaults()
{
    return {u"The Mantle Patch v1.0"_s, u"The scpmaker developers"_s,
            u"scripts@example.org , patches@example.org , tiles@example.org & items@example.org"_s,
            true};
}

QString patchInfoKeyName(PatchInfoKey key)
{
    switch (key) {
    case PatchInfoKey::Name:
        return u"name"_s;
    case PatchInfoKey::Creator:
        return u"creator"_s;
    case PatchInfoKey::Email:
        return u"email"_s;
    case PatchInfoKey::Godwalk:
        break;
    }
    return u"godwalk"_s;
}

QString patchInfoValueProblem(const QString& value)
{
    if (value.contains(u'\n') || value.contains(u'\r'))
        return u"the value has a line break; the script needs it on one line"_s;
    const Cp1252Encoding encoded = encodeCp1252(value);
    if (!encoded.ok())
        return u"%1 cannot be written in Windows-1252"_s.arg(
            describeCharacterAt(value, encoded.badIndex));
    return {};
}

namespace {

// A "key = value" line of [script]: its value taken into `read`, or its
// problem noted; `seen` are the keys already given.
void takeValue(PatchInfoRead& read, std::array<bool, kKeys.size()>& seen, int lineNumber,
               const QString& keyName, const QString& value)
{
    const auto problem = [&](const QString& what) {
        read.problems.append({lineNumber, keyName, what});
    };
    const auto* key = std::find_if(kKeys.begin(), kKeys.end(),
                                   [&](PatchInfoKey k) { return patchInfoKeyName(k) == keyName; });
    if (key == kKeys.end()) {
        problem(u"unknown key"_s);
        return;
    }
    const size_t index = size_t(key - kKeys.begin());
    if (seen[index]) {
        problem(u"given a second time"_s);
        return;
    }
    seen[index] = true;
    if (*key == PatchInfoKey::Godwalk) {
        if (value == u"0"_s || value == u"1"_s)
            read.info.server = value == u"1"_s;
        else
            problem(u"must be 0 or 1, not \"%1\""_s.arg(value));
        return;
    }
    if (const QString wrong = patchInfoValueProblem(value); !wrong.isEmpty())
        problem(wrong);
    else
        field(read.info, *key) = value;
}

} // namespace

PatchInfoRead parsePatchInfo(const QByteArray& bytes)
{
    PatchInfoRead read{PatchInfo::defaults(), {}};
    auto problem = [&read](int line, const QString& key, const QString& what) {
        read.problems.append({line, key, what});
    };

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    const QString text = decoder(view);
    if (decoder.hasError()) {
        problem(0, {}, u"not UTF-8 text"_s);
        return read;
    }

    bool inScript = false;
    bool seenScript = false;
    std::array<bool, kKeys.size()> seen = {};
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i + 1);
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            if (line != u"[script]"_s) {
                problem(lineNumber, {},
                        u"unknown section %1; the only one is [script]"_s.arg(line));
                inScript = false;
            } else if (seenScript) {
                problem(lineNumber, {}, u"[script] a second time"_s);
            } else {
                inScript = seenScript = true;
            }
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) {
            problem(lineNumber, {}, u"not a key = value line"_s);
            continue;
        }
        const QString keyName = line.left(equals).trimmed();
        const QString value = unquoted(line.mid(equals + 1).trimmed());
        if (!inScript) {
            if (!seenScript)
                problem(lineNumber, keyName, u"outside the [script] section"_s);
            continue; // an unknown section's keys were reported with it
        }
        takeValue(read, seen, lineNumber, keyName, value);
    }
    return read;
}

QByteArray patchInfoBytes(const PatchInfo& info)
{
    PatchInfo copy = info;
    QString text = u"[script]\n"_s;
    for (PatchInfoKey key : kKeys) {
        const QString value = key == PatchInfoKey::Godwalk ? QString(info.server ? u'1' : u'0')
                                                           : quotedIfNeeded(field(copy, key));
        text += patchInfoKeyName(key) + u" = "_s + value + u'\n';
    }
    return text.toUtf8();
}

QString describePatchInfoProblem(const QString& path, const PatchInfoProblem& problem)
{
    QString where = path;
    if (problem.line > 0)
        where += u':' + QString::number(problem.line);
    return problem.key.isEmpty() ? u"%1: %2"_s.arg(where, problem.problem)
                                 : u"%1: %2: %3"_s.arg(where, problem.key, problem.problem);
}

} // namespace scp
