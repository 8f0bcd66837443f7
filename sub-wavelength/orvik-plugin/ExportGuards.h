#pragma once

// What the plug-in exports wrap around the library's C++ so that no
// exception crosses into the host in a form it cannot handle. The host knows
// one kind of failure: an int index into the error table.

#include <string>

namespace quelbrant {

// Call only inside a catch handler. Registers "<context>[ "<path>"]: <reason>"
// for the exception in flight and returns its error index. Never throws: when
// even the message cannot be stored (memory exhausted) it returns -1, which a
// host still reads as a failure and which names the newest message.
int registerCurrentException(const char* context, const wchar_t* path = nullptr) noexcept;

// A path for a message: printable ASCII kept, every other character shown as
// '?', and only the tail of a long path (the file name matters most), so the
// reason after it survives the error table's length limit.
std::string printablePath(const wchar_t* path);

// Runs load(), which returns a new instance or throws. On success stores it
// in `instance` and returns 0. On failure `instance` is left as it was: a
// thrown error index is returned as it is, any other exception is registered
// and its index returned.
template <class Load>
int loadInstance(const wchar_t* path, void*& instance, Load&& load) noexcept
{
    try {
        void* loaded = load();
        instance = loaded;
        return 0;
    } catch (int errorIndex) {
        return errorIndex;
    } catch (...) {
        return registerCurrentException("Cannot load the grating file", path);
    }
}

// Runs call() and returns its result. A thrown error index passes through;
// any other exception is registered and thrown on as its error index.
template <class Call>
auto throwOnlyErrorIndices(const char* context, Call&& call) -> decltype(call())
{
    try {
        return call();
    } catch (int) {
        throw;
    } catch (...) {
        throw registerCurrentException(context);
    }
}

}  // namespace quelbrant
