#include "cache/HostLog.h"

#include "WideText.h"
#include "logger.h"

namespace quelbrant {

int logHostFailureDebug(const std::wstring& text)
{
    Logger& logger = getLogger();
    if (logger.isVerbose())
        logger.log(makeTimeStamp(), keepLowBytes(text));
    return -1;
}

int logHostFailure(const std::wstring& text)
{
    Logger& logger = getLogger();
    if (logger.isEnabled())
        logger.log(makeTimeStamp(), keepLowBytes(text));
    return -1;
}

}  // namespace quelbrant
