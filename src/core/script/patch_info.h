#pragma once

// The patch's own name, maker, mail line and client/server choice, kept in
// the working folder's patch.ini.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace scp {

inline constexpr char kPatchInfoFileName[] = "patch.ini";

// What the script's SCRIPTINFO and GODWALK sections say. A folder without
// patch.ini has none, and its script keeps the template's lines as they
// have always been (the mail address then runs over two lines).
struct PatchInfo {
    QString name;
    QString creator;
    QString email;
    bool server = true; // the GODWALK digit: 0 for a client patch, 1 for a server's

    // The template's values, its two mail lines joined into one.
    static PatchInfo defaults();
    friend bool operator==(const PatchInfo&, const PatchInfo&) = default;
};

enum class PatchInfoKey { Name, Creator, Email, Godwalk };
// "name", "creator", "email", "godwalk": the keys as patch.ini spells them.
QString patchInfoKeyName(PatchInfoKey key);

// One thing wrong in patch.ini, where it stands (line counted from 1; 0 when
// it concerns the whole file) and which key it concerns (empty for none).
struct PatchInfoProblem {
    int line = 0;
    QString key;
    QString problem;
};

// Why a value cannot stand in the script: it has a line break, or a
// character with no Windows-1252 byte. Empty when it can.
QString patchInfoValueProblem(const QString& value);

struct PatchInfoRead {
    PatchInfo info;                   // keys not in the file keep their defaults
    QList<PatchInfoProblem> problems; // none: `info` is what the file says
};
// Reads patch.ini's bytes: UTF-8 (a byte-order mark allowed), CR LF or LF,
// one section [script], keys name, creator, email and godwalk (0 or 1),
// ';' or '#' comment lines. Spaces around keys and values are dropped; a
// value in double quotes keeps them.
PatchInfoRead parsePatchInfo(const QByteArray& bytes);

// patch.ini's bytes for `info`, as parsePatchInfo reads them back; every
// value must have passed patchInfoValueProblem.
QByteArray patchInfoBytes(const PatchInfo& info);

// "patch.ini:3: godwalk: must be 0 or 1", naming the file by `path`.
QString describePatchInfoProblem(const QString& path, const PatchInfoProblem& problem);

} // namespace scp
