#include "WideText.h"

#include "logger.h"

std::string keepLowBytes(const std::wstring& text)
{
    std::string narrow(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        narrow[i] =
            static_cast<char>(static_cast<unsigned char>(static_cast<unsigned long>(text[i]) & 0xFFu));
    return narrow;
}

#if defined(_WIN32)

int LogDebug(std::wstring message)
{
    Logger& logger = getLogger();
    if (logger.isVerbose())
        logger.log(makeTimeStamp(), keepLowBytes(message));
    return -1;
}

int Log(std::wstring message)
{
    Logger& logger = getLogger();
    if (logger.isEnabled())
        logger.log(makeTimeStamp(), keepLowBytes(message));
    return -1;
}

#endif
