// Sorting of the angle and wavelength axes together with the dense tables
// they label (declared in TablePreparation.h).

#include <algorithm>
#include <complex>
#include <stdexcept>
#include <string>

#include "tables/DenseTableShape.h"
#include "tables/TablePreparation.h"

namespace quelbrant {

namespace {

// Extents of a dense table seen as [position] x A1 x A2 x L x C, where C
// gathers everything behind the wavelength (orders and polarisations).
struct GridView {
    size_t positions;
    size_t a1;
    size_t a2;
    size_t wavelengths;
    size_t rest;
};

GridView gridView(const NdArrayComplex& table, const char* name, size_t p, size_t a1, size_t a2, size_t l)
{
    const std::vector<size_t>& d = table.m_size;
    if (d.size() < p + 3 || d[p] != a1 || d[p + 1] != a2 || d[p + 2] != l ||
        !quelbrant::extentsDescribe(d, table.size()))
        throw std::invalid_argument(std::string("the ") + name +
                                    " table does not match the angle and wavelength axes");
    // Part of a valid shape, so its count exists.
    const size_t rest = *quelbrant::tableElementCount(d.data() + p + 3, d.data() + d.size());
    return {p == 1 ? d[0] : 1, a1, a2, l, rest};
}

// table(b, i, j, k, c) = old(b, map0[i], map1[j], map2[k], c). Everything
// behind the wavelength is slower than the grid, so the table is a stack of
// C grid slabs that permute independently: each slab is copied once into a
// scratch buffer the size of one slab (cache-sized for real grids) and
// gathered back. Positions are innermost and move as contiguous runs.
void permuteGrid(NdArrayComplex& table, const GridView& v, const std::vector<size_t>& map0,
                 const std::vector<size_t>& map1, const std::vector<size_t>& map2)
{
    const size_t run = v.positions;
    const size_t slabSize = run * v.a1 * v.a2 * v.wavelengths;
    std::vector<std::complex<double>> scratch(slabSize);
    for (size_t c = 0; c < v.rest; ++c) {
        std::complex<double>* target = table.data() + c * slabSize;
        std::copy(target, target + slabSize, scratch.begin());
        for (size_t k = 0; k < v.wavelengths; ++k)
            for (size_t j = 0; j < v.a2; ++j) {
                const std::complex<double>* row = scratch.data() + run * v.a1 * (map1[j] + v.a2 * map2[k]);
                if (run == 1) {
                    for (size_t i = 0; i < v.a1; ++i)
                        *target++ = row[map0[i]];
                } else {
                    for (size_t i = 0; i < v.a1; ++i)
                        target = std::copy(row + run * map0[i], row + run * (map0[i] + 1), target);
                }
            }
    }
}

}  // namespace

bool isMonotonicallyIncreasingOrEqual(const std::vector<double>& x)
{
    for (size_t i = 1; i < x.size(); ++i)
        if (x[i - 1] > x[i])
            return false;
    return true;
}

std::vector<double> stableSort(const std::vector<double>& x, std::vector<size_t>& map)
{
    std::vector<realInd> entries;
    entries.reserve(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        entries.push_back({x[i], i});
    std::stable_sort(entries.begin(), entries.end());
    std::vector<double> sorted;
    sorted.reserve(x.size());
    map.clear();
    map.reserve(x.size());
    for (const realInd& e : entries) {
        sorted.push_back(e.val);
        map.push_back(e.ind);
    }
    return sorted;
}

void sortAngleAndWavelength(NdArrayComplex& R, NdArrayComplex& T, std::vector<double>& nt,
                            std::vector<double>& np, std::vector<double>& nl, bool mXyVarOrParScan)
{
    if (isMonotonicallyIncreasingOrEqual(nt) && isMonotonicallyIncreasingOrEqual(np) &&
        isMonotonicallyIncreasingOrEqual(nl))
        return;

    // Both shapes are checked before the axes change, so a failure leaves
    // axes and tables as they were.
    const size_t p = mXyVarOrParScan ? 1 : 0;
    const GridView rView = gridView(R, "R", p, nt.size(), np.size(), nl.size());
    const GridView tView = gridView(T, "T", p, nt.size(), np.size(), nl.size());

    // Every axis is re-sorted, even one already in order (identity map).
    std::vector<size_t> map0, map1, map2;
    nt = stableSort(nt, map0);
    np = stableSort(np, map1);
    nl = stableSort(nl, map2);
    permuteGrid(R, rView, map0, map1, map2);
    permuteGrid(T, tView, map0, map1, map2);
}

}  // namespace quelbrant
