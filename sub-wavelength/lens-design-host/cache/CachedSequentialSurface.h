#pragma once

// Cache entry of the user-defined surface entry: the loaded surface only.

#include <string>
#include <vector>

#include "CacheLinePad.h"

namespace quelbrant {

class GratingSurface;

struct CachedSequentialSurface {
    // Loads path in host-program mode as "Log" (params[4]) asks: 0 no log, 99
    // verbose log and the verification report, any other value the log.
    // Throws what the loader throws.
    CachedSequentialSurface(const std::wstring& path, const std::vector<double>& params);
    ~CachedSequentialSurface();
    CachedSequentialSurface(const CachedSequentialSurface&) = delete;
    CachedSequentialSurface& operator=(const CachedSequentialSurface&) = delete;

private:
    CacheLinePad leadingPad;  // every ray reads the fields between the pads

public:
    GratingSurface* surface = nullptr;  // owned
    bool stochastic = false;            // always false for this entry

private:
    CacheLinePad trailingPad;
};

}  // namespace quelbrant
