#include "json/RegularFileReader.h"

#include <cerrno>
#include <string>
#include <system_error>

#include "ErrorTable.h"
#include "RegularFile.h"

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
// thread with a small stack.
constexpr size_t ReadChunk = 1 << 16;

[[noreturn]] void throwCannotOpen()
{
    throw addErrorMessage(CannotOpen, false);
}

[[noreturn]] void throwReadFailure(const std::string& reason)
{
    throw addErrorMessage(std::string(CannotOpen) + " (reading it failed: " + reason + ")", false);
}

}  // namespace

#if defined(_WIN32)

RegularFileReader::RegularFileReader(const std::filesystem::path& file) : mChunk(ReadChunk)
{
    // By the wide name; CreateFileW follows links. A pipe's client end opens
    // at once or fails, so nothing blocks before the type is known.
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throwCannotOpen();
    if (!isRegularFile(reinterpret_cast<std::intptr_t>(handle))) {
        CloseHandle(handle);
        throwCannotOpen();
    }
    mFile = reinterpret_cast<std::intptr_t>(handle);
}

RegularFileReader::~RegularFileReader()
{
    CloseHandle(reinterpret_cast<HANDLE>(mFile));
}

RegularFileReader::int_type RegularFileReader::underflow()
{
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(mFile), mChunk.data(), static_cast<DWORD>(mChunk.size()), &got,
                  nullptr))
        throwReadFailure("Windows error " + std::to_string(GetLastError()));
    if (got == 0)
        return traits_type::eof();
    setg(mChunk.data(), mChunk.data(), mChunk.data() + got);
    return traits_type::to_int_type(mChunk[0]);
}

#else

RegularFileReader::RegularFileReader(const std::filesystem::path& file) : mChunk(ReadChunk)
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
    if (!isRegularFile(descriptor)) {
        ::close(descriptor);
        throwCannotOpen();
    }
    mFile = descriptor;
}

RegularFileReader::~RegularFileReader()
{
    ::close(static_cast<int>(mFile));
}

RegularFileReader::int_type RegularFileReader::underflow()
{
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(mFile), mChunk.data(), mChunk.size());
        if (got < 0) {
            const int error = errno;
            if (error == EINTR)
                continue;
            throwReadFailure(std::generic_category().message(error));
        }
        if (got == 0)
            return traits_type::eof();
        setg(mChunk.data(), mChunk.data(), mChunk.data() + got);
        return traits_type::to_int_type(mChunk[0]);
    }
}

#endif

}  // namespace quelbrant
