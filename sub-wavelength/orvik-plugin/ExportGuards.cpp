#include "ExportGuards.h"

#include <exception>
#include <new>

#include "ErrorTable.h"

namespace quelbrant {

namespace {

// Keeps the tail of a long path; with the context and the reason the message
// stays within the error table's 200 bytes.
constexpr size_t PathTailLength = 100;

std::string reasonOfCurrentException()
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return "out of memory";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}

}  // namespace

std::string printablePath(const wchar_t* path)
{
    if (path == nullptr)
        return "(no name)";
    std::string text;
    for (const wchar_t* c = path; *c != L'\0'; ++c) {
        // Compare as an unsigned code unit: wchar_t is signed on some targets.
        const auto unit = static_cast<unsigned long>(*c);
        text += (unit >= 0x20 && unit < 0x7F) ? static_cast<char>(unit) : '?';
    }
    if (text.size() > PathTailLength)
        text = "..." + text.substr(text.size() - PathTailLength);
    return text;
}

int registerCurrentException(const char* context, const wchar_t* path) noexcept
{
    try {
        std::string message = context;
        if (path != nullptr)
            message += " \"" + printablePath(path) + "\"";
        message += ": " + reasonOfCurrentException();
        return addErrorMessage(message, false);
    } catch (...) {
        return -1;
    }
}

}  // namespace quelbrant
