#pragma once

// Incidence angle per wavelength for a half space whose polar angle scales
// with frequency (the file's "f_conversion"): the tabulated theta holds at a
// reference wavelength, and the in-plane wave vector stays fixed while the
// wavelength changes, so sin(theta) grows in proportion to the wavelength.

#include <vector>

#include "NdArray.h"

namespace quelbrant {

// Table [theta index, wavelength index] in degrees for a sorted theta axis
// (degrees) and wavelength axis. The reference is the mean of the reciprocals
// of the first and last wavelength. Angles past grazing are clipped to +90 or
// -90 degrees, each clipped row nudged by 1e-8 degrees per row so the rows stay
// strictly ordered. The wavelength axis must not be empty (the caller rejects
// such a file); an empty theta axis gives an empty table.
NdArrayReal thetaPerWavelength(const std::vector<double>& thetaDegrees, const std::vector<double>& lambda);

}  // namespace quelbrant
