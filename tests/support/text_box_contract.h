#pragma once

// What every TextBox must do: the in-memory box and the list document run these.

#include "fail_on_warnings.h"
#include "text/cp1252.h"
#include "text/text_box.h"

#include <QObject>

#include <functional>
#include <memory>

class TextBoxContract : public QObject {
    Q_OBJECT
public:
    using Create = std::function<std::unique_ptr<scp::TextBox>()>;
    explicit TextBoxContract(Create create) : m_create(std::move(create)) {}

private:
    Create m_create;
    // Every byte value once, CR and LF together as one line end.
    const QByteArray m_everyByte = [] {
        QByteArray bytes;
        for (int b = 0; b < 256; ++b)
            bytes.append(b == '\n' ? QByteArray() : b == '\r' ? "\r\n" : QByteArray(1, char(b)));
        return bytes;
    }();

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void textComesBackExactly_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("read");                  // what `written` reads as
        const QString all = scp::decodeCp1252(m_everyByte); // tabs, U+00A0, C0 and C1 controls...
        QTest::newRow("every character") << QString() << all << all;
        QTest::newRow("lone LF, lone CR") << QString() << u"a\nb\rc"_s << u"a\r\nb\r\nc"_s;
        QTest::newRow("LF CR is two") << QString() << u"\n\r"_s << u"\r\n\r\n"_s;
        QTest::newRow("CR CR LF") << QString() << u"x\r\r\ny\r"_s << u"x\r\n\r\ny\r\n"_s;
        QTest::newRow("after a line end") << u"GUMPS\r\n"_s << u"    E"_s << u"    E"_s;
        QTest::newRow("LF after text") << u"A"_s << u"\nB"_s << u"\r\nB"_s;
        QTest::newRow("CR after line end") << u"A\r\n"_s << u"\r"_s << u"\r\n"_s;
    }
    void textComesBackExactly()
    {
        // Set whole, then appended at the end of `before`.
        QFETCH(QString, before);
        QFETCH(QString, written);
        QFETCH(QString, read);
        auto box = m_create();
        QVERIFY(box->isEmpty());
        if (before.isEmpty()) {
            box->setText(written);
            QCOMPARE(box->text(), read);
        }
        box->setText(before);
        box->appendText(written);
        QCOMPARE(box->text(), before + read);
        box->appendText(u"Z"_s);
        QCOMPARE(box->text(), before + read + u"Z"_s);
        // holds() is text() ==, line ends and all.
        const QString whole = box->text();
        QVERIFY(box->holds(whole) && !box->holds(whole.chopped(1)) && !box->holds(whole + u'Z'));
    }

    void emptinessEncodingAndFileBytes()
    {
        auto box = m_create();
        for (const QString& text : {u" "_s, u"\r\n"_s, QString(QChar(0))}) {
            box->setText(text);
            QVERIFY(!box->isEmpty());
        }
        box->setText(QString());
        box->appendText(QString());
        QVERIFY(box->isEmpty());

        // A character with no byte is found where text() has it, past line ends and spaces.
        const QString longRow = QString(600, u'a') + QString(40, u' ');
        box->setText(u"alpha\r\n"_s + longRow + u"b\u015Fc"_s);
        QCOMPARE(box->encoded().badIndex, 7 + longRow.size() + 1);

        // A file's bytes come back as the same bytes.
        box->setFileContent(m_everyByte);
        QCOMPARE(box->encoded().bytes, m_everyByte);
        box->setFileContent("a\nb\r");
        QCOMPARE(box->text(), u"a\r\nb\r\n"_s);
    }
};
