#pragma once

#include <QString>

namespace scp {

// Where operations report to: the editor shows message boxes, the headless
// compiler prints.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void information(const QString& text) = 0;
    virtual void failure(const QString& text) = 0;
};

} // namespace scp
