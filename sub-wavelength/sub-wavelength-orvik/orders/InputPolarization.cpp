#include "orders/InputPolarization.h"

#include <stdexcept>

#include "tables/TableShape.h"

namespace quelbrant {

void applyInputPolarization(NdArrayComplex& Ginterp, std::complex<double> EinS, std::complex<double> EinP)
{
    const std::vector<size_t>& d = Ginterp.m_size;
    size_t n = 0;
    if (d.size() != 4 || d[3] != 2 || !checkedProduct(d.begin(), d.begin() + 3, n) ||
        Ginterp.size() % 2 != 0 || Ginterp.size() / 2 != n)
        throw std::invalid_argument("applyInputPolarization: the table is not [Nn, Nm, 2, 2]");
    // PolIn = 0 occupies the first half of the storage, PolIn = 1 the second;
    // element i + n is read before anything at or beyond n is written.
    std::complex<double>* g = Ginterp.data();
    for (size_t i = 0; i < n; ++i)
        g[i] = g[i] * EinS + g[i + n] * EinP;
    Ginterp.resize(n);
    Ginterp.m_size.resize(3);
}

}  // namespace quelbrant
