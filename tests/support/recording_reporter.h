#pragma once

#include "script/reporter.h"

#include <QStringList>

// Keeps what an operation reported, in order, for tests to check.
class RecordingReporter final : public scp::Reporter {
public:
    void information(const QString& text) override { messages << QStringLiteral("info: ") + text; }
    void failure(const QString& text) override { messages << QStringLiteral("failure: ") + text; }
    QStringList messages;
};
