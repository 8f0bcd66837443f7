#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cache/CacheKeys.h"
#include "cache/CachedSurface.h"
#include "cache/SurfaceCache.h"
#include "diffraction/DiffractionData.h"
#include "diffraction/DiffractionNames.h"
#include "diffraction/DiffractionRequest.h"
#include "geometry/HostNumbers.h"

namespace quelbrant {

std::optional<DiffractionRequest> readDiffractionRequest(const double* block)
{
    using D = DiffractionData;
    const auto count = hostDoubleAsInt(block[D::paramCount]);
    const auto type = hostDoubleAsInt(block[D::type]);
    const auto traceX = hostDoubleAsInt(block[D::traceOrderX]);
    const auto traceY = hostDoubleAsInt(block[D::traceOrderY]);
    const auto expectedX = hostDoubleAsInt(block[D::expectedOrderX]);
    const auto expectedY = hostDoubleAsInt(block[D::expectedOrderY]);
    if (!count || *count < 0 || !type || !traceX || !traceY || !expectedX || !expectedY)
        return std::nullopt;
    return DiffractionRequest{*count,     *type,      *traceX,
                              *traceY,    *expectedX, *expectedY,
                              hostDoubleAsInt(block[D::requestedType]).value_or(0)};
}

int usedParamCount(const DiffractionRequest& request)
{
    return std::min(request.paramCount, static_cast<int>(DiffractionData::paramsUsed));
}

int runUserDiffraction2D(double* block)
{
    if (!block)
        return -1;
    const std::optional<DiffractionRequest> request = readDiffractionRequest(block);
    if (!request)
        return -1;
    const double* first = block + DiffractionData::paramValues;
    const std::vector<double> params(first, first + usedParamCount(*request));
    const std::size_t key = diffractionCacheKey(block, params);
    return diffractionSurfaceCache().lookupOrBuild(
        key,
        [&] {
            // A block that names no file to open fails the build as a missing
            // file does: -1, nothing cached, the next call tries again.
            const std::optional<std::wstring> path = getDiffractionFilePath(block);
            if (!path)
                throw -1;
            return std::make_unique<CachedSurface>(*path, params);
        },
        [&](const CachedSurface& entry) {
            entry.interaction(block);
            return 0;
        },
        [] {});
}

}  // namespace quelbrant
