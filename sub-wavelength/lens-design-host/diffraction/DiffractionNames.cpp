#include "diffraction/DiffractionNames.h"

#include <boost/locale/encoding_utf.hpp>
#include <cstring>

#include "diffraction/DiffractionData.h"
#include "geometry/HostNumbers.h"

namespace quelbrant {

namespace {

constexpr std::size_t nameBufferBytes = 100;

const char* const diffractionParamNames[] = {"*.json",
                                             "Stochastic mode",
                                             "Test Mode",
                                             "Rotate Grating (degrees)",
                                             "Check environment index",
                                             "Parameter Scan 1",
                                             "Parameter Scan 2",
                                             "No Interpolation"};
constexpr int diffractionParamNameCount = 8;

// UTF-16 text stored in the block's bytes (no alignment assumed).
std::u16string blockText(const double* block, std::size_t byteOffset, std::size_t maxUnits)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(block) + byteOffset;
    std::u16string text;
    for (std::size_t i = 0; i < maxUnits; ++i) {
        char16_t unit;
        std::memcpy(&unit, bytes + 2 * i, sizeof unit);
        if (unit == u'\0')
            break;
        text.push_back(unit);
    }
    return text;
}

// The block's text as the wide path the loader opens, naming exactly what
// the host wrote: unchanged where wchar_t is UTF-16 (a Windows file name may
// hold a lone surrogate); elsewhere decoded, nothing when it is not UTF-16.
std::optional<std::wstring> widePathText(const std::u16string& text)
{
    namespace conv = boost::locale::conv;
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        return std::wstring(text.begin(), text.end());
    } else {
        try {
            return conv::utf_to_utf<wchar_t>(text, conv::stop);
        } catch (const conv::conversion_error&) {
            return std::nullopt;
        }
    }
}

}  // namespace

std::string getDiffractionParamName(int number, bool namesEnabled)
{
    if (number == 0)
        return diffractionParamNames[0];
    if (namesEnabled && number > 0 && number < diffractionParamNameCount)
        return diffractionParamNames[number];
    return "";
}

std::optional<std::wstring> getDiffractionFilePath(const double* block)
{
    const std::optional<std::wstring> directory =
        widePathText(blockText(block, DiffractionData::directoryBytes, DiffractionData::directoryUnits));
    const std::optional<std::wstring> fileName =
        widePathText(blockText(block, DiffractionData::fileNameBytes, DiffractionData::fileNameUnits));
    if (!directory || directory->empty() || !fileName)
        return std::nullopt;
    return *directory + L"\\" + *fileName;
}

int runUserParamNames2D(char* data, const double* block)
{
    if (!data || !block)
        return -1;
    const int number = static_cast<signed char>(data[0]);
    // A requestedType no int holds counts as 0: names stay off.
    const bool namesEnabled = hostDoubleAsInt(block[DiffractionData::requestedType]).value_or(0) != 0;
    const std::string name = getDiffractionParamName(number, namesEnabled);
    std::memset(data, 0, nameBufferBytes);
    std::memcpy(data, name.data(), name.size());
    return 0;
}

}  // namespace quelbrant
