#include "RegularFileText.h"

#include <cerrno>
#include <system_error>
#include <vector>

#include "ErrorTable.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quelbrant {

namespace {

const char* const CannotOpen = "Unable to open or access file";

// Bytes taken per read, in a buffer on the heap: a host may load from a
// thread with a small stack. The text itself is reserved at the file's size.
constexpr size_t ReadChunk = 1 << 16;

[[noreturn]] void throwCannotOpen()
{
    throw addErrorMessage(CannotOpen, false);
}

[[noreturn]] void throwReadFailure(const std::string& reason)
{
    throw addErrorMessage(std::string(CannotOpen) + " (reading it failed: " + reason + ")", false);
}

#if defined(_WIN32)

struct HandleCloser {
    HANDLE handle;
    ~HandleCloser() { CloseHandle(handle); }
};

std::string readRegular(const std::filesystem::path& file)
{
    // By the wide name; CreateFileW follows links. A pipe's client end opens
    // at once or fails, so nothing blocks before the type is known.
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throwCannotOpen();
    const HandleCloser closer{handle};
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throwCannotOpen();

    std::string text;
    text.reserve((static_cast<size_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    std::vector<char> chunk(ReadChunk);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(handle, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr))
            throwReadFailure("Windows error " + std::to_string(GetLastError()));
        if (got == 0)
            return text;
        text.append(chunk.data(), got);
    }
}

#else

struct DescriptorCloser {
    int descriptor;
    ~DescriptorCloser() { ::close(descriptor); }
};

std::string readRegular(const std::filesystem::path& file)
{
    // The name is looked at before it is opened, since opening a pipe for
    // reading waits for a writer; the open descriptor is looked at again in
    // case the name was swapped in between (O_NONBLOCK keeps that open from
    // waiting, and means nothing for a regular file's reads).
    struct stat status;
    if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        throwCannotOpen();
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0)
        throwCannotOpen();
    const DescriptorCloser closer{descriptor};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        throwCannotOpen();

    std::string text;
    text.reserve(static_cast<size_t>(status.st_size));
    std::vector<char> chunk(ReadChunk);
    for (;;) {
        const ssize_t got = ::read(descriptor, chunk.data(), chunk.size());
        if (got < 0) {
            const int error = errno;
            if (error == EINTR)
                continue;
            throwReadFailure(std::generic_category().message(error));
        }
        if (got == 0)
            return text;
        text.append(chunk.data(), static_cast<size_t>(got));
    }
}

#endif

}  // namespace

std::string readRegularFile(const std::filesystem::path& file)
{
    return readRegular(file);
}

}  // namespace quelbrant
