#pragma once

// Marks a function as part of the library's binary interface. Everything
// else is hidden.
#if defined(_WIN32)
#define QUELBRANT_EXPORT __declspec(dllexport)
#else
#define QUELBRANT_EXPORT __attribute__((visibility("default")))
#endif
