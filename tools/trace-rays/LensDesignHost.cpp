#include "LensDesignHost.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "Utf8Conversion.h"
#include "diffraction/DiffractionData.h"
#include "user-surface/UserSurfaceRecords.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using quelbrant::DiffractionData;
using quelbrant::UserSurfaceInput;
using quelbrant::UserSurfaceOutput;
namespace o = hostOffsets;

// The host's offsets are the library's.
static_assert(o::position == DiffractionData::byteOffset(DiffractionData::position));
static_assert(o::cosine == DiffractionData::byteOffset(DiffractionData::cosine));
static_assert(o::normal == DiffractionData::byteOffset(DiffractionData::normal));
static_assert(o::wavelength == DiffractionData::byteOffset(DiffractionData::wavelength));
static_assert(o::type == DiffractionData::byteOffset(DiffractionData::type));
static_assert(o::approachIndex == DiffractionData::byteOffset(DiffractionData::approachIndex));
static_assert(o::exitIndex == DiffractionData::byteOffset(DiffractionData::exitIndex));
static_assert(o::traceOrder == DiffractionData::byteOffset(DiffractionData::traceOrderX));
static_assert(o::expectedOrderX == DiffractionData::byteOffset(DiffractionData::expectedOrderX));
static_assert(o::expectedOrderY == DiffractionData::byteOffset(DiffractionData::expectedOrderY));
static_assert(o::field == DiffractionData::byteOffset(DiffractionData::field));
static_assert(o::requestedType == DiffractionData::byteOffset(DiffractionData::requestedType));
static_assert(o::outputPower == DiffractionData::byteOffset(DiffractionData::outputPower));
static_assert(o::outCosine == DiffractionData::byteOffset(DiffractionData::outCosine));
static_assert(o::outField == DiffractionData::byteOffset(DiffractionData::outField));
static_assert(o::fileName == DiffractionData::fileNameBytes);
static_assert(o::directory == DiffractionData::directoryBytes);
static_assert(o::paramCount == DiffractionData::byteOffset(DiffractionData::paramCount));
static_assert(o::params == DiffractionData::byteOffset(DiffractionData::paramValues));
static_assert(o::inType == offsetof(UserSurfaceInput, type));
static_assert(o::inItem == offsetof(UserSurfaceInput, item));
static_assert(o::inReflecting == offsetof(UserSurfaceInput, reflecting));
static_assert(o::inMirrorSpaceAfter == offsetof(UserSurfaceInput, mirrorSpaceAfter));
static_assert(o::inTraceState == offsetof(UserSurfaceInput, traceState));
static_assert(o::inE == offsetof(UserSurfaceInput, E));
static_assert(o::inWavelength == offsetof(UserSurfaceInput, wavelength));
static_assert(o::inApproachIndex == offsetof(UserSurfaceInput, approachIndex));
static_assert(o::inExitIndex == offsetof(UserSurfaceInput, exitIndex));
static_assert(o::inCurvature == offsetof(UserSurfaceInput, curvature));
static_assert(o::inConic == offsetof(UserSurfaceInput, conic));
static_assert(o::inParam == offsetof(UserSurfaceInput, param));
static_assert(o::inFileName == offsetof(UserSurfaceInput, fileName));
static_assert(o::outX == offsetof(UserSurfaceOutput, x));
static_assert(o::outL == offsetof(UserSurfaceOutput, l));
static_assert(o::outNormalL == offsetof(UserSurfaceOutput, normalL));
static_assert(o::outPath == offsetof(UserSurfaceOutput, path));
static_assert(o::outSag == offsetof(UserSurfaceOutput, sag));
static_assert(o::outSagSecond == offsetof(UserSurfaceOutput, sagSecond));
static_assert(o::outExtra == offsetof(UserSurfaceOutput, extra));
static_assert(o::outTransmission == offsetof(UserSurfaceOutput, transmission));
static_assert(o::outText == offsetof(UserSurfaceOutput, text));
static_assert(HostSurfaceRecords::InputBytes >= sizeof(UserSurfaceInput));
static_assert(HostSurfaceRecords::OutputBytes >= sizeof(UserSurfaceOutput));

