#pragma once

// The library as the lens-design host sees it: a DLL whose three entry
// points are found by name, and the host's own records, filled byte by byte
// at the offsets the host uses (the static_asserts in LensDesignHost.cpp pin
// them against the library's record headers).

#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The host's DiffractionData block: doubles, with UTF-16 text laid over
// some of them.
class HostDiffractionBlock {
public:
    static constexpr std::size_t Doubles = 1024;
    HostDiffractionBlock();
    double* data() { return mDoubles.data(); }
    double get(std::size_t byteOffset) const;
    void set(std::size_t byteOffset, double value);
    void setText(std::size_t byteOffset, std::size_t units, const std::wstring& text);

    // A ray at the surface point (0, 0, 0) with normal +z.
    void setRay(const std::array<double, 3>& direction, double wavelengthNm, double n1, double n2,
                const std::array<std::complex<double>, 3>& field);
    void setFile(const std::wstring& directory, const std::wstring& fileName);
    void setParams(const std::vector<double>& params);
    void setOrder(int x, int y, int type);
    double outputPower() const;
    std::array<double, 3> outCosine() const;

private:
    std::vector<double> mDoubles;
};

// The two records of UserDefinedSurface5: byte arrays of the host's sizes.
struct HostSurfaceRecords {
    static constexpr std::size_t InputBytes = 4096;
    static constexpr std::size_t OutputBytes = 256;
    HostSurfaceRecords();
    void* input() { return in.data(); }
    void* output() { return out.data(); }

    void setInt(std::size_t byteOffset, std::int32_t value);
    void setInputDouble(std::size_t byteOffset, double value);
    void setOutputDouble(std::size_t byteOffset, double value);
    double inputDouble(std::size_t byteOffset) const;
    double outputDouble(std::size_t byteOffset) const;
    std::int32_t inputInt(std::size_t byteOffset) const;
    std::string text() const;  // the answer of requests 0 and 1

    void setRequest(int type, int item = 0);
    void setParam(int number, double value);
    void setFileName(const std::string& utf8);
    // A ray at (0, 0, 0) travelling along direction, with its field.
    void setRay(const std::array<double, 3>& direction, double wavelengthUm, double n1, double n2,
                const std::array<std::complex<double>, 3>& field);
    std::array<double, 3> direction() const;
    std::array<std::complex<double>, 3> field() const;

    std::vector<unsigned char> in, out;
};

// Byte offsets of the fields the host fills and reads.
namespace hostOffsets {
// DiffractionData
constexpr std::size_t position = 8, cosine = 32, normal = 56, wavelength = 80, type = 88, approachIndex = 96,
                      exitIndex = 104, traceOrder = 112, expectedOrderX = 128, expectedOrderY = 144,
                      field = 160, requestedType = 232, outputPower = 240, outCosine = 280, outField = 320,
                      fileName = 800, directory = 1040, paramCount = 1600, params = 1608;
// UserSurfaceInput
constexpr std::size_t inType = 0, inItem = 4, inReflecting = 24, inMirrorSpaceAfter = 28, inTraceState = 436,
                      inE = 448, inWavelength = 1312, inApproachIndex = 1328, inExitIndex = 1336,
                      inCurvature = 1344, inConic = 1368, inParam = 1376, inFileName = 3624;
// UserSurfaceOutput
constexpr std::size_t outX = 0, outL = 24, outNormalL = 48, outPath = 72, outSag = 80, outSagSecond = 88,
                      outExtra = 96, outTransmission = 128, outText = 168;
}  // namespace hostOffsets

struct LensDesignEntries {
    int (*UserDefinedSurface5)(void* out, void* in) = nullptr;
    int (*UserDiffraction2D)(double* data) = nullptr;
    int (*UserParamNames2D)(char* data, double* block) = nullptr;
};

// Loads the DLL with LoadLibraryW and finds the three entry points with
// GetProcAddress (throws std::runtime_error naming what is missing; on
// other platforms always, the entries being Windows-only).
class LensDesignLibrary {
public:
    explicit LensDesignLibrary(const std::string& pathUtf8);
    ~LensDesignLibrary();
    LensDesignLibrary(const LensDesignLibrary&) = delete;
    LensDesignLibrary& operator=(const LensDesignLibrary&) = delete;
    const LensDesignEntries& entries() const { return mEntries; }
    // The address of export number `ordinal`, or null.
    void* byOrdinal(unsigned ordinal) const;

private:
    void* mHandle = nullptr;
    LensDesignEntries mEntries;
};

// The Cartesian field of Es s + Ep p for direction u, with
// s = (sin phi, -cos phi, 0), p = (cos theta cos phi, cos theta sin phi,
// -sin theta), phi = atan2(uy, ux), cos theta = uz: how the host's field
// relates to the library's S/P amplitudes.
std::array<std::complex<double>, 3> fieldFromSP(std::complex<double> es, std::complex<double> ep,
                                                const std::array<double, 3>& u);
