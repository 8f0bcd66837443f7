#include "entry/LensDesignExports.h"

#include "diffraction/DiffractionNames.h"
#include "diffraction/DiffractionRequest.h"
#include "entry/LensDesignDataRoot.h"
#include "user-surface/UserDefinedSurface.h"

namespace {

// The host knows no exception: whatever escapes a runner becomes -1.
template <class Call>
int answerHost(Call&& call) noexcept
{
    try {
        return call();
    } catch (...) {
        return -1;
    }
}

}  // namespace

int UserDefinedSurface5(quelbrant::UserSurfaceOutput* out, quelbrant::UserSurfaceInput* in)
{
    return answerHost([&] { return quelbrant::runUserDefinedSurface5(out, in, &quelbrant::lensDesignDataRoot); });
}

int UserDiffraction2D(double* data)
{
    return answerHost([&] { return quelbrant::runUserDiffraction2D(data); });
}

int UserParamNames2D(char* data, double* block)
{
    return answerHost([&] { return quelbrant::runUserParamNames2D(data, block); });
}
