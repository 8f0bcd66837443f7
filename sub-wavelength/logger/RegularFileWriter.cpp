#include "RegularFileWriter.h"

#include <cerrno>
#include <new>
#include <optional>
#include <string_view>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "RegularFile.h"
#include "WideText.h"

namespace quelbrant {

namespace {

#if defined(_WIN32)
// Bytes of translated text handed to one WriteFile: a log batch of up to
// half of it goes out in one piece.
constexpr std::size_t TranslatedBytes = std::size_t{1} << 16;
#endif

// The offset after the last byte written, -1 when it cannot be told.
std::int64_t filePosition(std::intptr_t file)
{
#if defined(_WIN32)
    LARGE_INTEGER position{};
    return SetFilePointerEx(reinterpret_cast<HANDLE>(file), LARGE_INTEGER{}, &position, FILE_CURRENT)
               ? position.QuadPart
               : -1;
#else
    return ::lseek(static_cast<int>(file), 0, SEEK_CUR);
#endif
}

// The calling thread's last error as the system numbers it.
std::error_code lastSystemError()
{
#if defined(_WIN32)
    return std::error_code(static_cast<int>(GetLastError()), std::system_category());
#else
    return std::error_code(errno, std::system_category());
#endif
}

}  // namespace

RegularFileWriter::~RegularFileWriter()
{
    close();
}

bool RegularFileWriter::isOpen() const
{
    return mFile != -1;
}

bool RegularFileWriter::open(const std::filesystem::path& file, Mode mode, std::size_t bufferBytes)
{
    close();
    mNoRegularFile = false;
    mUnfinishedLineStart = -1;
    mWrittenEnd = -1;
#if defined(_WIN32)
    mEndsInCarriageReturn = false;
#endif
    try {
        mBuffer.assign(bufferBytes, '\0');
#if defined(_WIN32)
        mTranslated.resize(TranslatedBytes);
#endif
    } catch (const std::bad_alloc&) {
        return failOpen(file, std::make_error_code(std::errc::not_enough_memory));
    }
#if defined(_WIN32)
    // A pipe's client end opens at once or fails, so nothing waits before the
    // type is known; a device name (NUL, CON) opens as no disk file.
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return failOpen(file, lastSystemError());
    const bool regular = isRegularFile(reinterpret_cast<std::intptr_t>(handle));
    if (!regular || (mode == Mode::truncate && !SetEndOfFile(handle))) {
        const std::error_code error = lastSystemError();
        CloseHandle(handle);
        return failOpen(file, error, !regular);
    }
    mAppends = mode == Mode::append;
    mFile = reinterpret_cast<std::intptr_t>(handle);
#else
    // O_NONBLOCK: opening a pipe for writing fails at once instead of waiting
    // for a reader. Emptied only once it is known to be a regular file.
    const int flags =
        O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC | O_NONBLOCK | (mode == Mode::append ? O_APPEND : 0);
    const int descriptor = ::open(file.c_str(), flags, 0666);
    if (descriptor < 0)
        return failOpen(file, lastSystemError());
    const bool regular = isRegularFile(descriptor);
    if (!regular || (mode == Mode::truncate && ::ftruncate(descriptor, 0) != 0) ||
        ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const std::error_code error = lastSystemError();
        ::close(descriptor);
        return failOpen(file, error, !regular);
    }
    mFile = descriptor;
#endif
    setp(mBuffer.data(), mBuffer.data() + mBuffer.size());
    return true;
}

bool RegularFileWriter::failOpen(const std::filesystem::path& file, std::error_code error, bool opensNoRegularFile)
{
    // A folder, or a pipe without a reader, fails to open with an error of
    // its own (Linux "Is a directory", "No such device or address"; Windows
    // "Access denied"); a device opens, and is told by what was opened.
    std::error_code ignored;
    const std::filesystem::file_status status = std::filesystem::status(file, ignored);
    mNoRegularFile =
        opensNoRegularFile || (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status));
    mFailure = error;
    return false;
}

std::string RegularFileWriter::failureReason() const
{
    // A Windows error the C library has a counterpart of (access denied,
    // path not found, disk full) reads in the C library's words, as on
    // Linux; any other in the system's own message.
    return mNoRegularFile ? "Not a regular file" : mFailure.default_error_condition().message();
}

bool RegularFileWriter::openNarrow(const std::string& file, Mode mode, std::size_t bufferBytes)
{
#if defined(_WIN32)
    const std::optional<std::wstring> wide = wideFromActiveCodePage(file);
    return wide && open(std::filesystem::path(*wide), mode, bufferBytes);
#else
    return open(std::filesystem::path(file), mode, bufferBytes);
#endif
}

bool RegularFileWriter::close()
{
    if (!isOpen())
        return true;
    bool closed = sync() == 0;
#if defined(_WIN32)
    const bool handleClosed = CloseHandle(reinterpret_cast<HANDLE>(mFile));
#else
    const bool handleClosed = ::close(static_cast<int>(mFile)) == 0;
#endif
    if (!handleClosed) {
        // A network file system may report a failed write only here.
        mFailure = lastSystemError();
        closed = false;
    }
    mFile = -1;
    setp(nullptr, nullptr);
    return closed;
}

RegularFileWriter::int_type RegularFileWriter::overflow(int_type c)
{
    if (!isOpen())
        return traits_type::eof();
    // What the buffer held goes, written or not: a report cut short is
    // already a failed one.
    const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
    const bool flushed = writeText(pbase(), pending) == pending;
    setp(mBuffer.data(), mBuffer.data() + mBuffer.size());
    if (!flushed)
        return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char character = traits_type::to_char_type(c);
    if (pptr() == epptr())
        return writeText(&character, 1) == 1 ? c : traits_type::eof();
    *pptr() = character;
    pbump(1);
    return c;
}

