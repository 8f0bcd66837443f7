#include "entry/LensDesignDataRoot.h"

#include <shlobj.h>

namespace quelbrant {

std::wstring getRegistryString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName)
{
    DWORD bytes = 0;
    if (RegGetValueW(root, keyPath.c_str(), valueName.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return L"";
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (value.empty() || RegGetValueW(root, keyPath.c_str(), valueName.c_str(), RRF_RT_REG_SZ, nullptr,
                                      value.data(), &bytes) != ERROR_SUCCESS)
        return L"";
    // The size read back counts the terminator; a value that shrank between
    // the two calls is cut where it now ends.
    value.resize(bytes >= sizeof(wchar_t) ? bytes / sizeof(wchar_t) - 1 : 0);
    return value;
}

std::wstring lensDesignDataRoot()
{
    std::wstring root = getRegistryString(HKEY_CURRENT_USER, L"SOFTWARE\\Taldo", L"TaldoRoot");
    if (!root.empty())
        return root;
    wchar_t documents[MAX_PATH];
    // On failure the buffer holds no defined path: no root at all.
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)))
        return L"";
    return documents;
}

}  // namespace quelbrant
