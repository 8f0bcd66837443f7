#include "cache/CachedSequentialSurface.h"

#include <memory>
#include <optional>

#include "geometry/HostNumbers.h"
#include "logger.h"
#include "GratingSurface.h"

namespace quelbrant {

namespace {

constexpr int verboseLogValue = 99;

// "Log" as an int; a value no int holds counts as on but not verbose.
int logSetting(const std::vector<double>& params)
{
    const double value = params.size() > 4 ? params[4] : 0.0;
    return hostDoubleAsInt(value).value_or(1);
}

}  // namespace

CachedSequentialSurface::CachedSequentialSurface(const std::wstring& path, const std::vector<double>& params)
{
    const int log = logSetting(params);
    std::unique_ptr<GratingSurface> loaded(
        new GratingSurface(path.c_str(), log != 0, log == verboseLogValue, /*taldocall=*/true));
    LogDebug("JSON is loaded. (sequential)");
    if (std::string failure; log == verboseLogValue && !loaded->export_verify_data(path, failure))
        Log("Export JSON verify data failed (sequential). ", failure);
    LogDebug("JSON verify data exported (sequential).");
    surface = loaded.release();
}

CachedSequentialSurface::~CachedSequentialSurface()
{
    delete surface;
}

}  // namespace quelbrant
