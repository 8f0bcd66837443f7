#include <gtest/gtest.h>

#include <complex>

#include "grating_documents.h"
#include "json/JsonReaders.h"
#include "table_entries.h"

using namespace quelbrant;
using json = nlohmann::json;

namespace {

using grating_documents::matrix;

// Runs f, which must throw an error-table index, and returns its text.
template <class F>
std::string thrownText(F f)
{
    try {
        f();
    } catch (int index) {
        return TableEntries::textOf(index);
    }
    ADD_FAILURE() << "no error index thrown";
    return {};
}

using Complex = std::complex<double>;

template <class T>
std::vector<T> elements(const NdArray<T>& a)
{
    return std::vector<T>(a.begin(), a.end());
}

}  // namespace

TEST(ComplexMatrixReader, ComplexDataIsRealThenImaginaryFirstIndexFastest)
{
    NdArrayComplex a;
    makeNdArrayComplex(a, matrix(true, {2, 2}, {1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a.m_size, (std::vector<size_t>{2, 2}));
    EXPECT_EQ(a(1, 0), Complex(3, 4));
    EXPECT_EQ(a(0, 1), Complex(5, 6));
    EXPECT_EQ(a(1, 1), Complex(7, 8));
}

TEST(ComplexMatrixReader, RealDataHasZeroImaginaryParts)
{
    NdArrayComplex a;
    makeNdArrayComplex(a, matrix(false, {3}, {1.5, -2, 0}));
    EXPECT_EQ(elements(a), (std::vector<Complex>{Complex(1.5, 0), Complex(-2, 0), Complex(0, 0)}));
}

TEST(ComplexMatrixReader, OddLastNumberOfComplexDataIsIgnored)
{
    NdArrayComplex a;
    makeNdArrayComplex(a, matrix(true, {2}, {1, 2, 3, 4, 5}));
    EXPECT_EQ(elements(a), (std::vector<Complex>{Complex(1, 2), Complex(3, 4)}));
}

TEST(ComplexMatrixReader, ElementsAreAppendedToWhatTheArrayHolds)
{
    NdArrayComplex a;
    a.push_back(Complex(9, 9));
    makeNdArrayComplex(a, matrix(false, {1}, {1}));
    EXPECT_EQ(elements(a), (std::vector<Complex>{Complex(9, 9), Complex(1, 0)}));
}

TEST(MatrixReaders, EmptySizeListMeansOneElement)
{
    NdArrayReal a;
    makeNdArrayReal(a, matrix(false, json::array(), {4.5}));
    EXPECT_EQ(elements(a), (std::vector<double>{4.5}));
    EXPECT_TRUE(a.m_size.empty());
}

TEST(MatrixReaders, CountMismatchWordingDiffersBetweenComplexAndRealReaders)
{
    const json j = matrix(false, {2, 3}, {1, 2, 3, 4, 5});
    NdArrayComplex c;
    NdArrayReal r;
    NdArrayInt i;
    EXPECT_EQ(thrownText([&] { makeNdArrayComplex(c, j); }), "_data size and _size information not match.");
    EXPECT_EQ(thrownText([&] { makeNdArrayReal(r, j); }), "_data size and _size information not matched.");
    EXPECT_EQ(thrownText([&] { makeNdArrayInt(i, j); }), "_data size and _size information not matched.");
}

TEST(RealMatrixReader, ComplexDataWithZeroImaginaryPartsIsReal)
{
    NdArrayReal a;
    makeNdArrayReal(a, matrix(true, {1, 3}, {1, 0, 2, 0, 3, 0.0}));
    EXPECT_EQ(elements(a), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(a.m_size, (std::vector<size_t>{1, 3}));
}

TEST(RealMatrixReader, AnyNonZeroImaginaryPartIsAnError)
{
    for (size_t at : {0u, 1u, 2u}) {
        json data = {1, 0, 2, 0, 3, 0};
        data[2 * at + 1] = 1e-300;
        NdArrayReal a;
        EXPECT_EQ(
            thrownText([&] { makeNdArrayReal(a, matrix(true, {3}, data)); }),
            "Schema validation failed: Non-zero imaginary detected while complex value is not expected.")
            << "imaginary part of element " << at;
    }
}

TEST(IntMatrixReader, NumbersAreTruncatedTowardZeroAndFlagsReadAsOneAndZero)
{
    NdArrayInt a;
    makeNdArrayInt(a, matrix(false, {2, 3}, {1.9, -1.9, true, false, -2147483648.0, 2147483647}));
    EXPECT_EQ(elements(a), (std::vector<int>{1, -1, 1, 0, -2147483647 - 1, 2147483647}));
}

TEST(IntMatrixReader, ComplexFlagIsNotRead)
{
    NdArrayInt a;
    makeNdArrayInt(a, {{"_size", {2}}, {"_data", {3, 4}}});
    EXPECT_EQ(elements(a), (std::vector<int>{3, 4}));
}

TEST(IntMatrixReader, ValuesBeyondIntAreAnError)
{
    for (const json& value : {json(2147483648.0), json(-2147483649.0), json(4294967297), json(1e300)}) {
        NdArrayInt a;
        EXPECT_EQ(thrownText([&] { makeNdArrayInt(a, matrix(false, {1}, {value})); }),
                  "Integer matrix value " + value.dump() + " is out of the range of int.");
    }
}

// Malformed matrices: each ends in the JSON library's exception of the
// given kind (the loader turns those into messages) or in an error index.
enum class Failure { TypeError, OutOfRange, MismatchIndex };

struct MalformedCase {
    const char* name;
    json j;
    Failure failure;
};

class MalformedMatrix : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedMatrix, EndsInAnExceptionOrAnErrorIndex)
{
    const MalformedCase& c = GetParam();
    auto expectFailure = [&](auto read) {
        switch (c.failure) {
            case Failure::TypeError:
                EXPECT_THROW(read(), json::type_error);
                break;
            case Failure::OutOfRange:
                EXPECT_THROW(read(), json::out_of_range);
                break;
            case Failure::MismatchIndex:
                EXPECT_NE(thrownText(read).find("_data size and _size information not match"),
                          std::string::npos);
                break;
        }
    };
    NdArrayComplex complexArray;
    NdArrayReal realArray;
    expectFailure([&] { makeNdArrayComplex(complexArray, c.j); });
    expectFailure([&] { makeNdArrayReal(realArray, c.j); });
}

const json HugeExtent = 18446744073709551615ull;  // SIZE_MAX on 64-bit

INSTANTIATE_TEST_SUITE_P(
    Inputs, MalformedMatrix,
    ::testing::Values(
        MalformedCase{"NotAnObject", json::array({1, 2}), Failure::TypeError},
        MalformedCase{"Null", json(), Failure::TypeError},
        MalformedCase{"MissingComplex", {{"_size", {1}}, {"_data", {1}}}, Failure::OutOfRange},
        MalformedCase{
            "ComplexIsANumber", {{"_complex", 0}, {"_size", {1}}, {"_data", {1}}}, Failure::TypeError},
        MalformedCase{"MissingData", {{"_complex", false}, {"_size", {1}}}, Failure::OutOfRange},
        MalformedCase{"DataIsANumber", matrix(false, {1}, 5), Failure::TypeError},
        MalformedCase{"DataHoldsAString", matrix(false, {2}, {1, "2"}), Failure::TypeError},
        MalformedCase{"DataHoldsAFlag", matrix(false, {1}, {true}), Failure::TypeError},
        MalformedCase{"DataHoldsNull", matrix(false, {1}, {nullptr}), Failure::TypeError},
        MalformedCase{"DataHoldsAnArray", matrix(false, {1}, {{1}}), Failure::TypeError},
        MalformedCase{"MissingSize", {{"_complex", false}, {"_data", {1}}}, Failure::OutOfRange},
        MalformedCase{"SizeIsAString", matrix(false, "1", {1}), Failure::TypeError},
        MalformedCase{"SizeHoldsAString", matrix(false, {"1"}, {1}), Failure::TypeError},
        MalformedCase{"NegativeExtent", matrix(false, {-1}, {1}), Failure::MismatchIndex},
        MalformedCase{"TwoNegativeExtentsWrappingToOne", matrix(false, {-1, -1}, {1}),
                      Failure::MismatchIndex},
        MalformedCase{"FractionalExtent", matrix(false, {1.5}, {1}), Failure::MismatchIndex},
        MalformedCase{"HugeFloatExtent", matrix(false, {1e300}, {1}), Failure::MismatchIndex},
        MalformedCase{"HugeExtent", matrix(false, {1e18}, {1}), Failure::MismatchIndex},
        MalformedCase{"ProductWrapsToZero", matrix(false, {4294967296ull, 4294967296ull}, json::array()),
                      Failure::MismatchIndex},
        MalformedCase{"ProductWrapsToOne", matrix(false, {HugeExtent, HugeExtent}, {1}),
                      Failure::MismatchIndex},
        MalformedCase{"ZeroBesideOverflowingExtents",
                      matrix(false, {0, 4294967296ull, 4294967296ull}, json::array()),
                      Failure::MismatchIndex}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MatrixReaders, ReadsTheSameValueFromIntegerAndFloatExtents)
{
    NdArrayReal a;
    makeNdArrayReal(a, matrix(false, {2.0, 1}, {1, 2}));
    EXPECT_EQ(a.m_size, (std::vector<size_t>{2, 1}));
}

TEST(MatrixReaders, ZeroExtentWithoutDataIsAnEmptyArray)
{
    NdArrayReal a;
    makeNdArrayReal(a, matrix(false, {1, 0}, json::array()));
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(a.m_size, (std::vector<size_t>{1, 0}));
}
