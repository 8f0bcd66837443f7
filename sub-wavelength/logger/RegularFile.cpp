#include "RegularFile.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace quelbrant {

bool isRegularFile(std::intptr_t file)
{
#if defined(_WIN32)
    // A device name (NUL, CON) and a pipe open as no disk file.
    const HANDLE handle = reinterpret_cast<HANDLE>(file);
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
#else
    struct stat status;
    return ::fstat(static_cast<int>(file), &status) == 0 && S_ISREG(status.st_mode);
#endif
}

}  // namespace quelbrant
