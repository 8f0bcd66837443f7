#pragma once

// The lens-design host's data folder as a user sets it: the string value
// "TaldoRoot" under HKEY_CURRENT_USER\SOFTWARE\Taldo, else the user's
// Documents folder; empty when neither can be read (the load then fails with
// "Cannot load " and the path). Windows only.

#include <string>

#include <windows.h>

namespace quelbrant {

// The value as stored, without its terminator; empty on any failure.
std::wstring getRegistryString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName);

std::wstring lensDesignDataRoot();

}  // namespace quelbrant
