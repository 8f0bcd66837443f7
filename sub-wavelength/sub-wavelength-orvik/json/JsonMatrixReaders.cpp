// The three readers of the matrix encoding. Each reads in two passes: the
// first converts and checks every number in file order (so that the first
// bad number is the one reported) without storing anything, then "_size"
// is checked against the element count, and only then is memory taken for
// the elements. "_size" never decides how much is allocated.

#include "ErrorTable.h"
#include "json/JsonReaders.h"
#include "json/JsonValueConversion.h"
#include "tables/DenseTableShape.h"

namespace quelbrant {

using json = nlohmann::json;

namespace {

const char MismatchComplex[] = "_data size and _size information not match.";
const char MismatchRealOrInt[] = "_data size and _size information not matched.";

// The extents listed in "_size" (first dimension first) and whether they
// describe exactly elementCount elements. Entries that are not whole
// non-negative numbers, and extents whose product overflows size_t, can
// describe no data in memory and never match.
bool readExtents(const json& j, size_t elementCount, std::vector<size_t>& extents)
{
    const json& size = jsonArrayMember(j, "_size");
    extents.clear();
    extents.reserve(size.size());
    bool valid = true;
    for (const json& entry : size) {
        size_t extent = 0;
        if (jsonNumberToExtent(entry, extent))
            extents.push_back(extent);
        else
            valid = false;
    }
    // A zero extent does not excuse absurd other extents: they would mislead
    // every routine that multiplies extents.
    return valid && quelbrant::extentsDescribe(extents, elementCount);
}

// Real and imaginary part of element k of "_data".
std::complex<double> complexElement(const json& data, size_t k, bool isComplex)
{
    if (!isComplex)
        return {jsonNumberToDouble(data[k]), 0.0};
    return {jsonNumberToDouble(data[2 * k]), jsonNumberToDouble(data[2 * k + 1])};
}

// The two passes every reader makes over its count elements: element(k)
// converts (and checks) element k and throws on a bad one; the first pass
// only checks, the second stores after "_size" has been checked against
// count.
template <typename Array, typename Element>
void readMatrix(Array& out, const json& j, size_t count, Element element, const char* mismatch)
{
    for (size_t k = 0; k < count; ++k)
        (void)element(k);
    std::vector<size_t> extents;
    if (!readExtents(j, count, extents))
        throw addErrorMessage(mismatch, false);
    out.reserve(out.size() + count);
    for (size_t k = 0; k < count; ++k)
        out.push_back(element(k));
    out.m_size = std::move(extents);
}

// Number of elements "_data" holds: two numbers each when complex, an odd
// last number ignored.
size_t elementCount(const json& data, bool isComplex)
{
    return isComplex ? data.size() / 2 : data.size();
}

}  // namespace

void makeNdArrayComplex(NdArrayComplex& nda, const json& j)
{
    const bool isComplex = j.at("_complex").get<bool>();
    const json& data = jsonArrayMember(j, "_data");
    readMatrix(
        nda, j, elementCount(data, isComplex), [&](size_t k) { return complexElement(data, k, isComplex); },
        MismatchComplex);
}

void makeNdArrayReal(NdArrayReal& nda, const json& j)
{
    const bool isComplex = j.at("_complex").get<bool>();
    const json& data = jsonArrayMember(j, "_data");
    const auto realElement = [&](size_t k) {
        const std::complex<double> value = complexElement(data, k, isComplex);
        if (value.imag() != 0.0)
            throw addErrorMessage(
                "Schema validation failed: Non-zero imaginary detected while complex value is not expected.",
                false);
        return value.real();
    };
    readMatrix(nda, j, elementCount(data, isComplex), realElement, MismatchRealOrInt);
}

void makeNdArrayInt(NdArrayInt& ndaInt, const json& j)
{
    const json& data = jsonArrayMember(j, "_data");
    readMatrix(
        ndaInt, j, data.size(), [&](size_t k) { return jsonValueToInt(data[k]); }, MismatchRealOrInt);
}

}  // namespace quelbrant
