#pragma once

// Where operations say how they went.

#include <QString>

namespace scp {

// Where operations report to: the editor shows message boxes, the headless
// compiler prints.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void information(const QString& text) = 0;
    virtual void failure(const QString& text) = 0;
    // How far a long job has come, 0 to 1, for whoever watches it.
    virtual void progress(double /*fraction*/) {}
};

} // namespace scp
