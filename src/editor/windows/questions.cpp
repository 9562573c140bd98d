// The questions asked before lists are thrown away or files replaced.

#include "windows/questions.h"

#include "script/patch_info.h"
#include "text/counted.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// "a", "a and b", "a, b and c"
QString joined(const QStringList& parts)
{
    if (parts.size() < 2)
        return parts.join(QString());
    return parts.first(parts.size() - 1).join(u", "_s) + u" and "_s + parts.last();
}

QWidget* placedOn(QWidget* parent)
{
    return parent != nullptr && parent->isVisible() ? parent : nullptr;
}

// A box with the application's name as its title, plain text, modal to the
// whole program, and `defaultButton` taking Enter.
void prepare(QMessageBox& box, const QString& text)
{
    box.setWindowTitle(QCoreApplication::applicationName());
    box.setTextFormat(Qt::PlainText); // file and folder names are never markup
    box.setText(text);
    box.setWindowModality(Qt::ApplicationModal);
}

} // namespace

QString describedLists(const QList<ListId>& lists)
{
    QStringList names;
    for (ListId list : lists)
        names.append(listName(list));
    return u"the %1 %2"_s.arg(joined(names), lists.size() == 1 ? u"list"_s : u"lists"_s);
}

UnsavedAnswer askToSaveLists(QWidget* parent, const QList<ListId>& lists, const QString& before,
                             bool patchInfo)
{
    QStringList files;
    for (ListId list : lists)
        files.append(sectionFileName(list));
    QStringList what;
    if (!lists.isEmpty())
        what.append(describedLists(lists));
    if (patchInfo) {
        files.append(QString::fromLatin1(kPatchInfoFileName));
        what.append(u"the patch info"_s);
    }
    QString described = joined(what);
    described[0] = described[0].toUpper();
    const bool one = files.size() == 1;
    QMessageBox box(placedOn(parent));
    prepare(box, u"%1 %2 changes that %3 %4 not have yet.\n\nSave them before %5?"_s.arg(
                     described, one ? u"has"_s : u"have"_s, joined(files),
                     one ? u"does"_s : u"do"_s, before));
    box.setIcon(QMessageBox::Warning);
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        return UnsavedAnswer::Save;
    case QMessageBox::Discard:
        return UnsavedAnswer::Discard;
    default:
        return UnsavedAnswer::Cancel;
    }
}

bool askToReplace(QWidget* parent, const QStringList& files, int unreadable)
{
    // Said as it is: a file that could not be read was not changed by anyone.
    const QString why = unreadable == 0 ? u"another program made or changed"_s
                        : unreadable == files.size()
                            ? u"could not be read"_s
                            : u"another program made or changed, or that could not be read"_s;
    QMessageBox box(placedOn(parent));
    prepare(box, u"Saving would replace %1 that %2:\n\n%3\n\nReplace %4 with the lists? Cancel "
                 u"writes none of the three files."_s.arg(
                     files.size() == 1 ? u"a file"_s : u"files"_s, why,
                     u"    "_s + files.join(u"\n    "_s), files.size() == 1 ? u"it"_s : u"them"_s));
    box.setIcon(QMessageBox::Warning);
    QPushButton* replace = box.addButton(u"Replace"_s, QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    // Overwriting another program's work is never what Enter does.
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == replace;
}

RecoveryAnswer askToRestore(QWidget* parent, const QString& path, const QDateTime& when,
                            const QList<ListId>& lists, const QStringList& changedFiles)
{
    QString described = describedLists(lists);
    // Said before the answer: a save after the restore would replace them.
    const QString changed =
        changedFiles.isEmpty()
            ? QString()
            : u"\n\nSince scpmaker last read or saved %1 here, another program has changed "
              u"%2:\n\n    %3\n\nSaving the restored lists asks before it replaces %1."_s.arg(
                  changedFiles.size() == 1 ? u"it"_s : u"them"_s,
                  changedFiles.size() == 1 ? u"this file"_s : u"these files"_s,
                  changedFiles.join(u"\n    "_s));
    QMessageBox box(placedOn(parent));
    prepare(box, u"scpmaker ended on %1 without saving %2 in this folder. What %3 held then "
                 u"is in the recovery journal \"%4\".%5\n\nRestore %6? Cancel leaves the "
                 u"journal for the next start."_s.arg(
                     QLocale::c().toString(when, u"yyyy-MM-dd HH:mm"_s), described,
                     lists.size() == 1 ? u"it"_s : u"they"_s, QDir::toNativeSeparators(path),
                     changed, lists.size() == 1 ? u"it"_s : u"them"_s));
    box.setIcon(QMessageBox::Question);
    QPushButton* restore = box.addButton(u"Restore"_s, QMessageBox::AcceptRole);
    QAbstractButton* discard = box.addButton(QMessageBox::Discard);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(restore);
    box.exec();
    if (box.clickedButton() == restore)
        return RecoveryAnswer::Restore;
    return box.clickedButton() == discard ? RecoveryAnswer::Discard : RecoveryAnswer::Later;
}

ScriptAnswer askToReplaceScript(QWidget* parent, const QString& path, const QString& unreadable)
{
    const QString what =
        unreadable.isEmpty()
            ? u"a script that scpmaker did not compile or that was changed since"_s
            : u"which could not be read (%1), so it may be a script of your own"_s.arg(unreadable);
    QMessageBox box(placedOn(parent));
    prepare(box, u"Compiling would replace \"%1\", %2.\n\nReplace it with the script of the "
                 u"lists shown? Import... brings its lists in instead, unsaved. Cancel writes "
                 u"nothing."_s.arg(QDir::toNativeSeparators(path), what));
    box.setIcon(QMessageBox::Warning);
    QPushButton* replace = box.addButton(u"Replace"_s, QMessageBox::DestructiveRole);
    QPushButton* import = box.addButton(u"Import..."_s, QMessageBox::ActionRole);
    box.addButton(QMessageBox::Cancel);
    // Losing the user's own script is never what Enter does.
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == replace)
        return ScriptAnswer::Replace;
    return box.clickedButton() == import ? ScriptAnswer::Import : ScriptAnswer::Cancel;
}

