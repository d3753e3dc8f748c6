#include "font_warm_up.h"

#include <system_error>

#ifdef KAZ_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

FontConfigWarmUp::FontConfigWarmUp()
{
#ifdef KAZ_HAVE_FONTCONFIG
    try {
        // FcInit publishes the configuration atomically; should Qt ask before it is done, the
        // configuration is read twice and one copy dropped, nothing worse.
        thread_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread: Qt reads the configuration itself when it first needs a font.
    }
#endif
}

FontConfigWarmUp::~FontConfigWarmUp()
{
    wait();
}

void FontConfigWarmUp::wait()
{
    if (thread_.joinable()) thread_.join();
}
