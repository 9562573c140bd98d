// The font configuration read ahead.

#include "start_ahead.h"

#ifdef SCP_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace scp {

FontSetupAhead::FontSetupAhead()
{
#ifdef SCP_FONTCONFIG
    // Qt's own first font asks for the same configuration and finds it read.
    m_thread = std::thread([] { FcInit(); });
#endif
}

FontSetupAhead::~FontSetupAhead()
{
    wait();
}

void FontSetupAhead::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace scp