std::streamsize RegularFileWriter::xsputn(const char* text, std::streamsize size)
{
    if (!mBuffer.empty())
        return std::streambuf::xsputn(text, size);
    if (!isOpen())
        return 0;
    return static_cast<std::streamsize>(writeText(text, static_cast<std::size_t>(size)));
}

int RegularFileWriter::sync()
{
    return traits_type::eq_int_type(overflow(traits_type::eof()), traits_type::eof()) ? -1 : 0;
}

std::size_t RegularFileWriter::writeText(const char* text, std::size_t size)
{
#if defined(_WIN32)
    // As the C library's text mode writes it: each line feed as CR LF. A
    // write cut between the two leaves the file ending in the CR, and the
    // line feed that comes again after it needs its LF alone.
    const bool carriageReturnOut = mEndsInCarriageReturn;
    const auto bytesOf = [&](std::size_t i) -> std::size_t {
        return text[i] == '\n' && !(i == 0 && carriageReturnOut) ? 2 : 1;
    };
    std::size_t done = 0;
    while (done < size) {
        std::size_t taken = 0;
        std::size_t bytes = 0;
        while (done + taken < size && bytes + 2 <= mTranslated.size()) {
            if (bytesOf(done + taken) == 2)
                mTranslated[bytes++] = '\r';
            mTranslated[bytes++] = text[done + taken++];
        }
        const std::size_t written = writeBytes(mTranslated.data(), bytes);
        if (written < bytes) {
            // The characters all of whose bytes got out.
            for (std::size_t out = 0; (out += bytesOf(done)) <= written;)
                ++done;
            return done;
        }
        done += taken;
    }
    return done;
#else
    return writeBytes(text, size);
#endif
}

std::size_t RegularFileWriter::writeBytes(const char* bytes, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
#if defined(_WIN32)
        // Appending as the C library does: from the end as it is at each
        // write, so another writer of the same file keeps its lines.
        const HANDLE handle = reinterpret_cast<HANDLE>(mFile);
        DWORD written = 0;
        if ((mAppends && !SetFilePointerEx(handle, LARGE_INTEGER{}, nullptr, FILE_END)) ||
            !WriteFile(handle, bytes + done, static_cast<DWORD>(size - done), &written, nullptr) ||
            written == 0) {
            mFailure = lastSystemError();
            break;
        }
#else
        // A write the disk takes only in part is followed by one for the
        // rest, which tells why it stopped.
        const ssize_t written = ::write(static_cast<int>(mFile), bytes + done, size - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            mFailure = lastSystemError();
            break;
        }
#endif
        // Piece by piece: another writer may append between two of them.
        noteWhereTheLastLineStarts(bytes + done, static_cast<std::size_t>(written));
        done += static_cast<std::size_t>(written);
    }
    return done;
}

// Where the file stands after `done` bytes of this writer got out. Another
// writer of the same file may have appended between two writes: a line of
// ours cut before that stays cut where it is, and only what this writer put
// after the other's lines counts as its unfinished line.
void RegularFileWriter::noteWhereTheLastLineStarts(const char* bytes, std::size_t done)
{
#if defined(_WIN32)
    mEndsInCarriageReturn = bytes[done - 1] == '\r';
#endif
    const std::int64_t end = filePosition(mFile);
    const std::int64_t start = end - static_cast<std::int64_t>(done);
    const std::size_t lineFeed = std::string_view(bytes, done).rfind('\n');
    if (end < 0)
        mUnfinishedLineStart = -1;  // no place known: nothing is ever cut back
    else if (lineFeed != std::string_view::npos)
        mUnfinishedLineStart = lineFeed + 1 < done ? start + static_cast<std::int64_t>(lineFeed) + 1 : -1;
    else if (mUnfinishedLineStart < 0 || start != mWrittenEnd)
        mUnfinishedLineStart = start;
    mWrittenEnd = end;
}

bool RegularFileWriter::endsWhereItsLastWriteLeftIt() const
{
    if (!isOpen() || mWrittenEnd < 0)
        return false;
#if defined(_WIN32)
    LARGE_INTEGER fileSize{};
    return GetFileSizeEx(reinterpret_cast<HANDLE>(mFile), &fileSize) && fileSize.QuadPart == mWrittenEnd;
#else
    struct stat status;
    return ::fstat(static_cast<int>(mFile), &status) == 0 && status.st_size == mWrittenEnd;
#endif
}

// Only while the file still ends where this writer's last write left it:
// lines another writer appended since stay.
void RegularFileWriter::dropUnfinishedLine()
{
    if (mUnfinishedLineStart < 0 || !endsWhereItsLastWriteLeftIt())
        return;
#if defined(_WIN32)
    const HANDLE handle = reinterpret_cast<HANDLE>(mFile);
    LARGE_INTEGER lineStart{};
    lineStart.QuadPart = mUnfinishedLineStart;
    if (!SetFilePointerEx(handle, lineStart, nullptr, FILE_BEGIN) || !SetEndOfFile(handle))
        return;
    mEndsInCarriageReturn = false;
#else
    if (::ftruncate(static_cast<int>(mFile), static_cast<off_t>(mUnfinishedLineStart)) != 0)
        return;
#endif
    mWrittenEnd = mUnfinishedLineStart;
    mUnfinishedLineStart = -1;
}

}  // namespace quelbrant
