#pragma once

namespace quelbrant {

// Pins the library in the process on Windows (no effect elsewhere): later
// FreeLibrary calls leave it mapped until the process ends. For state whose
// clean-up must run on the library's own code at a time the host does not
// control: a thread that ends, or the unload notification itself.
void keepLibraryLoaded();

}  // namespace quelbrant
