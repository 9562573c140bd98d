#pragma once

// The questions the editor asks before it throws lists away or replaces a
// file another program changed: small modal boxes of the editor with the
// keyboard focus, whose Escape and close box mean Cancel.

#include "script/entry_lists.h"
#include "work/script_errors.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace scp {

enum class UnsavedAnswer { Save, Discard, Cancel };
// `lists` (and the patch info, where `patchInfo`) have changes their files
// lack; `before` is what is about to throw them away ("closing").
UnsavedAnswer askToSaveLists(QWidget* parent, const QList<ListId>& lists, const QString& before,
                             bool patchInfo = false);

// Each of `files` with why it is asked about: "tiles.scp (changed since it
// was read here)", `unreadable` of them files that could not be read. True
// for Replace.
bool askToReplace(QWidget* parent, const QStringList& files, int unreadable = 0);

enum class RecoveryAnswer { Restore, Discard, Later };
// A journal at `path`, last written `when`, holds these lists unsaved;
// `changedFiles` are their files another program changed since they were
// read or saved here, each with how: "gumps.scp (changed)".
RecoveryAnswer askToRestore(QWidget* parent, const QString& path, const QDateTime& when,
                            const QList<ListId>& lists, const QStringList& changedFiles = {});

enum class ScriptAnswer { Replace, Import, Cancel };
// Compiling would replace the script at `path`, which this program did not
// make (or which was changed since), or which could not be read, the
// system's reason `unreadable`.
ScriptAnswer askToReplaceScript(QWidget* parent, const QString& path,
                                const QString& unreadable = {});

// Says, without waiting for an answer, that the script at `path` can be
// brought in with Import; the note closes itself with `parent`.
void noteScriptCanBeImported(QWidget* parent, const QString& path);

enum class CompileAnswer { Compile, ShowFirst, Cancel };
// The lists hold `errors` (none empty), which the script would carry as they
// stand: compile anyway, show the first one, or write nothing.
CompileAnswer askToCompileWithErrors(QWidget* parent, const QList<ListErrors>& errors);

// "the gumps and items lists"
QString describedLists(const QList<ListId>& lists);

// The lists have no folder yet, and `doing` ("saving") needs one: true to
// choose it.
bool askForAFolder(QWidget* parent, const QString& doing);

} // namespace scp
