#include "fail_on_warnings.h"

#include <QFile>

#include <windows.h>

namespace {

std::wstring wide(const QString& path)
{
    return path.toStdWString();
}

// A value of the version resource's string table (US English, Unicode).
QString versionString(const QByteArray& info, const QString& name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = wide(u"\\StringFileInfo\\040904B0\\"_s + name);
    if (!VerQueryValueW(info.constData(), key.c_str(), &value, &length) || length == 0)
        return u"<none>"_s;
    return QString::fromWCharArray(static_cast<const wchar_t*>(value), int(length) - 1);
}

// IMAGE_SUBSYSTEM_WINDOWS_GUI (2) or _CUI (3), from the PE header.
int subsystem(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray head = file.read(4096);
    const auto at = [&](qsizetype offset, int size) {
        quint32 value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = (value << 8) | quint8(head.at(offset + i));
        return value;
    };
    const qsizetype pe = at(0x3c, 4);
    return head.mid(pe, 4) == QByteArray("PE\0\0", 4) ? int(at(pe + 24 + 68, 2)) : -1;
}

} // namespace

class WindowsProgramsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void programs_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("subsystem");
        QTest::newRow("editor") << QStringLiteral(SCP_EDITOR_EXE) << u"scpmaker"_s
                                << int(IMAGE_SUBSYSTEM_WINDOWS_GUI);
        QTest::newRow("compiler") << QStringLiteral(SCP_COMPILE_EXE) << u"scpmaker-compile"_s
                                  << int(IMAGE_SUBSYSTEM_WINDOWS_CUI);
    }
    void programs()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(int, subsystem);
        QCOMPARE(::subsystem(path), subsystem);

        const DWORD size = GetFileVersionInfoSizeW(wide(path).c_str(), nullptr);
        QVERIFY(size > 0);
        QByteArray info(size, '\0');
        QVERIFY(GetFileVersionInfoW(wide(path).c_str(), 0, size, info.data()));
        const QString version = QStringLiteral(SCP_VERSION);
        QCOMPARE(versionString(info, u"ProductName"_s), u"scpmaker"_s);
        QCOMPARE(versionString(info, u"ProductVersion"_s), version);
        QCOMPARE(versionString(info, u"FileVersion"_s), version + u".0"_s);
        QCOMPARE(versionString(info, u"OriginalFilename"_s), name + u".exe"_s);
        QVERIFY(versionString(info, u"FileDescription"_s).startsWith(name + u": "_s));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        QVERIFY(VerQueryValueW(info.constData(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        const QStringList parts = version.split(u'.');
        QCOMPARE(fixed->dwFileVersionMS, DWORD(parts[0].toUInt() << 16 | parts[1].toUInt()));
        QCOMPARE(fixed->dwFileVersionLS, DWORD(parts[2].toUInt() << 16));

        QVERIFY(ExtractIconExW(wide(path).c_str(), -1, nullptr, nullptr, 0) >= 1);
    }
};

QTEST_GUILESS_MAIN(WindowsProgramsTest)
#include "tst_windows_programs.moc"
