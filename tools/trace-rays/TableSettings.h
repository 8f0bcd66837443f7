#pragma once

// How the library reads the loaded tables: the settings of the grating file
// that the GPU view does not carry. trace-rays reads them from the file
// itself, resolving each key as the library's loader does; the loader's own
// functions work on its internal records and report into its error table,
// so the rules are restated here instead of linked.

#include <string>

#include "dirtyGratingWrapper.h"

struct TableSettings {
    std::string unknownReason;          // empty when the file and its basis could be read
    std::string switchesUnknownReason;  // empty when the interpolation switches could be read
    int interpolationBasis = 2;  // "polarization_interpolation_basis": 1 automatic, 2 S/P, 3 X/Y
    // The switches the angle and wavelength "polarization_interpolate_over_..."
    // flags make: either angle flag false takes the nearest node along both
    // angle axes.
    bool nearestAngleNodes = false;
    bool nearestWavelengthNode = false;
    bool known() const { return unknownReason.empty() && switchesUnknownReason.empty(); }
    const std::string& reason() const { return unknownReason.empty() ? switchesUnknownReason : unknownReason; }
    // Host mode (the lens-design entry points) reads the host's switch, which
    // trace-rays leaves at 0, instead of the file's: every axis interpolated.
    void takeHostSwitches()
    {
        nearestAngleNodes = nearestWavelengthNode = false;
        switchesUnknownReason.clear();
    }
};

// The settings of the grating file at pathUtf8 (one that the library loaded).
TableSettings readTableSettings(const std::string& pathUtf8);

// True when the library holds the loaded tables of `view` in X/Y: basis 3
// always; basis 2 unless the grid is not polar; basis 1 (automatic) unless
// the grid is polar with a single phi in both half spaces and only the
// (0, 0) order listed.
bool tablesHeldInXY(int interpolationBasis, const dirtyGratingWrapper& view);
