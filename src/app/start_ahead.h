#pragma once

// The font configuration read ahead.

#include <thread>

namespace scp {

// The font configuration's files (its settings and its caches of every
// font on the system) are read the first time any font is asked for: some
// milliseconds that the window's first layout would wait for. They are read
// on a thread of their own while the application connects to the display;
// wait() before the first font is asked for. Nothing to read where the
// system has no font configuration of that kind (Windows).
class FontSetupAhead {
public:
    FontSetupAhead();
    ~FontSetupAhead();
    FontSetupAhead(const FontSetupAhead&) = delete;
    FontSetupAhead& operator=(const FontSetupAhead&) = delete;

    void wait();

private:
    std::thread m_thread;
};

} // namespace scp
