#pragma once

// What every TextBox must do, whatever holds the text: the in-memory box and
// the visible list widget both run these cases.

#include "lists/text_box.h"
#include "script/cp1252.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

struct TextBoxHarness {
    // A new, empty box.
    std::function<std::unique_ptr<scp::TextBox>()> create;
    // Selects [start, start + length) counted in text() characters (CR LF is two).
    std::function<void(scp::TextBox&, qsizetype start, qsizetype length)> select;
    // A mouse button pressed over the box.
    std::function<void(scp::TextBox&, scp::MouseButton)> press;
};

class TextBoxContract : public QObject {
    Q_OBJECT
public:
    explicit TextBoxContract(TextBoxHarness harness) : m_harness(std::move(harness)) {}

private:
    static QByteArray readBytes(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray("<unreadable>");
        return file.readAll();
    }
    static void writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    // Every byte value once, CR and LF together as one line end.
    static QByteArray everyByte()
    {
        QByteArray bytes;
        for (int b = 0; b < 256; ++b) {
            if (b != '\r' && b != '\n')
                bytes.append(char(b));
            if (b == 'M')
                bytes.append("\r\n");
        }
        return bytes;
    }

private Q_SLOTS:
    void startsEmpty()
    {
        auto box = m_harness.create();
        QVERIFY(box->isEmpty());
        QCOMPARE(box->text(), QString());
        QCOMPARE(box->selectedText(), QString());
    }

    void keepsEveryCharacter()
    {
        // Tabs, runs of spaces, the no-break space, C0 and C1 controls and the
        // rest of the code page come back exactly as set.
        auto box = m_harness.create();
        const QString all = scp::decode_cp1252(everyByte());
        box->setText(all);
        QCOMPARE(box->text(), all);
        box->setText(QString());
        box->appendText(all);
        QCOMPARE(box->text(), all);
    }

