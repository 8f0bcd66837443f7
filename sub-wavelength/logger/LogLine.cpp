#include <iomanip>
#include <ostream>

#include "logger.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace quelbrant {

unsigned long long currentThreadNumber()
{
#if defined(_WIN32)
    return static_cast<unsigned long long>(GetCurrentThreadId());
#else
    return static_cast<unsigned long long>(pthread_self());
#endif
}

void streamThreadTag(std::ostream& line)
{
    line << "[0x" << std::setw(16) << std::setfill('0') << std::hex << currentThreadNumber() << "] "
         << std::resetiosflags(std::ios_base::basefield);
}

}  // namespace quelbrant