void noteScriptCanBeImported(QWidget* parent, const QString& path)
{
    // Not a question: the start goes on, and the note stays until read.
    auto* note = new QMessageBox(parent);
    note->setAttribute(Qt::WA_DeleteOnClose);
    note->setObjectName(u"importNote"_s);
    prepare(*note, u"This folder has a script, \"%1\", and no section files, so the lists "
                   u"do not hold its entries. Import mantle.scp... in the Save menu brings "
                   u"them in."_s.arg(QDir::toNativeSeparators(path)));
    note->setWindowModality(Qt::NonModal);
    note->setIcon(QMessageBox::Information);
    note->setStandardButtons(QMessageBox::Ok);
    note->show();
}

bool askForAFolder(QWidget* parent, const QString& doing)
{
    QMessageBox box(placedOn(parent));
    prepare(box, u"These lists have no folder yet. Choose the folder of this patch before "
                 u"%1? Cancel writes nothing."_s.arg(doing));
    box.setIcon(QMessageBox::Question);
    QPushButton* choose = box.addButton(u"Choose Folder..."_s, QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(choose);
    box.exec();
    return box.clickedButton() == choose;
}

CompileAnswer askToCompileWithErrors(QWidget* parent, const QList<ListErrors>& errors)
{
    QStringList counts;
    for (const ListErrors& list : errors)
        counts.append(
            u"%1 in the %2 list"_s.arg(counted(list.count, u"problem"), listName(list.list)));
    const ListErrors& first = errors.first();
    QMessageBox box(placedOn(parent));
    prepare(box, u"The script will carry problems the patching tool cannot read as entries: "
                 u"%1.\n\nThe first, in the %2 list: %3.\n\nCompile anyway?"_s.arg(
                     joined(counts), listName(first.list), first.first.message));
    box.setIcon(QMessageBox::Warning);
    QPushButton* compile = box.addButton(u"Compile anyway"_s, QMessageBox::AcceptRole);
    QPushButton* show = box.addButton(u"Show the first problem"_s, QMessageBox::ActionRole);
    box.addButton(QMessageBox::Cancel);
    // Enter looks before it writes.
    box.setDefaultButton(show);
    box.exec();
    if (box.clickedButton() == compile)
        return CompileAnswer::Compile;
    return box.clickedButton() == show ? CompileAnswer::ShowFirst : CompileAnswer::Cancel;
}

} // namespace scp
