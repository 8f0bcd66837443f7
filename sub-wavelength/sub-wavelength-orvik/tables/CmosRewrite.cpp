#include "tables/CmosRewrite.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>

#include "GratingSurface.h"
#include "tables/DenseTableShape.h"

namespace quelbrant {

namespace {

// Extents of a dense table seen as [grid node] x [order (n fastest)] x
// [polarisation pair]: the grid node folds the position, angle and
// wavelength dimensions, which all come first; the pairs (PolOut, PolIn) run
// (0,0) S>S, (1,0) S>P, (0,1) P>S, (1,1) P>P.
struct FoldedTable {
    size_t nodes = 1;
    size_t orders = 0;
};

bool foldTable(const NdArrayComplex& table, const std::vector<int>& n, const std::vector<int>& m,
               bool withPosition, FoldedTable& folded)
{
    const std::optional<quelbrant::DenseTableShape> shape = quelbrant::denseTableShape(table, withPosition);
    if (!shape || shape->nOrders != n.size() || shape->mOrders != m.size())
        return false;
    folded.nodes = shape->nodes();
    folded.orders = n.size() * m.size();
    return true;
}

bool sameGrid(const NdArrayComplex& R, const NdArrayComplex& T, bool withPosition)
{
    const size_t gridRank = withPosition ? 4 : 3;
    for (size_t d = 0; d < gridRank; ++d)
        if (R.m_size[d] != T.m_size[d])
            return false;
    return true;
}

bool foldBoth(const NdArrayComplex& R, const std::vector<int>& Rn, const std::vector<int>& Rm,
              const NdArrayComplex& T, const std::vector<int>& Tn, const std::vector<int>& Tm,
              bool withPosition, FoldedTable& r, FoldedTable& t)
{
    return foldTable(R, Rn, Rm, withPosition, r) && foldTable(T, Tn, Tm, withPosition, t) &&
           sameGrid(R, T, withPosition) && t.orders > 0;
}

// Folded order index of transmitted order (0, 0); (0, 0) itself, the grid's
// first n and first m, when the grid lacks that order.
size_t zerothOrderIndex(const std::vector<int>& Tn, const std::vector<int>& Tm)
{
    for (size_t b = 0; b < Tm.size(); ++b)
        for (size_t a = 0; a < Tn.size(); ++a)
            if (Tn[a] == 0 && Tm[b] == 0)
                return a + Tn.size() * b;
    return 0;
}

}  // namespace

bool fitsCmosRewrite(const NdArrayComplex& R, const std::vector<int>& Rn, const std::vector<int>& Rm,
                     const NdArrayComplex& T, const std::vector<int>& Tn, const std::vector<int>& Tm,
                     bool withPosition)
{
    FoldedTable r, t;
    return foldBoth(R, Rn, Rm, T, Tn, Tm, withPosition, r, t);
}

bool moveTransmittedPowerToZerothOrder(const NdArrayComplex& R, const std::vector<int>& Rn,
                                       const std::vector<int>& Rm, NdArrayComplex& T,
                                       const std::vector<int>& Tn, const std::vector<int>& Tm,
                                       bool withPosition)
{
    FoldedTable r, t;
    if (!foldBoth(R, Rn, Rm, T, Tn, Tm, withPosition, r, t))
        return false;
    const size_t nodes = r.nodes;

    // Reflected power per node and input polarisation: |z|^2 of both output
    // polarisations, summed over the orders n outermost. Nodes run innermost
    // so every pass reads contiguous runs of the table.
    std::vector<double> sPower(nodes, 0.0), pPower(nodes, 0.0);
    for (size_t a = 0; a < Rn.size(); ++a) {
        for (size_t b = 0; b < Rm.size(); ++b) {
            const size_t order = a + Rn.size() * b;
            const std::complex<double>* sToS = R.data() + nodes * order;
            const std::complex<double>* sToP = R.data() + nodes * (order + r.orders);
            const std::complex<double>* pToS = R.data() + nodes * (order + 2 * r.orders);
            const std::complex<double>* pToP = R.data() + nodes * (order + 3 * r.orders);
            for (size_t node = 0; node < nodes; ++node) {
                sPower[node] += std::norm(sToS[node]) + std::norm(sToP[node]);
                pPower[node] += std::norm(pToS[node]) + std::norm(pToP[node]);
            }
        }
    }

    std::fill(T.begin(), T.end(), std::complex<double>(0.0, 0.0));
    const size_t zeroth = zerothOrderIndex(Tn, Tm);
    std::complex<double>* sToS = T.data() + nodes * zeroth;
    std::complex<double>* pToP = T.data() + nodes * (zeroth + 3 * t.orders);
    for (size_t node = 0; node < nodes; ++node) {
        // Noisy data may reflect more than all the power: nothing is left to
        // transmit then. No lower cap: a node that reflects nothing
        // transmits with amplitude 1.
        const double s = std::min(sPower[node], 1.0);
        const double p = std::min(pPower[node], 1.0);
        sToS[node] = std::sqrt(1.0 - s);
        pToP[node] = std::sqrt(1.0 - p);
    }
    return true;
}

bool GratingSurface::restore_Tpower_to_T00()
{
    // Both half spaces are checked before either is written, so a surface is
    // never left half rewritten.
    for (int side = 0; side < 2; ++side)
        if (!fitsCmosRewrite(mR[side], m_list_orders_Rn[side], m_list_orders_Rm[side], mT[side],
                             m_list_orders_Tn[side], m_list_orders_Tm[side], mXyVarOrParScan))
            return false;
    for (int side = 0; side < 2; ++side)
        moveTransmittedPowerToZerothOrder(mR[side], m_list_orders_Rn[side], m_list_orders_Rm[side], mT[side],
                                          m_list_orders_Tn[side], m_list_orders_Tm[side], mXyVarOrParScan);
    // Rays read a copy of the tables laid out for them; it must show the
    // rewritten transmission.
    rebuildInteractionTables();
    return true;
}

}  // namespace quelbrant
