#pragma once

// Where the user-defined surface finds its grating file: the host's data
// folder (the registry's "TaldoRoot", else the user's Documents folder), the
// fixed subfolder "\DLL\Surfaces\" and the file name of the input record.

#include <string>

#include "user-surface/UserSurfaceRecords.h"

namespace quelbrant {

// The record's file name (UTF-8 up to its NUL, or up to the end of the field
// when it holds none) as UTF-16 code units; invalid sequences are skipped.
std::u16string userSurfaceFileName(const UserSurfaceInput& in);

// root + "\DLL\Surfaces\" + name, with no separator added or removed. An
// empty root leaves a path relative to the working folder or the drive's
// root: the caller must not open it.
std::wstring userSurfaceDataPath(const std::wstring& root, const std::u16string& fileName);

}  // namespace quelbrant
