#include "user-surface/UserDefinedSurface.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "cache/CacheKeys.h"
#include "cache/CachedSequentialSurface.h"
#include "cache/HostLog.h"
#include "cache/SurfaceCache.h"
#include "user-surface/AsphericSurface.h"
#include "user-surface/HostRay.h"
#include "user-surface/InteractionReal.h"
#include "user-surface/ParaxialRay.h"
#include "user-surface/SurfaceParamNames.h"
#include "user-surface/UserSurfaceDataPath.h"

namespace quelbrant {

namespace {

enum Request { DescriptionText = 0, ParameterName = 1, Sag = 3, ParaxialRay = 4, RealRay = 5, ResetExtra = 6,
               ResetParameters = 7 };

// Copies text and its NUL; every answer fits the field.
void writeText(UserSurfaceOutput& out, const std::string& text)
{
    std::memcpy(out.text, text.c_str(), text.size() + 1);
}

void answerDescription(UserSurfaceOutput& out, int item)
{
    if (item == 0)
        writeText(out, "---");
    else if (item == 1 || item == 2)
        writeText(out, "");
}

void writeSag(HostRay& ray, const std::vector<double>& params)
{
    UserSurfaceOutput& out = ray.out();
    const double sag = calculateSag(out.x, out.y, ray.in().curvature, ray.in().conic, params);
    // Coordinates far beyond the surface can overflow it: no infinite sag
    // reaches the host.
    if (!std::isfinite(sag))
        throw logHostFailureDebug(L"Cannot calculate sag");
    out.sag = sag;
    out.sagSecond = 0.0;
}

int runRequest(const CachedSequentialSurface& entry, HostRay& ray)
{
    switch (ray.in().type) {
    case Sag:
        writeSag(ray, ray.parameterRange(0, UserSurfaceParamCount));
        break;
    case ParaxialRay:
        traceParaxialRay(ray);
        break;
    case RealRay:
        interactionReal(&entry, &ray);
        break;
    case ResetExtra:
        for (double& value : ray.out().extra)
            value = 0.0;
        break;
    case ResetParameters:
        for (double& value : ray.in().param)
            value = 0.0;
        break;
    default:  // 2, 8 and any other type: the load alone
        break;
    }
    return 0;
}

// The cache key of the record's file name and "Log". A host traces ray
// after ray through one surface, so each thread keeps the name bytes and
// "Log" bits it keyed last and skips decoding and hashing the name again.
// Plain data only: thread-locals with destructors are unsafe on the
// Windows toolchain. A thread's first call always misses the memo and so
// reaches sequentialCacheKey, which pins the DLL before the call returns:
// no thread can end, and run the emulated thread-locals' clean-up, first.
struct LastSequentialKey {
    char fileName[UserSurfaceFileNameCapacity];
    std::size_t length = 0;
    double log = 0.0;
    std::size_t key = 0;
    bool valid = false;
};

thread_local LastSequentialKey lastKey;

std::size_t sequentialKeyOf(const UserSurfaceInput& in)
{
    const std::size_t length = strnlen(in.fileName, UserSurfaceFileNameCapacity);
    const double log = in.param[SurfaceParam::Log];
    if (lastKey.valid && lastKey.length == length && std::memcmp(&lastKey.log, &log, sizeof log) == 0 &&
        std::memcmp(lastKey.fileName, in.fileName, length) == 0)
        return lastKey.key;
    const std::vector<double> keyParams(in.param, in.param + SurfaceParam::Log + 1);
    lastKey.valid = false;
    lastKey.key = sequentialCacheKey(userSurfaceFileName(in), keyParams);
    std::memcpy(lastKey.fileName, in.fileName, length);
    lastKey.length = length;
    lastKey.log = log;
    lastKey.valid = true;
    return lastKey.key;
}

}  // namespace

int runUserDefinedSurface5(UserSurfaceOutput* out, UserSurfaceInput* in, DataRootSource dataRoot)
{
    if (!out || !in)
        return -1;
    if (in->type == DescriptionText) {
        answerDescription(*out, in->item);
        return 0;
    }
    if (in->type == ParameterName) {
        writeText(*out, getSurfaceParamName(in->item));
        return 0;
    }

    const std::size_t key = sequentialKeyOf(*in);
    HostRay ray(out, in);
    std::wstring path;
    return sequentialSurfaceCache().lookupOrBuild(
        key,
        [&] {
            const std::wstring root = dataRoot ? dataRoot() : std::wstring();
            path = userSurfaceDataPath(root, userSurfaceFileName(*in));
            // Without a root the path would name the drive's root (Windows) or
            // the working folder: no data folder is found, nothing is opened.
            if (root.empty())
                throw -1;
            return std::make_unique<CachedSequentialSurface>(path, ray.parameterRange(0, UserSurfaceParamCount));
        },
        [&](const CachedSequentialSurface& entry) { return runRequest(entry, ray); },
        [&] { logHostFailure(L"Cannot load " + path); });
}

}  // namespace quelbrant