template <class T>
T readAt(const unsigned char* bytes, std::size_t offset)
{
    T value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

template <class T>
void writeAt(unsigned char* bytes, std::size_t offset, T value)
{
    std::memcpy(bytes + offset, &value, sizeof value);
}

}  // namespace

HostDiffractionBlock::HostDiffractionBlock() : mDoubles(Doubles, 0.0) {}

double HostDiffractionBlock::get(std::size_t byteOffset) const
{
    return readAt<double>(reinterpret_cast<const unsigned char*>(mDoubles.data()), byteOffset);
}

void HostDiffractionBlock::set(std::size_t byteOffset, double value)
{
    writeAt(reinterpret_cast<unsigned char*>(mDoubles.data()), byteOffset, value);
}

void HostDiffractionBlock::setText(std::size_t byteOffset, std::size_t units, const std::wstring& text)
{
    auto* bytes = reinterpret_cast<unsigned char*>(mDoubles.data());
    for (std::size_t i = 0; i < units; ++i)
        writeAt(bytes, byteOffset + 2 * i, static_cast<std::uint16_t>(i < text.size() ? text[i] : 0));
}

void HostDiffractionBlock::setRay(const std::array<double, 3>& direction, double wavelengthNm, double n1,
                                  double n2, const std::array<std::complex<double>, 3>& field)
{
    for (int i = 0; i < 3; ++i) {
        set(o::position + 8 * i, 0.0);
        set(o::cosine + 8 * i, direction[i]);
        set(o::normal + 8 * i, i == 2 ? 1.0 : 0.0);
        set(o::field + 16 * i, field[i].real());
        set(o::field + 16 * i + 8, field[i].imag());
    }
    set(o::wavelength, wavelengthNm / 1000.0);
    set(o::approachIndex, n1);
    set(o::exitIndex, n2);
}

void HostDiffractionBlock::setFile(const std::wstring& directory, const std::wstring& fileName)
{
    setText(o::directory, 265, directory);
    setText(o::fileName, 65, fileName);
}

void HostDiffractionBlock::setParams(const std::vector<double>& params)
{
    set(o::paramCount, static_cast<double>(params.size()));
    for (std::size_t i = 0; i < params.size(); ++i)
        set(o::params + 8 * i, params[i]);
}

void HostDiffractionBlock::setOrder(int x, int y, int type)
{
    set(o::traceOrder, x);
    set(o::traceOrder + 8, y);
    set(o::expectedOrderX, x);
    set(o::expectedOrderY, y);
    set(o::type, type);
}

double HostDiffractionBlock::outputPower() const
{
    return get(o::outputPower);
}

std::array<double, 3> HostDiffractionBlock::outCosine() const
{
    return {get(o::outCosine), get(o::outCosine + 8), get(o::outCosine + 16)};
}

HostSurfaceRecords::HostSurfaceRecords() : in(InputBytes, 0), out(OutputBytes, 0) {}

void HostSurfaceRecords::setInt(std::size_t byteOffset, std::int32_t value)
{
    writeAt(in.data(), byteOffset, value);
}

void HostSurfaceRecords::setInputDouble(std::size_t byteOffset, double value)
{
    writeAt(in.data(), byteOffset, value);
}

void HostSurfaceRecords::setOutputDouble(std::size_t byteOffset, double value)
{
    writeAt(out.data(), byteOffset, value);
}

double HostSurfaceRecords::inputDouble(std::size_t byteOffset) const
{
    return readAt<double>(in.data(), byteOffset);
}

double HostSurfaceRecords::outputDouble(std::size_t byteOffset) const
{
    return readAt<double>(out.data(), byteOffset);
}

std::int32_t HostSurfaceRecords::inputInt(std::size_t byteOffset) const
{
    return readAt<std::int32_t>(in.data(), byteOffset);
}

std::string HostSurfaceRecords::text() const
{
    const char* text = reinterpret_cast<const char*>(out.data() + o::outText);
    return std::string(text, strnlen(text, OutputBytes - o::outText));
}

void HostSurfaceRecords::setRequest(int type, int item)
{
    setInt(o::inType, type);
    setInt(o::inItem, item);
}

