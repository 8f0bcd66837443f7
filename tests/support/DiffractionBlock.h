#pragma once

// A DiffractionData block as the lens-design host fills it, for tests on
// both platforms, and a private folder holding copies of grating files where
// the block's folder + "\" + name points.

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "diffraction/DiffractionData.h"

namespace lenstest {

using quelbrant::DiffractionData;

class DiffractionBlock {
public:
    DiffractionBlock() : mDoubles(DiffractionData::minimumDoubles, 0.0) {}

    double* data() { return mDoubles.data(); }
    const double* data() const { return mDoubles.data(); }
    double& operator[](std::size_t index) { return mDoubles.at(index); }
    const std::vector<double>& doubles() const { return mDoubles; }

    // UTF-16 text written unit by unit, NUL-terminated when it is shorter
    // than the field.
    void setText(std::size_t byteOffset, std::size_t maxUnits, const std::u16string& text)
    {
        auto* bytes = reinterpret_cast<unsigned char*>(mDoubles.data()) + byteOffset;
        std::memset(bytes, 0, 2 * maxUnits);
        std::memcpy(bytes, text.data(), 2 * std::min(text.size(), maxUnits));
    }
    void setFile(const std::u16string& directory, const std::u16string& fileName)
    {
        setText(DiffractionData::directoryBytes, DiffractionData::directoryUnits, directory);
        setText(DiffractionData::fileNameBytes, DiffractionData::fileNameUnits, fileName);
    }
    void setParams(const std::vector<double>& params)
    {
        mDoubles[DiffractionData::paramCount] = static_cast<double>(params.size());
        for (std::size_t i = 0; i < params.size() && i < DiffractionData::paramsUsed; ++i)
            mDoubles[DiffractionData::paramValues + i] = params[i];
    }
    void setRay(const double (&cosine)[3], double wavelengthUm, double approachIndex, double exitIndex)
    {
        for (int i = 0; i < 3; ++i)
            mDoubles[DiffractionData::cosine + i] = cosine[i];
        mDoubles[DiffractionData::normal + 2] = 1.0;
        mDoubles[DiffractionData::wavelength] = wavelengthUm;
        mDoubles[DiffractionData::approachIndex] = approachIndex;
        mDoubles[DiffractionData::exitIndex] = exitIndex;
    }
    void setOrder(int x, int y)
    {
        mDoubles[DiffractionData::traceOrderX] = mDoubles[DiffractionData::expectedOrderX] = x;
        mDoubles[DiffractionData::traceOrderY] = mDoubles[DiffractionData::expectedOrderY] = y;
    }
    // Ex, Ey, Ez as (re, im) pairs.
    void setField(const double (&field)[6])
    {
        for (int i = 0; i < 6; ++i)
            mDoubles[DiffractionData::field + i] = field[i];
    }

private:
    std::vector<double> mDoubles;
};

inline std::u16string utf16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// A fresh folder; copies of grating files are placed where a block's folder
// + "\" + name points: on Windows inside it, elsewhere beside it under a
// name holding the backslash (Linux has no such separator).
class GratingFolder {
public:
    GratingFolder()
    {
        std::random_device seed;
        std::mt19937_64 random(seed());
        mRoot = std::filesystem::temp_directory_path() / ("quelbrant-lens-" + std::to_string(random()));
        std::filesystem::create_directories(mRoot / "gratings");
    }
    ~GratingFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mRoot, ignored);
    }
    GratingFolder(const GratingFolder&) = delete;
    GratingFolder& operator=(const GratingFolder&) = delete;

    std::string directory() const { return (mRoot / "gratings").string(); }
    // The path the library opens for `name`.
    std::string pathOf(const std::string& name) const { return directory() + "\\" + name; }
    void place(const std::string& source, const std::string& name) const
    {
        std::filesystem::copy_file(source, pathOf(name), std::filesystem::copy_options::overwrite_existing);
    }
    void fill(DiffractionBlock& block, const std::string& name) const
    {
        block.setFile(utf16(directory()), utf16(name));
    }

private:
    std::filesystem::path mRoot;
};

}  // namespace lenstest
