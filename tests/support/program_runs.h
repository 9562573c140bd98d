#pragma once

// A command-line program run to its end, as a test sees it.

#include <QProcess>
#include <QStringList>

struct Run {
    int exitCode = -1; // also when it crashed or ran for over a minute, `err` saying which
    QByteArray out, err;
    bool operator==(const Run&) const = default;
};

// How QCOMPARE shows a run.
inline char* toString(const Run& run)
{
    return qstrdup("exit " + QByteArray::number(run.exitCode) + ", out \"" + run.out +
                   "\", err \"" + run.err + '"');
}

// Runs `program` in `folder`, its standard output to the file `output` if given.
inline Run runProgram(const QString& program, const QStringList& args, const QString& folder,
                      const QString& output = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, {}, process.errorString().toUtf8()};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}