void HostSurfaceRecords::setParam(int number, double value)
{
    setInputDouble(o::inParam + 8 * static_cast<std::size_t>(number), value);
}

void HostSurfaceRecords::setFileName(const std::string& utf8)
{
    if (utf8.size() >= 260)
        throw std::invalid_argument("file name too long for the host's record: " + utf8);
    std::memset(in.data() + o::inFileName, 0, 260);
    std::memcpy(in.data() + o::inFileName, utf8.data(), utf8.size());
}

void HostSurfaceRecords::setRay(const std::array<double, 3>& direction, double wavelengthUm, double n1, double n2,
                                const std::array<std::complex<double>, 3>& field)
{
    for (int i = 0; i < 3; ++i) {
        setOutputDouble(o::outX + 8 * i, 0.0);
        setOutputDouble(o::outL + 8 * i, direction[i]);
        setInputDouble(o::inE + 16 * i, field[i].real());
        setInputDouble(o::inE + 16 * i + 8, field[i].imag());
    }
    setInputDouble(o::inWavelength, wavelengthUm);
    setInputDouble(o::inApproachIndex, n1);
    setInputDouble(o::inExitIndex, n2);
}

std::array<double, 3> HostSurfaceRecords::direction() const
{
    return {outputDouble(o::outL), outputDouble(o::outL + 8), outputDouble(o::outL + 16)};
}

std::array<std::complex<double>, 3> HostSurfaceRecords::field() const
{
    std::array<std::complex<double>, 3> e;
    for (int i = 0; i < 3; ++i)
        e[i] = {inputDouble(o::inE + 16 * i), inputDouble(o::inE + 16 * i + 8)};
    return e;
}

std::array<std::complex<double>, 3> fieldFromSP(std::complex<double> es, std::complex<double> ep,
                                                const std::array<double, 3>& u)
{
    const double phi = std::atan2(u[1], u[0]);
    const double cosTheta = u[2];
    const double sinTheta = std::sqrt(std::max(0.0, 1.0 - cosTheta * cosTheta));
    const double s[3] = {std::sin(phi), -std::cos(phi), 0.0};
    const double p[3] = {cosTheta * std::cos(phi), cosTheta * std::sin(phi), -sinTheta};
    return {es * s[0] + ep * p[0], es * s[1] + ep * p[1], es * s[2] + ep * p[2]};
}

#if defined(_WIN32)

namespace {

template <typename Function>
void resolve(Function*& slot, HMODULE module, const char* name)
{
    FARPROC address = GetProcAddress(module, name);
    if (address == nullptr)
        throw std::runtime_error(std::string("the library does not export ") + name);
    slot = reinterpret_cast<Function*>(reinterpret_cast<void*>(address));
}

}  // namespace

LensDesignLibrary::LensDesignLibrary(const std::string& pathUtf8)
{
    HMODULE module = LoadLibraryW(wideFromUtf8(pathUtf8).c_str());
    if (module == nullptr)
        throw std::runtime_error("cannot load " + pathUtf8 + " (Windows error " + std::to_string(GetLastError()) +
                                 ")");
    mHandle = module;
    try {
        resolve(mEntries.UserDefinedSurface5, module, "UserDefinedSurface5");
        resolve(mEntries.UserDiffraction2D, module, "UserDiffraction2D");
        resolve(mEntries.UserParamNames2D, module, "UserParamNames2D");
    } catch (...) {
        FreeLibrary(module);
        throw;
    }
}

LensDesignLibrary::~LensDesignLibrary()
{
    FreeLibrary(static_cast<HMODULE>(mHandle));
}

void* LensDesignLibrary::byOrdinal(unsigned ordinal) const
{
    return reinterpret_cast<void*>(
        GetProcAddress(static_cast<HMODULE>(mHandle), MAKEINTRESOURCEA(static_cast<WORD>(ordinal))));
}

#else

LensDesignLibrary::LensDesignLibrary(const std::string& pathUtf8)
{
    throw std::runtime_error("the lens-design entry points exist in the Windows build only, not in " + pathUtf8);
}

LensDesignLibrary::~LensDesignLibrary() = default;

void* LensDesignLibrary::byOrdinal(unsigned) const
{
    return nullptr;
}

#endif
