#pragma once

// Builders and checks shared by the table tests.

#include <gtest/gtest.h>

#include <complex>
#include <string>
#include <utility>
#include <vector>

#include "ErrorTable.h"
#include "NdArray.h"

namespace tables_test {

// The message the library registered for a thrown error index.
inline std::string messageOf(int index)
{
    const std::wstring wide = errorDescription(index);
    return std::string(wide.begin(), wide.end());
}

// Runs call, which must throw an error index whose message is `expected`.
template <typename Call>
void expectFailure(Call&& call, const std::string& expected)
{
    try {
        call();
    } catch (int index) {
        EXPECT_EQ(messageOf(index), expected);
        return;
    }
    ADD_FAILURE() << "no error thrown, expected \"" << expected << "\"";
}

inline size_t product(const std::vector<size_t>& extents)
{
    size_t n = 1;
    for (size_t e : extents)
        n *= e;
    return n;
}

// An order list of K x 2: column 0 the n values, column 1 the m values.
inline NdArrayInt orderList(const std::vector<std::pair<int, int>>& rows)
{
    NdArrayInt list;
    list.m_size = {rows.size(), 2};
    list.resize(2 * rows.size());
    for (size_t k = 0; k < rows.size(); ++k) {
        list[k] = rows[k].first;
        list[rows.size() + k] = rows[k].second;
    }
    return list;
}

// A complex table whose element at flat offset f is (f + 1, -(f + 1)):
// unique, never zero, and easy to trace back to where it came from.
inline NdArrayComplex tracedTable(const std::vector<size_t>& extents)
{
    NdArrayComplex table;
    table.m_size = extents;
    const size_t n = product(extents);
    table.reserve(n);
    for (size_t f = 0; f < n; ++f)
        table.emplace_back(static_cast<double>(f + 1), -static_cast<double>(f + 1));
    return table;
}

// Flat offset of an index tuple, first index fastest, written out
// independently of NdArray.
inline size_t flatOffset(const std::vector<size_t>& index, const std::vector<size_t>& extents)
{
    size_t offset = 0;
    size_t stride = 1;
    for (size_t d = 0; d < index.size(); ++d) {
        offset += index[d] * stride;
        stride *= extents[d];
    }
    return offset;
}

}  // namespace tables_test
