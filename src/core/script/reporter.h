#pragma once

// Where operations say how they went.

#include <QString>

#include <functional>

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
    // Runs `blocking`, a step that touches nothing but its own data (the
    // files being written), and returns once it is done. A window runs it
    // beside its own thread so that it stays painted meanwhile.
    virtual void runAside(const std::function<void()>& blocking) { blocking(); }
};

} // namespace scp
