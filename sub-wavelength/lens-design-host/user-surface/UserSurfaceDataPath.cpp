#include "user-surface/UserSurfaceDataPath.h"

#include <boost/locale/encoding_utf.hpp>
#include <cstring>

namespace quelbrant {

std::u16string userSurfaceFileName(const UserSurfaceInput& in)
{
    const char* begin = in.fileName;
    const void* nul = std::memchr(begin, '\0', UserSurfaceFileNameCapacity);
    const char* end = nul ? static_cast<const char*>(nul) : begin + UserSurfaceFileNameCapacity;
    return boost::locale::conv::utf_to_utf<char16_t>(begin, end, boost::locale::conv::skip);
}

std::wstring userSurfaceDataPath(const std::wstring& root, const std::u16string& fileName)
{
    std::wstring name;
    if constexpr (sizeof(wchar_t) == sizeof(char16_t))
        name.assign(fileName.begin(), fileName.end());
    else
        name = boost::locale::conv::utf_to_utf<wchar_t>(fileName, boost::locale::conv::skip);
    return root + L"\\DLL\\Surfaces\\" + name;
}

}  // namespace quelbrant
