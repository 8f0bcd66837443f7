#include "GratingSurface.h"

#include "logger.h"

namespace quelbrant {

// The logger is process-wide: these change it for every surface, and the
// last caller wins.

GratingSurface& GratingSurface::setLogPath(const std::string& path)
{
    getLogger().setLogPath(path);
    return *this;
}

GratingSurface& GratingSurface::enableLog(bool isEnabled)
{
    getLogger().setEnabled(isEnabled);
    return *this;
}

GratingSurface& GratingSurface::setVerboseLog(bool isVerbose)
{
    getLogger().setVerbose(isVerbose);
    return *this;
}

}  // namespace quelbrant
