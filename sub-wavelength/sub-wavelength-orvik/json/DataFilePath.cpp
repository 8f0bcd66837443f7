#include "json/DataFilePath.h"

#include <cwchar>
#include <stdexcept>

#if defined(_WIN32)
#include <windows.h>

#include "WideText.h"
#endif

namespace quelbrant {

namespace {

constexpr char32_t MaxCodePoint = 0x10FFFF;

bool isHighSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

[[noreturn]] void throwUnconvertible(char32_t value, size_t position)
{
    throw std::range_error("wide file name holds a value that is not a Unicode character (" +
                           std::to_string(static_cast<unsigned long>(value)) + " at position " +
                           std::to_string(position) + ")");
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code unit as an unsigned value of the width wchar_t has here.
char32_t codeUnit(wchar_t w)
{
    if constexpr (sizeof(wchar_t) == 2)
        return static_cast<char32_t>(static_cast<char16_t>(w));
    else
        return static_cast<char32_t>(w);
}

}  // namespace

std::string utf8FromWide(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = codeUnit(wide[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            // UTF-16: a high surrogate must be followed by a low one.
            if (isHighSurrogate(c)) {
                if (i + 1 == wide.size() || !isLowSurrogate(codeUnit(wide[i + 1])))
                    throwUnconvertible(c, i);
                c = 0x10000 + ((c - 0xD800) << 10) + (codeUnit(wide[i + 1]) - 0xDC00);
                ++i;
            } else if (isLowSurrogate(c)) {
                throwUnconvertible(c, i);
            }
        } else if (c > MaxCodePoint || isHighSurrogate(c) || isLowSurrogate(c)) {
            throwUnconvertible(c, i);
        }
        appendUtf8(out, c);
    }
    return out;
}

std::filesystem::path dataFilePath(const wchar_t* filename)
{
    if (filename == nullptr)
        return {};
#if defined(_WIN32)
    return std::filesystem::path(std::wstring(filename));
#else
    return std::filesystem::path(utf8FromWide(std::wstring_view(filename, std::wcslen(filename))));
#endif
}

std::string narrowPathText(const std::filesystem::path& path)
{
#if defined(_WIN32)
    const std::wstring& wide = path.native();
    if (wide.empty())
        return {};
    const int length = static_cast<int>(wide.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes > 0) {
        std::string narrow(static_cast<size_t>(bytes), '\0');
        if (WideCharToMultiByte(CP_ACP, 0, wide.data(), length, narrow.data(), bytes, nullptr, nullptr) ==
            bytes && wideFromActiveCodePage(narrow) == wide)
            return narrow;
    }
    // The code page cannot take the text exactly: a best-fit look-alike
    // ("data" for a folder whose a bears a macron) names another file, and a
    // log would land in that sibling. ASCII is kept and the rest marked '?',
    // which no Windows file name holds, so the text opens nothing.
    std::string narrow;
    for (wchar_t w : wide)
        narrow += (w > 0 && w < 0x80) ? static_cast<char>(w) : '?';
    return narrow;
#else
    return path.native();
#endif
}

}  // namespace quelbrant
