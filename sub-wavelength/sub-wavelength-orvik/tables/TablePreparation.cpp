#include "tables/TablePreparation.h"

#include <algorithm>
#include <complex>
#include <stdexcept>
#include <string>

#include "ErrorTable.h"
#include "load/PositionData.h"
#include "tables/DenseTableShape.h"

namespace quelbrant {

namespace {

const char* const OrderListMessage =
    "Schema Validation failed: There is an incorrect dimension in the list of grating orders";
const char* const OrderExtentMessage =
    "Schema Validation failed: Dimension mismatch between RT matrix and list_order_R/T.";
const char* const EmptyAxisMessage =
    "Schema Validation failed: The angle and wavelength axes of the R and T matrices must not be empty.";
const char* const ElementCountMessage =
    "Schema Validation failed: Dimension is correct but incorrect length of array";

// An order list is K x 2 (K >= 1) and holds exactly its 2K entries.
bool isOrderList(const NdArrayInt& list)
{
    return list.m_size.size() == 2 && list.m_size[1] == 2 && list.m_size[0] != 0 && list.size() % 2 == 0 &&
           list.size() / 2 == list.m_size[0];
}

// Refuses a range nmin..nmax wider than MaxOrderSpan; the span is taken in
// 64 bits because INT_MIN..INT_MAX overflows int.
void checkOrderSpan(const char* axis, int lowest, int highest)
{
    long long span = static_cast<long long>(highest) - lowest + 1;
    if (span > MaxOrderSpan)
        throw addErrorMessage("Schema Validation failed: The grating orders " + std::string(axis) +
                                  " run from " + std::to_string(lowest) + " to " + std::to_string(highest) +
                                  ", more than " + std::to_string(MaxOrderSpan) + " consecutive orders.",
                              false);
}

void fillConsecutive(std::vector<int>& out, int lowest, int highest)
{
    out.clear();
    out.reserve(static_cast<size_t>(static_cast<long long>(highest) - lowest + 1));
    for (long long v = lowest; v <= highest; ++v)
        out.push_back(static_cast<int>(v));
}

// Index of order `value` in a consecutive order vector, or -1 when the
// vector does not hold it.
long long orderIndex(int value, const std::vector<int>& orders)
{
    if (orders.empty())
        return -1;
    long long index = static_cast<long long>(value) - orders.front();
    return index >= 0 && index < static_cast<long long>(orders.size()) ? index : -1;
}

}  // namespace

void constructOrderVectors(NdArrayInt& in, std::vector<int>& n, std::vector<int>& m)
{
    if (!isOrderList(in))
        throw addErrorMessage(OrderListMessage, false);
    const size_t rows = in.m_size[0];
    // Column 0 (all n) is stored before column 1 (all m).
    const int* nColumn = in.data();
    const int* mColumn = in.data() + rows;
    const auto [nLowest, nHighest] = std::minmax_element(nColumn, nColumn + rows);
    const auto [mLowest, mHighest] = std::minmax_element(mColumn, mColumn + rows);
    checkOrderSpan("n", *nLowest, *nHighest);
    checkOrderSpan("m", *mLowest, *mHighest);
    fillConsecutive(n, *nLowest, *nHighest);
    fillConsecutive(m, *mLowest, *mHighest);
}

bool isDenseTableAffordable(size_t denseElements, size_t fileElements)
{
    if (denseElements > MaxDenseTableElements)
        return false;
    if (denseElements <= DenseTableAllowance)
        return true;
    // fileElements at or above MaxDenseTableElements / ratio covers any
    // dense table under the cap; below it the product cannot overflow.
    return fileElements >= MaxDenseTableElements / MaxDenseToFileRatio ||
           denseElements <= MaxDenseToFileRatio * fileElements;
}

void populateRTMatrices(NdArrayComplex& in, std::vector<int>& n, std::vector<int>& m, NdArrayInt& nm,
                        NdArrayComplex& RT, bool mXyVarOrParScan)
{
    const size_t p = mXyVarOrParScan ? 1 : 0;
    const size_t dims = in.m_size.size();
    if (dims != 6 + p)
        throw addErrorMessage("Schema Validation failed: The R and T matrices dimension is " +
                                  std::to_string(dims) + (mXyVarOrParScan ? ". Expect 7." : ". Expect 6."),
                              false);
    if (!isOrderList(nm))
        throw addErrorMessage(OrderListMessage, false);
    // The file table's order dimension labels the rows of its own order list;
    // any other extent would pair values with the wrong orders.
    const size_t rows = nm.m_size[0];
    if (in.m_size[p + 3] != rows)
        throw addErrorMessage(OrderExtentMessage, false);
    if (!quelbrant::extentsDescribe(in.m_size, in.size()))
        throw addErrorMessage(ElementCountMessage, false);
    const size_t fileElements = in.size();

    // Destination (n, m) index of every listed row, checked once so that the
    // copy below cannot land outside the dense order grid.
    std::vector<size_t> nIndex(rows), mIndex(rows);
    for (size_t k = 0; k < rows; ++k) {
        const long long ni = orderIndex(nm.data()[k], n);
        const long long mi = orderIndex(nm.data()[rows + k], m);
        if (ni < 0 || mi < 0)
            throw std::invalid_argument("populateRTMatrices: the order vectors do not cover the order list");
        nIndex[k] = static_cast<size_t>(ni);
        mIndex[k] = static_cast<size_t>(mi);
    }

    std::vector<size_t> extents(in.m_size.begin(), in.m_size.begin() + p + 3);
    extents.push_back(n.size());
    extents.push_back(m.size());
    extents.push_back(in.m_size[p + 4]);
    extents.push_back(in.m_size[p + 5]);
    const std::optional<size_t> denseCount = quelbrant::tableElementCount(extents);
    const size_t denseElements = denseCount.value_or(0);
    if (!denseCount || denseElements > MaxDenseTableElements)
        throw addErrorMessage(
            "Schema Validation failed: The R and T matrices spread over the full range of grating orders "
            "would exceed " +
                std::to_string(MaxDenseTableElements) + " elements.",
            false);
    if (!isDenseTableAffordable(denseElements, fileElements))
        throw addErrorMessage(
            "Schema Validation failed: The R and T matrices spread over the full range of grating orders "
            "would hold " +
                std::to_string(denseElements) + " elements, more than " +
                std::to_string(MaxDenseToFileRatio) + " times the " + std::to_string(fileElements) +
                " elements given in the file.",
            false);

    // Grid points (position, A1, A2, L) form one contiguous run per order and
    // polarisation pair in both tables, so each listed order moves as blocks.
    size_t grid = 1;
    for (size_t d = 0; d < p + 3; ++d)
        grid *= in.m_size[d];
    const size_t pols = in.m_size[p + 4] * in.m_size[p + 5];
    const size_t nCount = n.size();
    const size_t mCount = m.size();

    RT.clear();
    RT.resize(denseElements);
    RT.m_size = std::move(extents);
    for (size_t q = 0; q < pols; ++q) {
        for (size_t k = 0; k < rows; ++k) {
            const auto source = in.begin() + static_cast<std::ptrdiff_t>(grid * (k + rows * q));
            const size_t target = grid * (nIndex[k] + nCount * (mIndex[k] + mCount * q));
            std::copy(source, source + static_cast<std::ptrdiff_t>(grid),
                      RT.begin() + static_cast<std::ptrdiff_t>(target));
        }
    }
}

void validateDimensions(const NdArrayComplex& A, const quelbrant::DenseTableAxes& axes,
                        const quelbrant::PositionData* positionData)
{
    if (!axes.complete() || (axes.withPosition && !positionData))
        throw std::invalid_argument("validateDimensions: axes, order vectors or position data missing");
    const std::vector<double>& nt = *axes.angle1;
    const std::vector<double>& np = *axes.angle2;
    const std::vector<double>& nl = *axes.lambda;
    const size_t p = axes.withPosition ? 1 : 0;
    const std::vector<size_t>& d = A.m_size;
    if (!quelbrant::hasDenseLayout(d, axes.withPosition) || d[p] != nt.size() || d[p + 1] != np.size() ||
        d[p + 2] != nl.size())
        throw addErrorMessage(
            "Schema Validation failed: Dimension mismatch between RT matrix, theta, phi, wavelength, PolOut, "
            "and PolIn.",
            false);
    // A table without a single grid point would load and then leave every
    // ray an empty axis to search.
    if (nt.empty() || np.empty() || nl.empty())
        throw addErrorMessage(EmptyAxisMessage, false);
    if (d[p + 3] != axes.nOrders->size() || d[p + 4] != axes.mOrders->size())
        throw addErrorMessage(OrderExtentMessage, false);
    if (!quelbrant::extentsDescribe(d, A.size()))
        throw addErrorMessage(ElementCountMessage, false);
    if (!axes.withPosition)
        return;

    const LatticeVectorsPerPosition& lattice = positionData->lattice;
    const PositionGrid& grid = positionData->grid;
    const size_t positions = d[0];
    for (const std::vector<double>* list :
         {&lattice.k1x, &lattice.k1y, &lattice.k1Norm, &lattice.k2x, &lattice.k2y, &lattice.k2Norm})
        if (list->size() != positions)
            throw addErrorMessage(
                "Schema validation failed: size first dimension of reciprocal lattice vector is not same as "
                "first dimension of RT matrix.",
                false);
    // Index-map values are position numbers from 1; zero and below mark holes.
    const int s = static_cast<int>(lattice.k1x.size());
    for (int v : grid.indexMap)
        if (v > s)
            throw addErrorMessage(
                "Schema validation failed: mIndexMap defined index of " + std::to_string(v) +
                    ", while the size of 1st dimension of R, T data is " + std::to_string(s),
                false);
    // Addressed (second position axis, first position axis).
    const NdArrayInt& indexMap = grid.indexMap;
    if (indexMap.m_size.size() < 2 || indexMap.m_size[0] != grid.axis2.size() ||
        indexMap.m_size[1] != grid.axis1.size())
        throw addErrorMessage(
            "Schema validation failed: the sizes of first and second dimensions of mIndexMap is not same as "
            "length of pos_x/pos_y/pos_rad/pos_pol/par_1/par_2.",
            false);
}

}  // namespace quelbrant
