#pragma once

// Cache entry of the two-dimensional diffraction entry: one loaded surface
// with the settings that shaped it. Built once per key, then only read by
// any number of ray threads at once.

#include <string>
#include <vector>

#include "CacheLinePad.h"

namespace quelbrant {

class GratingSurface;

struct CachedSurface {
    // Loads path in host-program mode as "Test Mode" (params[2]) asks: log
    // and verbose switches, CMOS mode, verification report and the CMOS note
    // after it. Throws what the loader throws.
    CachedSurface(const std::wstring& path, const std::vector<double>& params);
    ~CachedSurface();
    CachedSurface(const CachedSurface&) = delete;
    CachedSurface& operator=(const CachedSurface&) = delete;

    // Traces the ray of the host block and writes the outgoing ray into it.
    // Reads the surface only.
    void interaction(double* block) const;

private:
    CacheLinePad leadingPad;  // every ray reads the fields between the pads

public:
    GratingSurface* surface = nullptr;  // owned
    bool stochastic = false;            // "Stochastic mode" is not 0.0 (NaN counts as not 0.0)
    double rotationDegrees = 0.0;       // "Rotate Grating (degrees)"

private:
    CacheLinePad trailingPad;
};

}  // namespace quelbrant
