#pragma once

// Writing the files the library makes: the log, the verification report and
// the CMOS note. Only a regular file (links followed), or one created here,
// is written: opening a named pipe for writing would wait for a reader, with
// the logger's or the diffraction cache's lock held, and a device is no
// place for a report.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <streambuf>
#include <string>
#include <system_error>
#include <vector>

namespace quelbrant {

// The file as a stream buffer, in text mode (line feeds go out as CR LF on
// Windows), with `bufferBytes` of buffer; with none, each sputn is one write
// and its count is how much of the text reached the file.
class RegularFileWriter : public std::streambuf {
public:
    enum class Mode { append, truncate };

    RegularFileWriter() = default;
    ~RegularFileWriter() override;
    RegularFileWriter(const RegularFileWriter&) = delete;
    RegularFileWriter& operator=(const RegularFileWriter&) = delete;

    // Opens `file`, creating it; the opening never waits. False, with
    // nothing open, when it cannot be opened or is no regular file; only a
    // regular file is emptied (truncate).
    bool open(const std::filesystem::path& file, Mode mode, std::size_t bufferBytes);
    // The same for a name in the system's narrow encoding (Windows: the
    // active code page), as the C library's fopen takes it.
    bool openNarrow(const std::string& file, Mode mode, std::size_t bufferBytes);
    bool isOpen() const;
    // Writes what the buffer holds and closes: false when some of it could
    // not be written.
    bool close();
    // Cuts the file back to the end of its last whole line where this
    // writer's last write left a line unfinished and the file still ends
    // there: a log whose line the disk cut and that cannot be finished ends
    // in whole lines. Another writer's lines are never cut; one that appends
    // between this check and the cut is a race no file lock of the system
    // rules out.
    void dropUnfinishedLine();
    // True while the file ends where this writer's last write left it: no
    // other writer has appended (or cut) since. False when that cannot be
    // told.
    bool endsWhereItsLastWriteLeftIt() const;
    // Why the last open or write failed, as the system says it ("Permission
    // denied", "No such file or directory"), or "Not a regular file".
    std::string failureReason() const;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize size) override;
    int sync() override;

private:
    // Characters of `text` that reached the file.
    std::size_t writeText(const char* text, std::size_t size);
    std::size_t writeBytes(const char* bytes, std::size_t size);
    void noteWhereTheLastLineStarts(const char* bytes, std::size_t done);

    // False, with the failure kept for failureReason: a name that is no
    // regular file (or opened as none) fails as such, whatever error its
    // opening gave.
    bool failOpen(const std::filesystem::path& file, std::error_code error, bool opensNoRegularFile = false);

    std::intptr_t mFile = -1;              // the Windows handle, elsewhere the descriptor
    std::error_code mFailure;              // what the system said of the last failure
    bool mNoRegularFile = false;           // the last failure: a name that is no regular file
    std::int64_t mUnfinishedLineStart = -1;  // file offset of this writer's cut last line; -1: none
    std::int64_t mWrittenEnd = -1;           // file offset after this writer's last write
    std::vector<char> mBuffer;
#if defined(_WIN32)
    bool mAppends = false;
    bool mEndsInCarriageReturn = false;  // the last byte written
    std::vector<char> mTranslated;       // text with its CR LF line ends
#endif
};

}  // namespace quelbrant
