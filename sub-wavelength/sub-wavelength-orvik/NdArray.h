#pragma once

#include <complex>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace quelbrant {

// An N-dimensional table stored flat, first index fastest: element
// (i0, i1, ..., iN-1) of extents (d0, ..., dN-1) sits at
// i0 + d0 * (i1 + d1 * (i2 + ...)). This order is shared with the data
// file's matrix encoding and the GPU view, so it is a contract, not a choice.
//
// Only the element count is bounds-checked: a single index beyond its own
// extent that still lands inside the data addresses another element. The
// override forms address the same elements under caller-supplied extents,
// which lets one routine treat several adjacent dimensions as one.
template <typename T>
class NdArray : public std::vector<T> {
public:
    std::vector<size_t> m_size;

    T& operator()(size_t i0, size_t i1) { return at({i0, i1}, m_size); }
    T& operator()(size_t i0, size_t i1, size_t i2) { return at({i0, i1, i2}, m_size); }
    T& operator()(size_t i0, size_t i1, size_t i2, size_t i3) { return at({i0, i1, i2, i3}, m_size); }
    T& operator()(size_t i0, size_t i1, size_t i2, size_t i3, size_t i4)
    {
        return at({i0, i1, i2, i3, i4}, m_size);
    }
    T& operator()(size_t i0, size_t i1, size_t i2, size_t i3, size_t i4, size_t i5)
    {
        return at({i0, i1, i2, i3, i4, i5}, m_size);
    }
    T& operator()(size_t i0, size_t i1, size_t i2, size_t i3, size_t i4, size_t i5, size_t i6)
    {
        return at({i0, i1, i2, i3, i4, i5, i6}, m_size);
    }
    T& operator()(size_t i0, size_t i1, size_t i2, size_t i3, size_t i4, size_t i5, size_t i6, size_t i7)
    {
        return at({i0, i1, i2, i3, i4, i5, i6, i7}, m_size);
    }

    T& operator()(size_t i0, size_t i1, size_t i2, const std::vector<size_t>& override_size)
    {
        return at({i0, i1, i2}, override_size);
    }
    T& operator()(size_t i0, size_t i1, size_t i2, size_t i3, const std::vector<size_t>& override_size)
    {
        return at({i0, i1, i2, i3}, override_size);
    }
    T& operator()(size_t i0, size_t i1, size_t i2, size_t i3, size_t i4,
                  const std::vector<size_t>& override_size)
    {
        return at({i0, i1, i2, i3, i4}, override_size);
    }

private:
    template <size_t N>
    T& at(const size_t (&index)[N], const std::vector<size_t>& extents)
    {
        // Only the first N-1 extents take part; a shorter list is a caller
        // fault that must not read past its end.
        if (extents.size() < N - 1)
            throw std::out_of_range("NdArray: fewer extents than indices");
        size_t offset = index[N - 1];
        for (size_t k = N - 1; k-- > 0;)
            offset = index[k] + extents[k] * offset;
        return std::vector<T>::at(offset);
    }
};

using NdArrayComplex = NdArray<std::complex<double>>;
using NdArrayReal = NdArray<double>;
using NdArrayInt = NdArray<int>;

}  // namespace quelbrant
