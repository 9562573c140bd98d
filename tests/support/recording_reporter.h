#pragma once

#include "script/reporter.h"

#include <QStringList>

// Keeps what an operation reported, in order, for tests to check.
class RecordingReporter final : public scp::Reporter {
public:
    void information(const QString& text) override { messages << QStringLiteral("info: ") + text; }
    void failure(const QString& text) override { messages << QStringLiteral("failure: ") + text; }
    void runAside(const std::function<void()>& blocking) override
    {
        ++asides;
        blocking();
    }
    QStringList messages;
    int asides = 0; // steps run aside
};
