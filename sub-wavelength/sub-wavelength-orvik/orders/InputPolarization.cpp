#include "orders/InputPolarization.h"

#include <stdexcept>

#include "tables/DenseTableShape.h"

namespace quelbrant {

void applyInputPolarization(NdArrayComplex& Ginterp, std::complex<double> EinS, std::complex<double> EinP)
{
    const std::vector<size_t>& d = Ginterp.m_size;
    const std::optional<size_t> count =
        d.size() == 4 ? quelbrant::tableElementCount(d.data(), d.data() + 3) : std::nullopt;
    const size_t n = count.value_or(0);
    if (!count || d[3] != 2 || Ginterp.size() % 2 != 0 || Ginterp.size() / 2 != n)
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
