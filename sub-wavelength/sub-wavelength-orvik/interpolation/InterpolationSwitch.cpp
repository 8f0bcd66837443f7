#include "interpolation/InterpolationSwitch.h"

namespace quelbrant {

NearestNodeAxes decodeInterpolationSwitch(int no_interp)
{
    NearestNodeAxes nearest;
    if (no_interp < 1 || no_interp > 7)
        return nearest;
    nearest.wavelength = (no_interp & NearestWavelengthNode) != 0;
    nearest.angles = ((no_interp / NearestAngleNodes) & 1) != 0;
    nearest.position = ((no_interp / NearestPositionNodes) & 1) != 0;
    return nearest;
}

}  // namespace quelbrant
