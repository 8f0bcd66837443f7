#include "orders/PropagatingOrders.h"

#include <cmath>
#include <stdexcept>

#include "logger.h"
#include "orders/FieldBasisConversions.h"

namespace quelbrant {

namespace {

bool matchesLists(const NdArrayComplex& table, const std::vector<int>& n, const std::vector<int>& m)
{
    return table.m_size.size() == 3 && table.m_size[0] == n.size() && table.m_size[1] == m.size() &&
           table.m_size[2] == 2 && table.size() == n.size() * m.size() * 2;
}

}  // namespace

void PropagatingOrderList::clear()
{
    Ux.clear();
    Uy.clear();
    Uz.clear();
    power.clear();
    specOrDirac.clear();
    ESOut.clear();
    EPOut.clear();
}

int findpos(const std::vector<int>& orders, int val)
{
    if (orders.empty())
        return -1;
    if (val < orders.front())
        return 0;
    if (val > orders.back())
        return static_cast<int>(orders.size() - 1);
    for (size_t i = 0; i < orders.size(); ++i) {
        if (orders[i] == val)
            return static_cast<int>(i);
    }
    return -1;
}

void reduceToSingleOrder(NdArrayComplex& Ginterp, const std::vector<int>& n, const std::vector<int>& m,
                         int n0, int m0)
{
    if (!matchesLists(Ginterp, n, m))
        throw std::out_of_range("reduceToSingleOrder: table does not match the order lists");
    const int p1 = findpos(n, n0);
    const int p2 = findpos(m, m0);
    std::complex<double> first(0.0, 0.0);
    std::complex<double> second(0.0, 0.0);
    if (p1 >= 0 && p2 >= 0 && n[static_cast<size_t>(p1)] == n0 && m[static_cast<size_t>(p2)] == m0) {
        const size_t cell = static_cast<size_t>(p1) + n.size() * static_cast<size_t>(p2);
        const size_t componentStride = n.size() * m.size();
        first = Ginterp[cell];
        second = Ginterp[cell + componentStride];
    }
    Ginterp.resize(2);
    Ginterp[0] = first;
    Ginterp[1] = second;
    Ginterp.m_size[0] = 1;
    Ginterp.m_size[1] = 1;
}

PropagatingOrderList constructAllOrders(const OrderFamilyInputs& family)
{
    PropagatingOrderList orders;
    constructAllOrders(family, orders);
    return orders;
}

PropagatingOrderList& constructAllOrders(const OrderFamilyInputs& family, PropagatingOrderList& orders)
{
    if (!family.table || !family.n || !family.m || !family.k1gk2g)
        throw std::invalid_argument("constructAllOrders: the family lacks its table, order lists or lattice");
    const std::vector<double>& k1gk2g = *family.k1gk2g;
    const std::vector<int>& n = *family.n;
    const std::vector<int>& m = *family.m;
    const NdArrayComplex& RT = *family.table;
    const double kMaterial = family.kMaterial;
    if (k1gk2g.size() < 6)
        throw std::out_of_range("constructAllOrders: k1gk2g needs six values");
    const double K1x = k1gk2g[0];
    const double K1y = k1gk2g[1];
    const double K2x = k1gk2g[3];
    const double K2y = k1gk2g[4];

    // A lattice direction of zero length diffracts nothing: only its
    // zeroth order (or the listed order nearest 0) exists.
    int nFirst = 0;
    int nLast = static_cast<int>(n.size()) - 1;
    int mFirst = 0;
    int mLast = static_cast<int>(m.size()) - 1;
    if (k1gk2g[2] == 0.0)
        nFirst = nLast = findpos(n, 0);
    if (k1gk2g[5] == 0.0)
        mFirst = mLast = findpos(m, 0);
    if (nFirst < 0 || nLast < 0 || mFirst < 0 || mLast < 0) {
        Log("Error:, In constructAllOrders,Can't find any orders that match");
        return orders;
    }
    if (!matchesLists(RT, n, m))
        throw std::out_of_range("constructAllOrders: table does not match the order lists");

    const size_t componentStride = n.size() * m.size();
    for (int j = mFirst; j <= mLast; ++j) {
        const double mOrder = static_cast<double>(m[static_cast<size_t>(j)]);
        for (int i = nFirst; i <= nLast; ++i) {
            const double nOrder = static_cast<double>(n[static_cast<size_t>(i)]);
            // Grating equation for the in-plane wave vector of order (n, m).
            const double ux = (K2x * mOrder + (K1x * nOrder + family.kInx)) / kMaterial;
            const double uy = (K2y * mOrder + (K1y * nOrder + family.kIny)) / kMaterial;
            const double u2 = ux * ux + uy * uy;
            // Evanescent and grazing orders (and NaN directions) carry no ray.
            if (!(u2 < 1.0))
                continue;
            const double uz = std::sqrt(1.0 - u2) * family.zDirSign;
            const size_t cell = static_cast<size_t>(i) + n.size() * static_cast<size_t>(j);
            std::complex<double> E1 = RT[cell];
            std::complex<double> E2 = RT[cell + componentStride];
            if (family.tableInXY)
                convertXYtoSP(E1, E2, ux, uy, uz);
            const double p = std::norm(E1) + std::norm(E2);
            if (!(p > 0.0) || !std::isfinite(p))
                continue;
            const double amplitude = std::sqrt(p);
            orders.Ux.push_back(ux);
            orders.Uy.push_back(uy);
            orders.Uz.push_back(uz);
            orders.power.push_back(p);
            const bool isSpecular =
                family.specular && n[static_cast<size_t>(i)] == 0 && m[static_cast<size_t>(j)] == 0;
            orders.specOrDirac.push_back(isSpecular ? 1 : 6);
            orders.ESOut.push_back(E1 / amplitude);
            orders.EPOut.push_back(E2 / amplitude);
        }
    }
    return orders;
}

}  // namespace quelbrant
