// A list's document, with no window: the row-break rule, whole texts and
// their undo, filling from a file's bytes, and whether the list is saved.

#include "fail_on_warnings.h"
#include "list_document.h"
#include "text_box_contract.h"

#include <QGuiApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

using namespace Qt::StringLiterals;
using scp::ListDocument;

namespace {

const QString kSpacer(37, u' ');

QString gumpList(int entries)
{
    QString text;
    for (int i = 0; i < entries; ++i) {
        if (i > 0)
            text += kSpacer;
        text += u"0x%1 Filename.bmp 44 44"_s.arg(i, 4, 16, QChar(u'0'));
    }
    return text;
}

} // namespace

class ListDocumentTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void rowsEndWhereLongSpacerRunsDo()
    {
        // A row ends at the last space of a spacer run once it holds 512
        // characters, whether the list was put in whole, added to or filled
        // from a file; every reading gives the spaces back.
        const QString list = u"GUMPS WILL LOAD HERE\r\n"_s + gumpList(25);
        ListDocument whole(list);
        ListDocument added(u"GUMPS WILL LOAD HERE\r\n"_s);
        for (const QString& entry : gumpList(25).split(kSpacer))
            added.appendText(added.text().endsWith(u'\n') ? entry : kSpacer + entry);
        ListDocument filled;
        filled.adopt(ListDocument::filledDocument(list.toLatin1(), [](qsizetype) { return true; }));
        for (const ListDocument* document : {&whole, &added, &filled}) {
            QCOMPARE(document->text(), list);
            QCOMPARE(document->document()->blockCount(), 4); // the line, then rows of 9 entries
            QString positions;
            ListDocument::positionText(*document->document(), 0, document->positionCount(),
                                       positions);
            QCOMPARE(positions, QString(list).replace(u"\r\n"_s, u"\n"_s));
            QCOMPARE(document->encoded().bytes, list.toLatin1());
        }
    }

    void wholeTextsUndoWithinABound()
    {
        // Load and Clear put in a new document. Undo brings the replaced one
        // back with its own history, unless it was long and the new text is
        // not empty; then, and once a newer replacement comes, it is freed.
        ListDocument list(u"old"_s);
        QTextCursor(list.document()).insertText(u"x"_s);
        const QPointer<QTextDocument> small = list.document();
        QSignalSpy replaced(&list, &ListDocument::documentReplaced);
        list.setText(u"new"_s);
        list.document()->undo();
        QCOMPARE(list.document(), small);
        QCOMPARE(list.text(), u"xold"_s);
        QCOMPARE(replaced, (QList<QVariantList>{{false}, {true}}));
        list.document()->undo();
        QCOMPARE(list.text(), u"old"_s);

        const QString longList = gumpList(int(ListDocument::kKeptCharacters / 50));
        list.setText(longList);
        const QPointer<QTextDocument> loaded = list.document();
        list.setText(QString()); // a Clear keeps even a long list
        QVERIFY(small.isNull()); // but only the last one replaced
        list.document()->undo();
        QCOMPARE(list.document(), loaded);
        QCOMPARE(list.text(), longList);
        list.setText(u"a"_s);
        QVERIFY(loaded.isNull());
        QVERIFY(!list.document()->isUndoAvailable()); // the long list is gone
    }

    void fillsOnAnyThreadAndStopsWhenAsked()
    {
        // A document filled on another thread becomes the list's in the
        // list's font; a fill told to stop leaves nothing.
        ListDocument list(u"first"_s);
        QFont font = list.document()->defaultFont();
        font.setPointSize(31);
        list.document()->setDefaultFont(font);
        QTextDocument* filled = nullptr;
        std::unique_ptr<QThread> thread(QThread::create([&] {
            filled = ListDocument::filledDocument("0x1 a.bmp 1 1\r\n\x80",
                                                  [](qsizetype) { return true; });
            filled->moveToThread(QCoreApplication::instance()->thread());
        }));
        thread->start();
        QVERIFY(thread->wait());
        list.adopt(filled);
        QCOMPARE(list.text(), u"0x1 a.bmp 1 1\r\n\u20ac"_s);
        QCOMPARE(list.document()->defaultFont(), font);
        list.document()->undo();
        QCOMPARE(list.text(), u"first"_s);
        qsizetype heard = 0;
        QCOMPARE(ListDocument::filledDocument(gumpList(100).toLatin1(),
                                              [&](qsizetype done) {
                                                  heard = done;
                                                  return false;
                                              }),
                 nullptr);
        QVERIFY(heard > 0);
    }

    void knowsWhetherItIsSaved()
    {
        // Saved while it is the document it was saved as, at that undo step:
        // an edit, a Clear or a Load makes it unsaved, undoing them saved.
        ListDocument list(u"saved"_s);
        QSignalSpy unsaved(&list, &ListDocument::unsavedChanged);
        QVERIFY(!list.isUnsaved());
        list.appendText(u" more"_s);
        QVERIFY(list.isUnsaved());
        list.document()->undo();
        QVERIFY(!list.isUnsaved());
        list.setText(QString());
        QVERIFY(list.isUnsaved());
        list.document()->undo();
        QVERIFY(!list.isUnsaved());
        list.appendText(u"!"_s);
        list.markSaved();
        QVERIFY(!list.isUnsaved());
        list.document()->undo();
        QVERIFY(list.isUnsaved()); // the file has the "!" now
        QCOMPARE(unsaved,
                 (QList<QVariantList>{{true}, {false}, {true}, {false}, {true}, {false}, {true}}));
    }
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    TextBoxContract contract([] { return std::make_unique<ListDocument>(); });
    ListDocumentTest own;
    return QTest::qExec(&contract, argc, argv) | QTest::qExec(&own, argc, argv);
}

#include "tst_list_document.moc"
