#include "ErrorTable.h"

#include <mutex>
#include <string_view>
#include <unordered_map>

#include "GratingSurface.h"
#include "logger.h"

namespace quelbrant {

// Guards GratingSurface::ErrorDescriptions. Never held together with the
// logger's mutex: every message is logged before it is taken.
static std::mutex mtx;

const size_t MessageMaxLength = 200;
const size_t NoteLimit = 100000;
const size_t ErrorLimit = 2 * NoteLimit;

// A deque, not a vector: appending never moves the existing strings, so the
// pointers that errorDescription hands out stay valid (a short string keeps
// its characters inside the string object itself). Built during static
// initialisation; no other static initialiser of the library appends to
// it, so the order among translation units does not matter.
std::deque<std::wstring> GratingSurface::ErrorDescriptions = {L"Success"};

namespace {

const wchar_t TruncationSuffix[] = L"...\nTurn on debugging and see the logfile for more information";

std::wstring widen(std::string::const_iterator first, std::string::const_iterator last)
{
    std::wstring wide;
    wide.reserve(static_cast<size_t>(last - first));
    // Through unsigned char: a byte above 0x7F becomes the character of the
    // same value, never a negative wchar_t (which is no character at all).
    for (; first != last; ++first)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*first)));
    return wide;
}

const wchar_t TableFullText[] =
    L"Too many different errors to keep in the error table; this and every later new message is only in "
    L"the log file.";

// Guarded by mtx. Errors appended after the table reached NoteLimit, by
// text: a repeated error (one bad ray traced a million times, one file
// loaded again and again) then reuses its entry instead of growing the
// table without bound. The views point into the table's own strings, which
// never move or change.
std::unordered_map<std::wstring_view, int> repeatedErrors;
int tableFullIndex = -1;
// Guarded by mtx. The entry of the most recent message: the last one
// appended, or a reused one. An index outside the table names it.
size_t mostRecentIndex = 0;

int entryFor(std::wstring&& entry, bool isNote)
{
    std::deque<std::wstring>& table = GratingSurface::ErrorDescriptions;
    if (isNote || table.size() < NoteLimit)
        return appendErrorEntry(table, std::move(entry), isNote, NoteLimit);
    if (const auto it = repeatedErrors.find(entry); it != repeatedErrors.end())
        return it->second;
    if (table.size() >= ErrorLimit) {
        if (tableFullIndex < 0)
            tableFullIndex = appendErrorEntry(table, TableFullText, false, NoteLimit);
        return tableFullIndex;
    }
    const int index = appendErrorEntry(table, std::move(entry), false, NoteLimit);
    repeatedErrors.emplace(std::wstring_view(table.back()), index);
    return index;
}

int appendUnderLock(std::wstring&& entry, bool isNote)
{
    std::lock_guard<std::mutex> lock(mtx);
    const int index = entryFor(std::move(entry), isNote);
    if (index >= 0)
        mostRecentIndex = static_cast<size_t>(index);
    return index;
}

// At most MessageMaxLength bytes of the message, one wide character per
// byte (no UTF-8 decoding), and a pointer to the log when it was cut. The
// log always receives the whole text.
std::wstring makeErrorEntry(const std::string& err)
{
    if (err.size() <= MessageMaxLength)
        return widen(err.begin(), err.end());
    std::wstring entry = widen(err.begin(), err.begin() + static_cast<std::ptrdiff_t>(MessageMaxLength));
    entry += TruncationSuffix;
    return entry;
}

}  // namespace

int appendErrorEntry(std::deque<std::wstring>& table, std::wstring&& entry, bool isNote, size_t noteLimit)
{
    if (isNote && table.size() >= noteLimit)
        return -1;
    table.push_back(std::move(entry));
    return static_cast<int>(table.size() - 1);
}

int addErrorMessage(const std::string& err, bool debuglog)
{
    if (debuglog)
        LogDebug(err);
    else
        Log(err);
    return appendUnderLock(makeErrorEntry(err), false);
}

int addNote(const std::string& note)
{
    LogDebug(note);
    return appendUnderLock(makeErrorEntry(note), true);
}

const wchar_t* errorDescription(int index)
{
    std::lock_guard<std::mutex> lock(mtx);
    const auto& table = GratingSurface::ErrorDescriptions;
    if (index < 0 || static_cast<size_t>(index) >= table.size())
        return table[mostRecentIndex < table.size() ? mostRecentIndex : table.size() - 1].c_str();
    return table[static_cast<size_t>(index)].c_str();
}

size_t errorTableSize()
{
    std::lock_guard<std::mutex> lock(mtx);
    return GratingSurface::ErrorDescriptions.size();
}

}  // namespace quelbrant
