#include "KeepLibraryLoaded.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quelbrant {

void keepLibraryLoaded()
{
#if defined(_WIN32)
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&keepLibraryLoaded), &module);
#endif
}

}  // namespace quelbrant
