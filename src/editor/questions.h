#pragma once

// The questions the editor asks before it throws lists away or replaces a
// file another program changed: small modal boxes of the editor with the
// keyboard focus, whose Escape and close box mean Cancel.

#include "entry_lists.h"
#include "script_errors.h"

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
// was read here)". True for Replace.
bool askToReplace(QWidget* parent, const QStringList& files);

enum class RecoveryAnswer { Restore, Discard, Later };
// A journal at `path`, last written `when`, holds these lists unsaved.
RecoveryAnswer askToRestore(QWidget* parent, const QString& path, const QDateTime& when,
                            const QList<ListId>& lists);

enum class CompileAnswer { Compile, ShowFirst, Cancel };
// The lists hold `errors` (none empty), which the script would carry as they
// stand: compile anyway, show the first one, or write nothing.
CompileAnswer askToCompileWithErrors(QWidget* parent, const QList<ListErrors>& errors);

// "the gumps and items lists"
QString describedLists(const QList<ListId>& lists);

} // namespace scp
