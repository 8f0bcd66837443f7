#include "WideText.h"

#include "logger.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quelbrant {

std::string keepLowBytes(const std::wstring& text)
{
    std::string narrow(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        narrow[i] =
            static_cast<char>(static_cast<unsigned char>(static_cast<unsigned long>(text[i]) & 0xFFu));
    return narrow;
}

#if defined(_WIN32)

std::optional<std::wstring> wideFromActiveCodePage(const std::string& narrow)
{
    if (narrow.empty())
        return std::wstring();
    const int length = static_cast<int>(narrow.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, narrow.data(), length, nullptr, 0);
    if (units <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, narrow.data(), length, wide.data(), units) != units)
        return std::nullopt;
    return wide;
}

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

}  // namespace quelbrant
