#include "ErrorTable.h"

#include <mutex>

#include "logger.h"
#include "sub-wavelength-orvik.h"

// First cut: plain vector storage; pointer stability is handled separately.

std::mutex mtx;
const size_t MessageMaxLength = 200;

const std::wstring GratingSurface::PluginType = L"BSDF";
const std::wstring GratingSurface::PluginGuid = L"{39428265-4B1A-4701-B0AE-DC9F60D514FE}";
const std::wstring GratingSurface::PluginDescription = L"Diffraction Grating Surface Plugin";
std::vector<std::wstring> GratingSurface::ErrorDescriptions = {L"Success"};

int addErrorMessage(const std::string& err, bool debuglog)
{
    if (debuglog)
        LogDebug(err);
    else
        Log(err);
    std::lock_guard<std::mutex> lock(mtx);
    std::wstring entry;
    if (err.size() > MessageMaxLength) {
        entry.assign(err.begin(), err.begin() + MessageMaxLength);
        entry += L"...\nTurn on debugging and see the logfile for more information";
    } else {
        entry.assign(err.begin(), err.end());
    }
    GratingSurface::ErrorDescriptions.push_back(std::move(entry));
    return static_cast<int>(GratingSurface::ErrorDescriptions.size() - 1);
}

const wchar_t* errorDescription(int index)
{
    std::lock_guard<std::mutex> lock(mtx);
    auto& table = GratingSurface::ErrorDescriptions;
    if (index < 0 || static_cast<size_t>(index) >= table.size())
        return table.back().c_str();
    return table[static_cast<size_t>(index)].c_str();
}