    void lineEndsBecomeCrLf_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("read");
        QTest::newRow("lone LF") << u"a\nb"_s << u"a\r\nb"_s;
        QTest::newRow("lone CR") << u"a\rb"_s << u"a\r\nb"_s;
        QTest::newRow("CR LF kept") << u"a\r\nb\r\n"_s << u"a\r\nb\r\n"_s;
        QTest::newRow("LF CR is two") << u"\n\r"_s << u"\r\n\r\n"_s;
        QTest::newRow("CR CR LF") << u"x\r\r\ny"_s << u"x\r\n\r\ny"_s;
        QTest::newRow("trailing CR") << u"end\r"_s << u"end\r\n"_s;
        QTest::newRow("blank lines") << u"\n\n\n"_s << u"\r\n\r\n\r\n"_s;
    }
    void lineEndsBecomeCrLf()
    {
        QFETCH(QString, written);
        QFETCH(QString, read);
        auto box = m_harness.create();
        box->setText(written);
        QCOMPARE(box->text(), read);
        box->setText(QString());
        box->appendText(written);
        QCOMPARE(box->text(), read);
    }

    void appendAddsOnlyAtTheEnd_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("appended");
        QTest::addColumn<QString>("after");
        QTest::newRow("to empty") << QString() << u"E"_s << u"E"_s;
        QTest::newRow("after a line end")
            << u"GUMPS WILL LOAD HERE\r\n"_s << u"    E"_s << u"GUMPS WILL LOAD HERE\r\n    E"_s;
        QTest::newRow("LF after text") << u"A"_s << u"\nB"_s << u"A\r\nB"_s;
        QTest::newRow("CR after line end") << u"A\r\n"_s << u"\r"_s << u"A\r\n\r\n"_s;
        QTest::newRow("ends in CR") << u"A"_s << u"B\r"_s << u"AB\r\n"_s;
        QTest::newRow("nothing") << u"A\r\n"_s << QString() << u"A\r\n"_s;
    }
    void appendAddsOnlyAtTheEnd()
    {
        QFETCH(QString, before);
        QFETCH(QString, appended);
        QFETCH(QString, after);
        auto box = m_harness.create();
        box->setText(before);
        box->appendText(appended);
        QCOMPARE(box->text(), after);
        box->appendText(u"Z"_s);
        QCOMPARE(box->text(), after + u"Z"_s);
    }

    void emptinessIsExact()
    {
        auto box = m_harness.create();
        for (const QString& text : {u" "_s, u"\r\n"_s, u"\t"_s, QString(QChar(0))}) {
            box->setText(text);
            QVERIFY2(!box->isEmpty(),
                     qPrintable(QString::fromLatin1(text.toUtf8().toPercentEncoding())));
        }
        box->setText(QString());
        QVERIFY(box->isEmpty());
        box->appendText(QString());
        QVERIFY(box->isEmpty());
    }

    void selectionValue()
    {
        auto box = m_harness.create();
        box->setText(u"alpha beta\r\ngamma"_s);
        QCOMPARE(box->selectedText(), QString());
        m_harness.select(*box, 6, 4);
        QCOMPARE(box->selectedText(), u"beta"_s);
        m_harness.select(*box, 8, 6); // "ta", the line end, "ga"
        QCOMPARE(box->selectedText(), u"ta\r\nga"_s);
        box->setText(u"new"_s);
        QCOMPARE(box->selectedText(), QString());
    }

    void mouseDownReportsTheButton()
    {
        auto box = m_harness.create();
        std::vector<scp::MouseButton> seen;
        box->setMouseDownHandler([&](scp::MouseButton b) { seen.push_back(b); });
        m_harness.press(*box, scp::MouseButton::Right);
        m_harness.press(*box, scp::MouseButton::Left);
        m_harness.press(*box, scp::MouseButton::Middle);
        const std::vector<scp::MouseButton> expected{
            scp::MouseButton::Right, scp::MouseButton::Left, scp::MouseButton::Middle};
        QVERIFY(seen == expected);
    }

    void filesRoundTripEveryByte()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString in = dir.filePath(u"in.scp"_s);
        const QString out = dir.filePath(u"out.scp"_s);
        writeBytes(in, everyByte());

        auto box = m_harness.create();
        QVERIFY(box->loadFile(in).ok());
        QCOMPARE(box->text().size(), everyByte().size());
        const scp::Outcome saved = box->saveFile(out, u"the test list"_s);
        QVERIFY2(saved.ok(), qPrintable(saved.error()));
        QCOMPARE(readBytes(out), everyByte());
    }

    void loadNormalisesLineEndsAndSaveAddsNothing()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(u"in.scp"_s);
        const QString out = dir.filePath(u"out.scp"_s);
        writeBytes(in, QByteArray("one\ntwo\rthree\r\n"));
        auto box = m_harness.create();
        QVERIFY(box->loadFile(in).ok());
        QCOMPARE(box->text(), u"one\r\ntwo\r\nthree\r\n"_s);
        QVERIFY(box->saveFile(out, u"the test list"_s).ok());
        QCOMPARE(readBytes(out), QByteArray("one\r\ntwo\r\nthree\r\n"));

        box->setText(QString());
        QVERIFY(box->saveFile(out, u"the test list"_s).ok());
        QCOMPARE(readBytes(out), QByteArray());
    }

    void failuresChangeNothing()
    {
        QTemporaryDir dir;
        auto box = m_harness.create();
        box->setText(u"kept\r\n"_s);

        const scp::Outcome missing = box->loadFile(dir.filePath(u"missing.scp"_s));
        QVERIFY(!missing.ok());
        QVERIFY2(missing.error().contains(u"missing.scp"_s), qPrintable(missing.error()));
        QCOMPARE(box->text(), u"kept\r\n"_s);

        const QString old = dir.filePath(u"old.scp"_s);
        writeBytes(old, QByteArray("old bytes"));
        box->setText(u"\u015Fu"_s); // s-cedilla has no byte
        const scp::Outcome unwritable = box->saveFile(old, u"the test list"_s);
        QVERIFY(!unwritable.ok());
        QVERIFY2(unwritable.error().contains(u"old.scp"_s), qPrintable(unwritable.error()));
        QVERIFY2(unwritable.error().contains(u"the test list"_s), qPrintable(unwritable.error()));
        QCOMPARE(readBytes(old), QByteArray("old bytes"));

        box->setText(u"text"_s);
        const scp::Outcome noFolder =
            box->saveFile(dir.filePath(u"nowhere/new.scp"_s), u"the test list"_s);
        QVERIFY(!noFolder.ok());
        QVERIFY2(noFolder.error().contains(u"new.scp"_s), qPrintable(noFolder.error()));
        QVERIFY(!QFile::exists(dir.filePath(u"nowhere"_s)));
    }

private:
    TextBoxHarness m_harness;
};
